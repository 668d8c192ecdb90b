#include "cli/FindCommand.h"

#include "cli/RowPrinter.h"
#include "main_window/EmptyFolderScan.h"
#include "platform/FileSystem.h"

#include <optional>

const char* const FindUsage = "usage: vacantor-cli find [--read-only] [--print0] ROOT\n";

namespace {

struct FindOptions {
    bool readOnly = false;
    bool print0 = false;
    std::string root;
};

std::optional<FindOptions> ParseFindOptions(const std::vector<std::string>& arguments) {
    FindOptions options;
    bool haveRoot = false;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--read-only") {
            options.readOnly = true;
        } else if (!optionsEnded && argument == "--print0") {
            options.print0 = true;
        } else if ((!optionsEnded && argument.size() > 1 && argument[0] == '-') || haveRoot) {
            return std::nullopt;
        } else {
            options.root = argument;
            haveRoot = true;
        }
    }
    return haveRoot ? std::optional(options) : std::nullopt;
}

// The console has no window: no events to run and no Stop button. The scan stops early
// only when the output can no longer be written.
class ConsoleScanHost : public ScanHost {
  public:
    ConsoleScanHost(const RowPrinter& printer, bool readOnly)
        : printer_(printer), readOnly_(readOnly) {}
    void DoEvents() override {}
    bool StopRequested() const override { return printer_.Failed(); }
    int ReadOnlyOptionValue() const override { return readOnly_ ? 1 : 0; }

  private:
    const RowPrinter& printer_;
    bool readOnly_;
};

bool EndsWithSeparator(const std::string& path, char separator) {
    return !path.empty() && (path.back() == separator || (separator == '\\' && path.back() == '/'));
}

} // namespace

int RunFindCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                   std::FILE* out, std::FILE* err, bool interactiveOutput) {
    std::optional<FindOptions> options = ParseFindOptions(arguments);
    if (!options) {
        std::fputs(FindUsage, err);
        return 2;
    }
    std::string root = options->root;
    if (!fileSystem.FolderExists(root)) {
        std::fprintf(err, "vacantor-cli: not a folder: %s\n", root.c_str());
        return 1;
    }
    if (EndsWithSeparator(root, fileSystem.PathSeparator())) {
        root.pop_back();
    }
    RowPrinter printer(out, options->print0 ? '\0' : '\n', interactiveOutput);
    ConsoleScanHost host(printer, options->readOnly);
    EmptyFolderScan scan(fileSystem, printer, host, root);
    scan.ScanFolder(root);
    if (!printer.Flush()) {
        std::fputs("vacantor-cli: cannot write the output\n", err);
        return 1;
    }
    if (scan.RootUnreadable()) {
        std::fprintf(err, "vacantor-cli: cannot read folder: %s\n", options->root.c_str());
        return 1;
    }
    return 0;
}
