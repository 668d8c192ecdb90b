#pragma once

#include "platform/FileSystem.h"

#include <functional>
#include <memory>
#include <string>

// The platform's file system with a hook that runs, on whichever thread opens the folder,
// just before a subfolder is opened: a fixed point at which a test changes the real tree.
class HookedFileSystem : public FileSystem {
  public:
    HookedFileSystem(FileSystem& inner, std::function<void(const std::string& path)> onOpen)
        : inner_(inner), onOpen_(std::move(onOpen)) {}

    char PathSeparator() const override { return inner_.PathSeparator(); }
    bool FolderExists(const std::string& path) override { return inner_.FolderExists(path); }
    bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
    std::string GetParentFolderName(const std::string& path) override {
        return inner_.GetParentFolderName(path);
    }
    std::string BuildPath(const std::string& path, const std::string& name) override {
        return inner_.BuildPath(path, name);
    }
    std::unique_ptr<Folder> GetFolder(const std::string& path,
                                      const ListingRules* rules = nullptr) override {
        return Wrap(inner_.GetFolder(path, rules), path);
    }

  private:
    class HookedFolder : public Folder {
      public:
        HookedFolder(HookedFileSystem& fileSystem, std::unique_ptr<Folder> inner, std::string path)
            : fileSystem_(fileSystem), inner_(std::move(inner)), path_(std::move(path)) {}

        const std::string& Path() const override { return path_; }
        std::optional<std::size_t> FilesCount() override { return inner_->FilesCount(); }
        std::size_t JunkFilesCount() override { return inner_->JunkFilesCount(); }
        std::optional<std::size_t> SubFoldersCount() override { return inner_->SubFoldersCount(); }
        std::optional<std::vector<std::string>> SubFolderNames() override {
            return inner_->SubFolderNames();
        }
        std::optional<std::uint32_t> SubFolderAttributes(std::string_view name) override {
            return inner_->SubFolderAttributes(name);
        }
        OpenedSubFolder OpenSubFolder(std::string_view name) override {
            std::string path = fileSystem_.BuildPath(path_, std::string(name));
            fileSystem_.onOpen_(path);
            OpenedSubFolder opened = inner_->OpenSubFolder(name);
            return {fileSystem_.Wrap(std::move(opened.folder), path), opened.mountPoint};
        }
        std::optional<FolderIdentity> Identity() const override { return inner_->Identity(); }

      private:
        HookedFileSystem& fileSystem_;
        std::unique_ptr<Folder> inner_;
        std::string path_;
    };

    std::unique_ptr<Folder> Wrap(std::unique_ptr<Folder> folder, std::string path) {
        return folder ? std::make_unique<HookedFolder>(*this, std::move(folder), std::move(path))
                      : nullptr;
    }

    FileSystem& inner_;
    std::function<void(const std::string& path)> onOpen_;
};
