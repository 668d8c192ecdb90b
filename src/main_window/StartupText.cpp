#include "main_window/StartupText.h"

#include "VacantorVersion.h"

namespace {

const char HelpText[] =
    "Usage: vacantor [--help | --version]\n"
    "\n"
    "Opens a window that lists the topmost empty folders below a root folder and deletes\n"
    "the ones you select. Click the Root Folder box (or press Enter, Space or F4 in it) to\n"
    "choose a folder, or drop a folder on it, then click Find. Tick \"Ignore junk files\" to\n"
    "let folders that hold nothing but Thumbs.db, desktop.ini, .DS_Store, ._* and Icon\\r\n"
    "files count as empty; Remove then deletes those files with their folders.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "The root folder, the junk check box and the window's place are kept in Scryve.ini.\n"
    "For scripts, vacantor-cli does the same scan and removal without a window.\n";

} // namespace

std::optional<std::string> StartupText(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            return std::string(HelpText);
        }
        if (argument == "--version") {
            return std::string("vacantor " VACANTOR_VERSION "\n");
        }
    }
    return std::nullopt;
}
