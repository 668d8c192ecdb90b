// vacantor-cli: the empty-folder scan and the removal without a window, for scripts and benchmarks.
// One function per subcommand; main picks it by the first argument.

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
#include <string_view>
#include <vector>

namespace {

// The help: each command's usage, what it does and its options, then what both share.
// `vacantor-cli --help` shows all of it, `find --help` or `help find` one command's part.
const char* const FindUsageLines =
    "vacantor-cli find [--read-only] [--print0] [--threads N]\n"
    "                         [--progress] [--quiet]\n"
    "                         [--exclude GLOB]... [--exclude-from FILE]...\n"
    "                         [--junk NAME]... [--junk-common] [--verbose]\n"
    "                         [--no-protect] [--older-than TIME] [--max-depth N]\n"
    "                         [--absolute] ROOT\n";
const char* const RemoveUsageLines =
    "vacantor-cli remove [--read-only] [--dry-run] [--trash] [--print0]\n"
    "                           [--threads N] [--progress] [--quiet] [--log FILE]\n"
    "                           [--exclude GLOB]... [--exclude-from FILE]...\n"
    "                           [--junk NAME]... [--junk-common] [--verbose]\n"
    "                           [--no-protect] [--older-than TIME] [--max-depth N]\n"
    "                           [--absolute] ROOT\n";

const char* const FindPart =
    "find  Lists the topmost empty folders below ROOT. A folder is empty when its whole\n"
    "      subtree holds no file; a listed folder stands for everything below it, and\n"
    "      ROOT itself is never listed. Links and mount points (bind mounts too; on\n"
    "      Windows also junctions, other reparse points and cloud placeholders) count\n"
    "      as files and are never followed.\n"
    "      Each folder is printed as soon as it is found: its number (counted from 0),\n"
    "      a tab and its path relative to ROOT, one line each. One trailing separator\n"
    "      on ROOT is ignored.\n"
    "\n";
const char* const CommonOptions =
    "      --read-only  let read-only folders count as empty. Without it a read-only\n"
    "                   folder inside a folder without files is not scanned and keeps\n"
    "                   that folder from counting as empty. (On Linux a folder is\n"
    "                   read-only when its owner may not write in it.)\n"
    "      --print0     end each record with a NUL character instead of a newline\n"
    "      --threads N  read folders ahead of the scan on N threads; 1 reads one folder\n"
    "                   at a time. By default the scan reads alone and starts 16 threads\n"
    "                   once the disk is slow to answer. The rows are the same either way.\n"
    "      --progress   show progress on standard error even when it is not a terminal\n"
    "      --quiet      show no progress, even with --progress\n"
    "\n"
    "      --exclude GLOB  never enter, list or remove a folder whose path relative to\n"
    "                   ROOT, or whose name, GLOB matches; it counts as a file, so no\n"
    "                   folder above it is listed. fnmatch rules: * and ? stop at /,\n"
    "                   [a-z] a class, \\ quotes; ** matches any depth (**/cache). A\n"
    "                   leading / or ./ matches the path only, a trailing / is ignored.\n"
    "                   On Windows case is ignored and \\ separates. May be given many\n"
    "                   times.\n"
    "      --exclude-from FILE  the patterns in FILE, one a line; blank lines and lines\n"
    "                   starting with # are skipped. May be given many times.\n"
    "      --older-than TIME  list a folder only when neither it nor any folder below it\n"
    "                   changed within TIME: a number and s, m, h, d or w (30d, 12h).\n"
    "                   A folder changed since counts as content, so its own older\n"
    "                   subfolders may be listed. Removing a folder's subfolders changes\n"
    "                   its time, so the whole subtree is judged; remove checks it again.\n"
    "      --max-depth N  list only folders at most N levels below ROOT (1: its own\n"
    "                   subfolders); deeper ones are still read to judge those above.\n"
    "      --absolute   print full paths instead of paths relative to ROOT\n"
    "      --verbose    name on standard error each folder an exclusion or protection\n"
    "                   keeps (\"excluded PATH\", \"protected PATH\") and each\n"
    "                   folder that cannot be read. Without it standard error only says\n"
    "                   how many folders could not be read (their parents are not empty)\n"
    "                   and when no file lies below ROOT at all.\n"
    "      --junk NAME  a regular file named NAME (case ignored for ASCII letters) counts\n"
    "                   as no file. A link, pipe, device or folder of that name does\n"
    "                   not. May be given many times.\n"
    "      --junk-common  the same for Thumbs.db, desktop.ini, .DS_Store, ._* and Icon\\r.\n"
    "                   A row whose folder holds junk files gets a third field, a tab\n"
    "                   and \"junk\" (with --print0 too: number, tab, path, tab, junk, NUL).\n"
    "      --no-protect  take protected folders as any other. Without it they are never\n"
    "                   entered, listed or removed, and count as files, so no folder\n"
    "                   above them is listed: version control's .git .hg .svn .bzr\n"
    "                   _darcs CVS .jj .pijul; the trash folders .Trash .Trash-*\n"
    "                   $RECYCLE.BIN RECYCLER; System Volume Information; lost+found at\n"
    "                   the top of a file system (ROOT when a file system is mounted\n"
    "                   there); and every folder in a Maildir (a folder holding cur, new\n"
    "                   and tmp). On Windows case is ignored.\n"
    "\n";

const char* const RemovePart =
    "remove  Finds the folders as find does, then removes each of them with the empty\n"
    "      folders below it, and prints its path relative to ROOT, one line each; at the\n"
    "      end standard error says \"N folders are removed.\". Only folders are ever\n"
    "      removed, bottom-up: a folder that has gained a file since the scan, has\n"
    "      become a link or is or holds a mount point is left whole and reported on\n"
    "      standard error as \"vacantor-cli: not removed: PATH: REASON\". Read-only\n"
    "      folders are removed too. ROOT is opened once and every folder is reached\n"
    "      from it: when ROOT is no longer the folder that was scanned (renamed away,\n"
    "      replaced by a link), nothing is removed and one line on standard error\n"
    "      says so.\n"
    "\n";
const char* const RemoveOptions =
    "      --read-only, --print0, --threads N, --progress, --quiet, --older-than TIME,\n"
    "      --max-depth N, --absolute  as for find (the log keeps paths relative to ROOT)\n"
    "      --dry-run    print what would be removed and remove nothing\n"
    "      --trash      move each folder, checked as for removing it, whole to the\n"
    "                   Trash (Linux) or the Recycle Bin (Windows) instead, with any\n"
    "                   junk files and whatever appeared in it after its check; it can\n"
    "                   be restored from there. On Linux the freedesktop.org trash of\n"
    "                   its own file system takes it: $XDG_DATA_HOME/Trash (by default\n"
    "                   ~/.local/share/Trash), else TOPDIR/.Trash/UID (only when .Trash\n"
    "                   is a folder with the sticky bit, not a link) or TOPDIR/.Trash-UID,\n"
    "                   TOPDIR being where that file system is mounted. A folder is never\n"
    "                   copied to another file system and never deleted instead: where no\n"
    "                   trash can take it (a network share has no Recycle Bin), it stays\n"
    "                   and is reported as \"not trashed\". The end says \"N folders are\n"
    "                   moved to the Trash.\"; the log says \"trashed\" with the trash as\n"
    "                   the reason.\n"
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
    "      --exclude, --exclude-from, --verbose, --junk, --junk-common, --no-protect\n"
    "                   as for find. Each folder is checked again just before it is\n"
    "                   removed: one that is excluded or protected, or lies in or holds\n"
    "                   such a folder or a Maildir, is kept (and logged as skipped).\n"
    "                   With junk names the\n"
    "                   whole subtree is checked before anything is deleted; then the\n"
    "                   junk files go with their folders, bottom-up, and never through a\n"
    "                   link. Any other file, appearing at any time, keeps its folder\n"
    "                   (junk already deleted stays deleted). Without these options no\n"
    "                   file is ever deleted.\n"
    "\n";

const char* const Closing =
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

// The whole help, or a command's part of it.
std::string HelpText(std::string_view command) {
    if (command == "find") {
        return std::string("usage: ") + FindUsageLines + "\n" + FindPart + CommonOptions + Closing;
    }
    if (command == "remove") {
        return std::string("usage: ") + RemoveUsageLines + "\n" + RemovePart + CommonOptions +
               RemoveOptions + Closing;
    }
    return std::string("usage: ") + FindUsageLines + "       " + RemoveUsageLines +
           "       vacantor-cli --help | --version\n\n" + FindPart + CommonOptions + RemovePart +
           RemoveOptions + Closing;
}

bool IsCommand(std::string_view word) {
    return word == "find" || word == "remove";
}

// --help or -h anywhere before "--" asks for help instead of running the command.
bool AsksForHelp(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            return false;
        }
        if (argument == "--help" || argument == "-h") {
            return true;
        }
    }
    return false;
}

