#pragma once

#include "main_window/frmVacantor.h"
#include "platform/posix/SettingsFolder.h"

#include <memory>
#include <string>

class FileSystem;
class FolderRemoval;
class ProfileFile;
class QtMessageBoxPlatform;
class QWidget;
class ShellPlatform;

// The real services of the Linux program: the file system, the settings file and its folder,
// the safe removal, the message box service on Qt and the folder picker on the Qt chooser.
// Sets the message box platform for its lifetime.
class SystemServices {
  public:
    // `installedFolder`: where the package puts the program (platform/posix/SettingsFolder.h).
    explicit SystemServices(const std::string& installedFolder = InstalledProgramFolder());
    ~SystemServices();
    SystemServices(const SystemServices&) = delete;
    SystemServices& operator=(const SystemServices&) = delete;

    MainWindowServices Services();
    // Where the settings file lives: beside the program, or the user's configuration folder.
    const std::string& SettingsFolder() const { return settingsFolder_; }
    // The window the message boxes raise and belong to.
    void SetMainWindow(QWidget* window);

  private:
    std::string settingsFolder_;
    std::unique_ptr<FileSystem> fileSystem_;
    std::unique_ptr<ProfileFile> profileFile_;
    std::unique_ptr<FolderRemoval> folderRemoval_;
    std::unique_ptr<QtMessageBoxPlatform> messageBoxPlatform_;
    std::unique_ptr<ShellPlatform> shell_;
};

// The folder that holds the running executable, as the file system's bytes.
std::string ExecutableFolder();
