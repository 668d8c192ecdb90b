#include "cli/ConsoleScan.h"

#include "scan/EmptyFolderScan.h"
#include "platform/FileSystem.h"

#include <utility>

namespace {

// The console has no window: no events to run and no Stop button.
class ConsoleScanHost : public ScanHost {
  public:
    ConsoleScanHost(bool readOnly, std::function<bool()> stopRequested)
        : readOnly_(readOnly), stopRequested_(std::move(stopRequested)) {}
    void DoEvents() override {}
    bool StopRequested() const override { return stopRequested_ && stopRequested_(); }
    int ReadOnlyOptionValue() const override { return readOnly_ ? 1 : 0; }

  private:
    bool readOnly_;
    std::function<bool()> stopRequested_;
};

bool EndsWithSeparator(const std::string& path, char separator) {
    return !path.empty() && (path.back() == separator || (separator == '\\' && path.back() == '/'));
}

} // namespace

bool ScanRootFolder(FileSystem& fileSystem, const std::string& root, bool readOnly,
                    ResultList& list, std::string& scannedRoot, ConsoleStream err,
                    std::function<bool()> stopRequested) {
    if (!fileSystem.FolderExists(root)) {
        std::fprintf(err.file, "vacantor-cli: not a folder: %s\n", err.Shown(root).c_str());
        return false;
    }
    scannedRoot = root;
    if (EndsWithSeparator(scannedRoot, fileSystem.PathSeparator())) {
        scannedRoot.pop_back();
    }
    ConsoleScanHost host(readOnly, std::move(stopRequested));
    EmptyFolderScan scan(fileSystem, list, host, scannedRoot);
    scan.ScanFolder(scannedRoot);
    if (scan.RootUnreadable()) {
        std::fprintf(err.file, "vacantor-cli: cannot read folder: %s\n", err.Shown(root).c_str());
        return false;
    }
    return true;
}
