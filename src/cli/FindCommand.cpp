#include "cli/FindCommand.h"

#include "cli/RowPrinter.h"
#include "cli/ConsoleScan.h"

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

} // namespace

int RunFindCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                   std::FILE* out, std::FILE* err, bool interactiveOutput) {
    std::optional<FindOptions> options = ParseFindOptions(arguments);
    if (!options) {
        std::fputs(FindUsage, err);
        return 2;
    }
    RowPrinter printer(out, options->print0 ? '\0' : '\n', interactiveOutput);
    std::string scannedRoot;
    bool scanned = ScanRootFolder(fileSystem, options->root, options->readOnly, printer,
                                  scannedRoot, err, [&printer] { return printer.Failed(); });
    // The scan stops early only when the output can no longer be written.
    if (!printer.Flush()) {
        std::fputs("vacantor-cli: cannot write the output\n", err);
        return 1;
    }
    if (!scanned) {
        return 1;
    }
    return 0;
}
