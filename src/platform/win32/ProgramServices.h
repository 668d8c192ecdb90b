#pragma once

#include "main_window/frmVacantor.h"

#include <windows.h>
#undef MessageBox

#include <memory>

class DesktopShell;
class ShellPlatform;
class Win32MessageBoxPlatform;

// The real services behind the Win32 window, owned in one place for the program and for
// the tests that run the whole program in their own process.
class ProgramServices {
  public:
    ProgramServices();
    ~ProgramServices();

    MainWindowServices Services();
    // Makes `window` the application's active form, which message boxes are owned by and
    // bring to the front.
    void SetActiveForm(HWND window);

  private:
    std::unique_ptr<FileSystem> fileSystem_;
    std::unique_ptr<ProfileFile> profileFile_;
    std::unique_ptr<FolderRemoval> folderRemoval_;
    std::unique_ptr<ShellPlatform> shell_;
    std::unique_ptr<Win32MessageBoxPlatform> messageBoxPlatform_;
    std::unique_ptr<DesktopShell> desktopShell_;
};
