#include "cli/ConsoleScan.h"

#include "cli/CommandLine.h"
#include "scan/EmptyFolderScan.h"
#include "platform/FileSystem.h"

#include <charconv>
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

std::optional<unsigned> ScanThreads(const CommandLine& commandLine) {
    auto given = commandLine.values.find(ThreadsOption);
    if (given == commandLine.values.end()) {
        return DefaultScanThreads;
    }
    const std::string& text = given->second;
    unsigned threads = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), threads);
    if (error != std::errc() || end != text.data() + text.size() || threads < 1 || threads > 1024) {
        return std::nullopt;
    }
    return threads;
}

bool ScanRootFolder(FileSystem& fileSystem, const std::string& root, bool readOnly,
                    unsigned threads, ResultList& list, std::string& scannedRoot, ConsoleStream err,
                    std::function<bool()> stopRequested,
                    std::optional<FolderIdentity>* rootIdentity) {
    if (!fileSystem.FolderExists(root)) {
        std::fprintf(err.file, "vacantor-cli: not a folder: %s\n", err.Shown(root).c_str());
        return false;
    }
    scannedRoot = root;
    if (EndsWithSeparator(scannedRoot, fileSystem.PathSeparator())) {
        scannedRoot.pop_back();
    }
    ConsoleScanHost host(readOnly, std::move(stopRequested));
    EmptyFolderScan scan(fileSystem, list, host, scannedRoot, ReadAheadSettings(threads));
    scan.ScanFolder(scannedRoot);
    if (rootIdentity) {
        *rootIdentity = scan.RootIdentity();
    }
    if (scan.RootUnreadable()) {
        std::fprintf(err.file, "vacantor-cli: cannot read folder: %s\n", err.Shown(root).c_str());
        return false;
    }
    return true;
}
