#pragma once

#include "main_window/frmVacantor.h"

#include <memory>

class FileSystem;
class FolderRemoval;
class ProfileFile;
class QtMessageBoxPlatform;
class QWidget;
class ShellPlatform;

// The real services of the Linux program: the file system, the settings file, the safe
// removal, the message box service on Qt and the folder picker on the Qt chooser. Sets the
// message box platform for its lifetime.
class SystemServices {
  public:
    SystemServices();
    ~SystemServices();
    SystemServices(const SystemServices&) = delete;
    SystemServices& operator=(const SystemServices&) = delete;

    MainWindowServices Services();
    // The window the message boxes raise and belong to.
    void SetMainWindow(QWidget* window);

  private:
    std::unique_ptr<FileSystem> fileSystem_;
    std::unique_ptr<ProfileFile> profileFile_;
    std::unique_ptr<FolderRemoval> folderRemoval_;
    std::unique_ptr<QtMessageBoxPlatform> messageBoxPlatform_;
    std::unique_ptr<ShellPlatform> shell_;
};
