#pragma once

#include "platform/FileSystem.h"
#include "platform/HeldRoot.h"
#include "platform/PathText.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// An in-memory folder tree with Windows paths, in the order entries were added, that fails
// on demand. Every operation looks the tree up afresh, so a change made from onOpen (under
// the tree's lock), or from the event pump of a walk alone, is seen at once.
class FakeFileSystem : public FileSystem {
  public:
    struct Node {
        std::string name;
        bool isFolder = true;
        std::uint32_t attributes = FolderAttributeDirectory;
        std::vector<std::unique_ptr<Node>> children;
        bool failOpen = false;       // GetFolder/OpenSubFolder answer nullptr
        bool failContents = false;   // counts and names cannot be read
        int failReadings = 0;        // so many next readings of them fail, as for a moment
        bool failAttributes = false; // its Attributes cannot be read
        bool mountPoint = false;     // OpenSubFolder finds a mount point there

        Node* Child(std::string_view childName) const {
            auto found = std::find_if(children.begin(), children.end(),
                                      [&](const auto& child) { return child->name == childName; });
            return found == children.end() ? nullptr : found->get();
        }
    };

    explicit FakeFileSystem(std::string rootPath = "C:\\Root") : rootPath_(std::move(rootPath)) {}

    const std::string& RootPath() const { return rootPath_; }
    Node& Root() { return root_; }

    // Adds the entries of `relative` ('/' between names) below the root, creating folders
    // on the way: "a/b/" is a folder, "a/f" a file. Returns the last one.
    Node& Add(std::string_view relative) {
        Node* at = &root_;
        while (!relative.empty()) {
            std::size_t cut = relative.find('/');
            std::string_view name = relative.substr(0, cut);
            bool isFolder = cut != std::string_view::npos;
            Node* child = at->Child(name);
            if (!child) {
                child = at->children.emplace_back(std::make_unique<Node>()).get();
                child->name = std::string(name);
                child->isFolder = isFolder;
                child->attributes = isFolder ? FolderAttributeDirectory : 0;
            }
            at = child;
            relative = isFolder ? relative.substr(cut + 1) : std::string_view();
        }
        return *at;
    }

    // The node at a relative path ('/' between names), or nullptr.
    Node* Find(std::string_view relative) {
        Node* at = &root_;
        while (at && !relative.empty()) {
            std::size_t cut = relative.find('/');
            at = at->Child(relative.substr(0, cut));
            relative =
                cut == std::string_view::npos ? std::string_view() : relative.substr(cut + 1);
        }
        return at;
    }

    // Removes the entry at a relative path with everything below it.
    void Remove(std::string_view relative) {
        std::size_t cut = relative.rfind('/'); // npos + 1 is 0
        Node* parent = cut == std::string_view::npos ? &root_ : Find(relative.substr(0, cut));
        if (parent) {
            std::erase_if(parent->children, [&](const auto& child) {
                return child->name == relative.substr(cut + 1);
            });
        }
    }

    // The node at a full path, or nullptr.
    Node* AtPath(std::string path) {
        if (path != rootPath_ && !path.starts_with(rootPath_ + '\\')) {
            return nullptr;
        }
        std::replace(path.begin(), path.end(), '\\', '/');
        return Find(std::string_view(path).substr(std::min(path.size(), rootPath_.size() + 1)));
    }

    // Runs before a folder is opened, with its full path, under the tree's lock.
    std::function<void(const std::string& path)> onOpen;
    // The full paths of the folders opened, in order.
    std::vector<std::string> opened;
    // The paths of the folder objects alive now, and the most alive at once.
    std::multiset<std::string> livePaths;
    int peakLiveFolders = 0;
    // How long opening a folder takes, outside the lock, as for a slow disk; and the most
    // openings under way at once.
    std::chrono::microseconds latency{0};
    std::atomic<int> openings{0};
    std::atomic<int> peakOpenings{0};
    // What SpareOpenFolders answers: a limit like Linux's on descriptors.
    std::optional<std::size_t> spareOpenFolders;
    // Which folder is at the root path now, as its hold reads it. A hold taken before
    // rootGeneration changed holds a root deleted since: the worst case, where the new root
    // got the old one's numbers.
    FolderIdentity rootIdentity{1, 2, 3};
    // Whether the root is the top of a file system, as its hold tells.
    bool rootIsFileSystemTop = false;
    int rootGeneration = 0;

    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }

    char PathSeparator() const override { return '\\'; }

    bool FolderExists(const std::string& path) override { return Exists(path, true); }
    bool FileExists(const std::string& path) override { return Exists(path, false); }

    std::string GetParentFolderName(const std::string& path) override {
        return ParentFolderName(WindowsPathSyntax(), path);
    }

    std::string BuildPath(const std::string& path, const std::string& name) override {
        return ::BuildPath(WindowsPathSyntax(), path, name);
    }

    // Every file of the tree is a regular file: `junk` is asked of each.
    std::unique_ptr<Folder> GetFolder(const std::string& path,
                                      const JunkFileTest* junk = nullptr) override;

    std::optional<std::size_t> SpareOpenFolders() const override { return spareOpenFolders; }

  private:
    bool Exists(const std::string& path, bool folder) {
        auto lock = Lock();
        Node* node = AtPath(path);
        return node && node->isFolder == folder;
    }

    std::string rootPath_;
    Node root_;
    std::mutex mutex_;
};

