// vacantor-cli: the empty-folder scan without a window, for scripts and benchmarks.
// One function per subcommand; the table below dispatches.

#include "cli/Console.h"
#include "cli/FindCommand.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const Help =
    "usage: vacantor-cli find [--read-only] [--print0] ROOT\n"
    "       vacantor-cli --help\n"
    "\n"
    "find  Lists the topmost empty folders below ROOT. A folder is empty when its whole\n"
    "      subtree holds no file; a listed folder stands for everything below it, and\n"
    "      ROOT itself is never listed. Links (on Windows also junctions, other reparse\n"
    "      points and cloud placeholders) count as files and are never followed.\n"
    "      Each folder is printed as soon as it is found: its number (counted from 0),\n"
    "      a tab and its path relative to ROOT, one line each. One trailing separator\n"
    "      on ROOT is ignored.\n"
    "\n"
    "      --read-only  let read-only folders count as empty. Without it a read-only\n"
    "                   folder inside a folder without files is not scanned and keeps\n"
    "                   that folder from counting as empty. (On Linux a folder is\n"
    "                   read-only when its owner may not write in it.)\n"
    "      --print0     end each record with a NUL character instead of a newline\n"
    "\n"
    "Exit status: 0 when the scan ran; 1 when ROOT is not a folder that can be read, or\n"
    "the output cannot be written; 2 on a usage error.\n";

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments = CommandLineArguments(argc, argv);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (!arguments.empty() && arguments[0] == "find") {
        PrepareStandardOutput();
        std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
        arguments.erase(arguments.begin());
        return RunFindCommand(arguments, *fileSystem, stdout, stderr,
                              StandardOutputIsInteractive());
    }
    std::fputs(Help, stderr);
    return 2;
}
