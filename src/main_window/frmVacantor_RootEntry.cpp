// Choosing the root folder: a click on the text box opens the folder picker, and a folder
// (or a file, for its folder) dropped on the text box becomes the root folder.
#include "main_window/frmVacantor.h"

#include "message_box/MessageBox.h"
#include "platform/FileSystem.h"
#include "platform/PlatformError.h"

#include <exception>

namespace {

constexpr std::uint32_t BIF_RETURNONLYFSDIRS = 1;
const std::string DefaultErrorSource = "Vacantor";

} // namespace

void frmVacantor::txtFolder_Click() {
    if (state_.IsBusy) {
        return; // the box is disabled while a command runs
    }
    std::string message;
    std::string source = DefaultErrorSource;
    try {
        std::string folder = services_.browseForFolder("Select Folder", 0, 0, BIF_RETURNONLYFSDIRS,
                                                       state_.RootFolder);
        if (!folder.empty()) {
            SetRootFolder(folder);
        }
        return;
    } catch (const PlatformError& error) {
        message = error.what();
        source = error.Source();
    } catch (const std::exception& error) {
        message = error.what();
    }
    services_.showMessageBox(message + "\r\nIn txtFolder_Click of " + source, AlarmTitle,
                             MessageBox::StyleStopIcon, 0);
}

void frmVacantor::txtFolder_OLEDragDrop(const std::vector<std::string>& files) {
    // A drop without a file list (dragged text, say) changes nothing.
    if (files.empty() || state_.IsBusy) {
        return;
    }
    const std::string& path = files.front();
    FileSystem& fileSystem = services_.fileSystem;
    if (fileSystem.FolderExists(path)) {
        SetRootFolder(path);
    } else if (fileSystem.FileExists(path)) {
        SetRootFolder(fileSystem.GetParentFolderName(path));
    }
}

bool frmVacantor::txtFolder_KeyDown(int keyCode) {
    if (keyCode != KeyReturn && keyCode != KeySpace && keyCode != KeyF4) {
        return false;
    }
    txtFolder_Click();
    return true;
}
