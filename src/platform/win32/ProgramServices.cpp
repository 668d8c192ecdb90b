#include "platform/win32/ProgramServices.h"

#include "folder_picker/FileDialog.h"
#include "message_box/MessageBox.h"
#include "platform/DesktopShell.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/ProfileFile.h"
#include "platform/win32/MessageBoxPlatform_win.h"

#include <windows.h>
#undef MessageBox

#include "platform/win32/WindowHandle_win.h"

ProgramServices::ProgramServices()
    : fileSystem_(CreateSystemFileSystem()), profileFile_(CreateSystemProfileFile()),
      folderRemoval_(CreateSystemFolderRemoval()), shell_(CreateSystemShellPlatform()),
      messageBoxPlatform_(Win32MessageBoxPlatform::Create()),
      desktopShell_(CreateSystemDesktopShell()) {
    MessageBox::SetPlatform(messageBoxPlatform_.get());
}

ProgramServices::~ProgramServices() {
    MessageBox::SetPlatform(nullptr);
}

MainWindowServices ProgramServices::Services() {
    ShellPlatform& shell = *shell_;
    MainWindowServices services{
        *fileSystem_, *profileFile_, *folderRemoval_, MessageBox::ShowMessageBox,
        [&shell](const std::string& title, std::intptr_t owner, std::intptr_t root,
                 std::uint32_t flags, const std::string& startFolder) {
            return FileDialog::BrowseForFolder(shell, title, static_cast<WindowHandle>(owner),
                                               static_cast<ItemIdList>(root), flags, startFolder);
        }};
    services.desktopShell = desktopShell_.get();
    return services;
}

void ProgramServices::SetActiveForm(HWND window) {
    messageBoxPlatform_->SetActiveForm(ToWindowHandle(window));
}
