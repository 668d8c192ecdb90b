// vacantor-cli: the empty-folder scan and the removal without a window, for scripts and benchmarks.
// One function per subcommand; the table below dispatches.

#include "cli/Console.h"
#include "cli/FindCommand.h"
#include "cli/RemoveCommand.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "scan/ReadAhead.h"

#include "VacantorVersion.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const Help =
    "usage: vacantor-cli find [--read-only] [--print0] [--threads N]\n"
    "                         [--progress] [--quiet]\n"
    "                         [--exclude GLOB]... [--exclude-from FILE]...\n"
    "                         [--junk NAME]... [--junk-common] ROOT\n"
    "       vacantor-cli remove [--read-only] [--dry-run] [--print0] [--threads N]\n"
    "                           [--progress] [--quiet] [--log FILE]\n"
    "                           [--exclude GLOB]... [--exclude-from FILE]...\n"
    "                           [--junk NAME]... [--junk-common] ROOT\n"
    "       vacantor-cli --help | --version\n"
    "\n"
    "find  Lists the topmost empty folders below ROOT. A folder is empty when its whole\n"
    "      subtree holds no file; a listed folder stands for everything below it, and\n"
    "      ROOT itself is never listed. Links and mount points (bind mounts too; on\n"
    "      Windows also junctions, other reparse points and cloud placeholders) count\n"
    "      as files and are never followed.\n"
    "      Each folder is printed as soon as it is found: its number (counted from 0),\n"
    "      a tab and its path relative to ROOT, one line each. One trailing separator\n"
    "      on ROOT is ignored.\n"
    "\n"
    "      --read-only  let read-only folders count as empty. Without it a read-only\n"
    "                   folder inside a folder without files is not scanned and keeps\n"
    "                   that folder from counting as empty. (On Linux a folder is\n"
    "                   read-only when its owner may not write in it.)\n"
    "      --print0     end each record with a NUL character instead of a newline\n"
    "      --threads N  read folders ahead of the scan on N threads (default 16); 1 reads\n"
    "                   one folder at a time. The rows are the same either way.\n"
    "      --progress   show progress on standard error even when it is not a terminal\n"
    "      --quiet      show no progress, even with --progress\n"
    "\n"
    "      --exclude GLOB  never enter, list or remove a folder whose path relative to\n"
    "                   ROOT, or whose name, GLOB matches; it counts as a file, so no\n"
    "                   folder above it is listed. fnmatch rules: * and ? stop at /,\n"
    "                   [a-z] a class, \\ quotes; ** matches any depth (**/cache). A\n"
    "                   leading / matches the path only. On Windows case is ignored and\n"
    "                   \\ separates. May be given many times.\n"
    "      --exclude-from FILE  the patterns in FILE, one a line; blank lines and lines\n"
    "                   starting with # are skipped. May be given many times.\n"
    "      --junk NAME  a regular file named NAME (case ignored for ASCII letters) counts\n"
    "                   as no file. A link, pipe, device or folder of that name does\n"
    "                   not. May be given many times.\n"
    "      --junk-common  the same for Thumbs.db, desktop.ini, .DS_Store, ._* and Icon\\r.\n"
    "                   A row whose folder holds junk files gets a third field, a tab\n"
    "                   and \"junk\" (with --print0 too: number, tab, path, tab, junk, NUL).\n"
    "\n"
    "remove  Finds the folders as find does, then removes each of them with the empty\n"
    "      folders below it, and prints its path relative to ROOT, one line each, and at\n"
    "      the end \"N folders are removed.\". Only folders are ever removed, bottom-up:\n"
    "      a folder that has gained a file since the scan, has become a link or is or\n"
    "      holds a mount point is left whole and reported on standard error as\n"
    "      \"not removed: PATH: REASON\". Read-only folders are removed too. ROOT is\n"
    "      opened once and every folder is reached from it: when ROOT is no longer the\n"
    "      folder that was scanned (renamed away, replaced by a link), nothing is\n"
    "      removed and one line on standard error says so.\n"
    "\n"
    "      --read-only, --threads N, --progress, --quiet  as for find\n"
    "      --dry-run    print what would be removed and remove nothing\n"
    "      --print0     end each record, the closing line too, with a NUL character\n"
    "      --log FILE   record in FILE what became of each folder, one line each:\n"
    "                   \"removed\", \"skipped\" or \"failed\", a tab, its path relative to\n"
    "                   ROOT as its exact bytes, a tab and the reason (empty for removed);\n"
    "                   at the end \"summary\", a tab, the counts, a tab and the time\n"
    "                   taken. Skipped: left whole on purpose, as it changed since the\n"
    "                   scan (it is gone, has gained a file or become a link, is or holds\n"
    "                   a mount point), as ROOT is no longer the folder that was scanned\n"
    "                   or cannot be opened again, or with --dry-run. Failed: the system\n"
    "                   refused or failed to remove it (access denied, in use, any other\n"
    "                   error). FILE is created, or emptied when it is a regular file; a\n"
    "                   link, a folder, a FIFO or a device is refused. Nothing is\n"
    "                   scanned when FILE cannot be created, and nothing more is removed\n"
    "                   once it cannot be written: a log without its summary line is one\n"
    "                   of a run cut short. A run stopped by SIGINT, SIGTERM or SIGHUP,\n"
    "                   or by output that cannot be written, ends the folder under way\n"
    "                   and adds to the summary a tab and \"cut short: \" with why. With\n"
    "                   --print0 its records end with a NUL character too.\n"
    "\n"
    "      --exclude, --exclude-from, --junk, --junk-common  as for find. Each folder\n"
    "                   is checked again just before it is removed: one that is\n"
    "                   excluded, lies in or holds an excluded folder is kept (and\n"
    "                   logged as skipped). The\n"
    "                   whole subtree is checked before anything is deleted; then the\n"
    "                   junk files go with their folders, bottom-up, and never through a\n"
    "                   link. Any other file, appearing at any time, keeps its folder\n"
    "                   (junk already deleted stays deleted). Without these options no\n"
    "                   file is ever deleted.\n"
    "\n"
    "Progress: while standard error is a terminal, one line there shows how far the\n"
    "command has come, redrawn at most ten times a second: the folders read and the\n"
    "folders found, then for remove the folders removed out of those found, and the time\n"
    "taken. It is erased before anything else is written to the terminal, and at the end.\n"
    "A pipe or a file gets it only with --progress, as plain lines without control\n"
    "characters, one a second at most, and the last state at the end.\n"
    "\n"
    "Paths are written as their exact bytes to a pipe or a file. On a terminal (standard\n"
    "output for rows, standard error for messages) a path that holds a space, a character\n"
    "special to the shell, a control character or bytes that are not UTF-8 is shown as one\n"
    "shell word, as GNU ls --quoting-style=shell-escape shows names: 'New folder',\n"
    "\"it's\", 'a'$'\\n''b', 'a'$'\\033''[31m', 'a'$'\\377'. Every row then takes one\n"
    "line, and no control sequence reaches the terminal.\n"
    "\n"
    "Exit status: 0 when the command ran (remove: and removed every folder it found);\n"
    "1 when ROOT is not a folder that can be read, a folder was not removed, the output\n"
    "cannot be written, the log cannot be created or written, a FILE of\n"
    "--exclude-from cannot be read, or the scan ran short of open files or memory;\n"
    "2 on a usage error; 128+N when signal N stopped remove.\n"
    "\n"
    "Examples:\n"
    "  vacantor-cli find --progress ~/Documents >empty.txt 2>progress.txt\n"
    "  vacantor-cli remove --quiet --log removed.tsv ~/Documents\n"
    "  awk -F '\\t' '$1 == \"failed\"' removed.tsv\n"
    "  vacantor-cli find --exclude .git --exclude-from ~/keep.txt ~/src\n"
    "  vacantor-cli remove --junk-common --junk .directory ~/Pictures\n";

static_assert(DefaultScanThreads == 16, "the help above names the default number of threads");

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments = CommandLineArguments(argc, argv);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        std::fputs("vacantor-cli " VACANTOR_VERSION "\n", stdout);
        return 0;
    }
    if (!arguments.empty() && arguments[0] == "find") {
        PrepareStandardStreams();
        std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
        arguments.erase(arguments.begin());
        return RunFindCommand(arguments, *fileSystem, StandardOutput(), StandardError());
    }
    if (!arguments.empty() && arguments[0] == "remove") {
        PrepareStandardStreams();
        std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
        std::unique_ptr<FolderRemoval> folderRemoval = CreateSystemFolderRemoval();
        arguments.erase(arguments.begin());
        return RunRemoveCommand(arguments, *fileSystem, *folderRemoval, StandardOutput(),
                                StandardError());
    }
    std::fputs(Help, stderr);
    return 2;
}