int UsageError(const std::string& problem) {
    PrepareStandardStreams();
    StandardError().Write("vacantor-cli: " + problem +
                          "\nusage: vacantor-cli find|remove [OPTION]... ROOT\n"
                          "Try 'vacantor-cli --help'.\n");
    return static_cast<int>(ExitStatus::UsageError);
}

} // namespace

int main(int argc, char** argv) {
    PrepareThreads();
    std::vector<std::string> arguments = CommandLineArguments(argc, argv);
    // Help is text for people: it keeps the platform's line ends, as the standard streams
    // have them before they are made to pass bytes unchanged for rows and logs.
    if (AsksForHelp(arguments)) {
        std::string_view command;
        if (!arguments.empty() && IsCommand(arguments[0])) {
            command = arguments[0];
        }
        std::fputs(HelpText(command).c_str(), stdout);
        return 0;
    }
    if (!arguments.empty() && arguments[0] == "help") {
        if (arguments.size() > 2 || (arguments.size() == 2 && !IsCommand(arguments[1]))) {
            return UsageError("help: no command " + StandardError().Shown(arguments.back()));
        }
        std::fputs(HelpText(arguments.size() == 2 ? arguments[1] : "").c_str(), stdout);
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
        return static_cast<int>(
            RunFindCommand(arguments, *fileSystem, StandardOutput(), StandardError()));
    }
    if (!arguments.empty() && arguments[0] == "remove") {
        PrepareStandardStreams();
        std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
        std::unique_ptr<FolderRemoval> folderRemoval = CreateSystemFolderRemoval();
        arguments.erase(arguments.begin());
        return static_cast<int>(RunRemoveCommand(arguments, *fileSystem, *folderRemoval,
                                                 StandardOutput(), StandardError()));
    }
    if (arguments.empty()) {
        return UsageError("no command given");
    }
    return UsageError("unknown command " + StandardError().Shown(arguments[0]));
}
