#include "platform/qt/ProgramServices.h"

#include "folder_picker/FileDialog.h"
#include "message_box/MessageBox.h"
#include "platform/DesktopShell.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/ProfileFile.h"
#include "platform/ShellPlatform.h"
#include "platform/qt/QtMessageBoxPlatform.h"

#include <QCoreApplication>
#include <QFile>
#include <QWidget>

#include <filesystem>
#include <system_error>

ProgramServices::ProgramServices(const std::string& installedFolder)
    : settingsFolder_(ChooseSettingsFolder(
          GatherSettingsFolderFacts(ExecutableFolder(), SettingsFileName, installedFolder))),
      fileSystem_(CreateSystemFileSystem()),
      profileFile_(CreateFolderMakingProfileFile(CreateSystemProfileFile(), settingsFolder_)),
      folderRemoval_(CreateSystemFolderRemoval()),
      messageBoxPlatform_(std::make_unique<QtMessageBoxPlatform>()),
      shell_(CreateSystemShellPlatform()), desktopShell_(CreateSystemDesktopShell()) {
    MessageBox::SetPlatform(messageBoxPlatform_.get());
}

ProgramServices::~ProgramServices() {
    MessageBox::SetPlatform(nullptr);
}

MainWindowServices ProgramServices::Services() {
    MainWindowServices services{
        *fileSystem_, *profileFile_, *folderRemoval_, &MessageBox::ShowMessageBox,
        [this](const std::string& title, std::intptr_t ownerWindow, std::intptr_t namespaceRoot,
               std::uint32_t flags, const std::string& startFolder) {
            return FileDialog::BrowseForFolder(
                *shell_, title, static_cast<WindowHandle>(ownerWindow),
                static_cast<ItemIdList>(namespaceRoot), flags, startFolder);
        }};
    services.desktopShell = desktopShell_.get();
    return services;
}

void ProgramServices::SetActiveForm(QWidget* window) {
    messageBoxPlatform_->SetActiveForm(window);
}

// /proc/self/exe gives the exact bytes, whatever the name's encoding; Qt's answer is the
// fallback where /proc is missing.
std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return executable.parent_path().string();
    }
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}