class FakeFolder : public Folder {
  public:
    FakeFolder(FakeFileSystem& fileSystem, std::string path, const JunkFileTest* junk)
        : fileSystem_(fileSystem), path_(std::move(path)), junk_(junk) {}
    ~FakeFolder() override {
        auto lock = fileSystem_.Lock();
        fileSystem_.livePaths.erase(fileSystem_.livePaths.find(path_));
    }

    const std::string& Path() const override { return path_; }

    std::optional<std::size_t> FilesCount() override { return Count(false); }
    std::size_t JunkFilesCount() override { return Count(false, true).value_or(0); }
    std::optional<std::size_t> SubFoldersCount() override { return Count(true); }
    std::optional<std::vector<std::string>> SubFolderNames() override { return Names(true); }

    std::optional<std::uint32_t> SubFolderAttributes(std::string_view name) override {
        auto lock = fileSystem_.Lock();
        FakeFileSystem::Node* child = Child(name);
        if (!child || !child->isFolder || child->failAttributes) {
            return std::nullopt;
        }
        return child->attributes;
    }

    OpenedSubFolder OpenSubFolder(std::string_view name) override {
        std::unique_lock<std::mutex> lock = fileSystem_.Lock();
        FakeFileSystem::Node* child = Child(name);
        if (child && child->mountPoint) {
            return {nullptr, true};
        }
        lock.unlock();
        return {fileSystem_.GetFolder(path_ + '\\' + std::string(name), junk_)};
    }

    std::shared_ptr<const HeldRoot> HoldRoot() const override;

  private:
    FakeFileSystem::Node* Child(std::string_view name) const {
        FakeFileSystem::Node* node = fileSystem_.AtPath(path_);
        return node ? node->Child(name) : nullptr;
    }

    // The names of its subfolders or files (junk or not), or nullopt when they cannot be read.
    std::optional<std::vector<std::string>> Names(bool folders, bool junk = false) const {
        auto lock = fileSystem_.Lock();
        FakeFileSystem::Node* node = fileSystem_.AtPath(path_);
        if (node && node->failReadings > 0) {
            --node->failReadings;
            return std::nullopt;
        }
        if (!node || !node->isFolder || node->failContents) {
            return std::nullopt;
        }
        std::vector<std::string> names;
        for (const auto& child : node->children) {
            bool isJunk = !child->isFolder && junk_ && junk_->IsJunkFile(child->name);
            if (child->isFolder == folders && isJunk == junk) {
                names.push_back(child->name);
            }
        }
        return names;
    }

    std::optional<std::size_t> Count(bool folders, bool junk = false) const {
        std::optional<std::vector<std::string>> names = Names(folders, junk);
        return names ? std::optional(names->size()) : std::nullopt;
    }

    FakeFileSystem& fileSystem_;
    std::string path_;
    const JunkFileTest* junk_;
};

inline std::unique_ptr<Folder> FakeFileSystem::GetFolder(const std::string& path,
                                                         const JunkFileTest* junk) {
    if (latency.count() > 0) {
        const int now = ++openings;
        for (int peak = peakOpenings;
             now > peak && !peakOpenings.compare_exchange_weak(peak, now);) {
        }
        std::this_thread::sleep_for(latency);
        --openings;
    }
    auto lock = Lock();
    if (onOpen) {
        onOpen(path);
    }
    Node* node = AtPath(path);
    if (!node || !node->isFolder || node->failOpen) {
        return nullptr;
    }
    opened.push_back(path);
    livePaths.insert(path);
    peakLiveFolders = std::max(peakLiveFolders, static_cast<int>(livePaths.size()));
    return std::make_unique<FakeFolder>(*this, path, junk);
}

// The root as a fake folder holds it: what was there when it was taken.
class FakeHeldRoot : public HeldRoot {
  public:
    FakeHeldRoot(FakeFileSystem& fileSystem, std::string path)
        : fileSystem_(fileSystem), path_(std::move(path)), identity_(fileSystem.rootIdentity),
          generation_(fileSystem.rootGeneration) {}

    const std::string& Path() const override { return path_; }
    const FolderIdentity& Identity() const override { return identity_; }
    bool IsLinked() const override { return fileSystem_.rootGeneration == generation_; }
    bool IsFileSystemTop() const override { return fileSystem_.rootIsFileSystemTop; }

    // Runs onOpen, as opening the folder at the path would.
    std::optional<FolderIdentity> IdentityAtPath(FolderStatus& failure) const override {
        auto lock = fileSystem_.Lock();
        if (fileSystem_.onOpen) {
            fileSystem_.onOpen(path_);
        }
        FakeFileSystem::Node* node = fileSystem_.AtPath(path_);
        if (!node || !node->isFolder) {
            failure = {FolderError::Gone, {}};
            return std::nullopt;
        }
        return fileSystem_.rootIdentity;
    }

    // The removals of these tests are fakes of their own.
    std::unique_ptr<HeldFolders> HoldFolders(FolderStatus& failure) const override {
        failure = {FolderError::Other, "a fake root holds no folders"};
        return nullptr;
    }

  private:
    FakeFileSystem& fileSystem_;
    std::string path_;
    FolderIdentity identity_;
    int generation_;
};

inline std::shared_ptr<const HeldRoot> FakeFolder::HoldRoot() const {
    return path_ == fileSystem_.RootPath() ? std::make_shared<FakeHeldRoot>(fileSystem_, path_)
                                           : nullptr;
}
