#pragma once

#include <cstddef>
#include <string>
#include <sys/stat.h>
#include <vector>

// An open folder handle, closed when it goes.
class FolderHandle {
  public:
    FolderHandle() = default;
    explicit FolderHandle(int fd) : fd_(fd) {}
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept : fd_(other.Release()) {}
    FolderHandle& operator=(FolderHandle&& other) noexcept;

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    int Release();

  private:
    int fd_ = -1;
};

// Walks down and up a folder tree by handles, never through a link: each step down opens
// a subfolder of the current folder with O_NOFOLLOW, so a folder renamed or replaced
// behind the walk cannot redirect it. Only the innermost levels stay open, so trees
// thousands of levels deep need a bounded number of file descriptors; an upper level
// whose handle was closed is reopened through ".." and must be the very folder it was.
class DirectoryCursor {
  public:
    // Starts at an open folder, which becomes level 0.
    explicit DirectoryCursor(FolderHandle top);
    ~DirectoryCursor();
    DirectoryCursor(const DirectoryCursor&) = delete;
    DirectoryCursor& operator=(const DirectoryCursor&) = delete;

    int Fd() const { return levels_.back().fd; }
    const struct stat& Status() const { return levels_.back().status; }
    std::size_t Depth() const { return levels_.size() - 1; }

    // Opens the named subfolder of the current folder and makes it current. Returns 0 or
    // the errno (ELOOP or ENOTDIR when it is not a folder, or is a link).
    int Descend(const std::string& name);

    // Makes the parent current again. Returns 0, the errno of reopening it, or ESTALE
    // when the folder reached through ".." is not the one that was left.
    int Ascend();

    // The owner-write bit of the current folder, set so that its subfolders can be
    // removed, and put back as it was when the level is left.
    bool AddOwnerWrite();

  private:
    struct Level {
        int fd = -1;
        struct stat status {};
        bool ownerWriteAdded = false;
    };
    static constexpr std::size_t OpenLevelsLimit = 64;

    void RestoreMode(Level& level);

    std::vector<Level> levels_;
};

// True when the errno of an open, an openat or an unlinkat says that the name is not a
// folder (or is a link), so the entry must be looked at with lstat.
bool IsNotAFolderError(int error);
