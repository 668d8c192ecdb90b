#pragma once

#include "fakes/FakeFolderRemoval.h"
#include "fakes/FakeMainWindow.h"
#include "main_window/frmVacantor.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

// The window's logic over fake controls, the real file system and settings file, a
// settings folder of its own and a folder for the tree a test scans.
class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() { window.form.appPath = appFolder.Text(); }

    TempFolder appFolder;
    TempFolder treeFolder;
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    std::unique_ptr<ProfileFile> profile = CreateSystemProfileFile();
    FakeFolderRemoval removal{*fileSystem};
    FakeMainWindow window;
    frmVacantor form{window.Controls(), window.Services(*fileSystem, *profile, removal)};
    char separator = fileSystem->PathSeparator();
};
