#pragma once

#include "main_window/frmVacantor.h"
#include "platform/posix/SettingsFolder.h"

#include <memory>
#include <string>

class DesktopShell;
class FileSystem;
class FolderRemoval;
class ProfileFile;
class QtMessageBoxPlatform;
class QWidget;
class ShellPlatform;

// The real services of the Linux program: the file system, the settings file and its folder,
// the safe removal, the message box service on Qt and the folder picker on the Qt chooser.
// Sets the message box platform for its lifetime.
class ProgramServices {
  public:
    // `installedFolder`: where the package puts the program (platform/posix/SettingsFolder.h).
    explicit ProgramServices(const std::string& installedFolder = InstalledProgramFolder());
    ~ProgramServices();

    MainWindowServices Services();
    // Where the settings file lives: beside the program, or the user's configuration folder.
    const std::string& SettingsFolder() const { return settingsFolder_; }
    // Makes `window` the application's active form, which message boxes are owned by and
    // bring to the front.
    void SetActiveForm(QWidget* window);

  private:
    std::string settingsFolder_;
    std::unique_ptr<FileSystem> fileSystem_;
    std::unique_ptr<ProfileFile> profileFile_;
    std::unique_ptr<FolderRemoval> folderRemoval_;
    std::unique_ptr<QtMessageBoxPlatform> messageBoxPlatform_;
    std::unique_ptr<ShellPlatform> shell_;
    std::unique_ptr<DesktopShell> desktopShell_;
};

// The folder that holds the running executable, as the file system's bytes.
std::string ExecutableFolder();
