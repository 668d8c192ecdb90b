#pragma once

#include "main_window/frmVacantor.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/ProfileFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The real file system, settings file and removal for a window under test, with every
// message recorded.
class WindowTestServices {
  public:
    struct Message {
        std::string text;
        std::string title;
        std::int32_t style;
    };

    MainWindowServices Services();
    std::vector<std::string> MessageTexts() const;

    std::vector<Message> messages;
    std::string browseResult; // what the picker returns ("" for cancel)

  private:
    std::unique_ptr<FileSystem> fileSystem_ = CreateSystemFileSystem();
    std::unique_ptr<ProfileFile> profileFile_ = CreateSystemProfileFile();
    std::unique_ptr<FolderRemoval> folderRemoval_ = CreateSystemFolderRemoval();
};
