#pragma once

#include "platform/posix/DirectoryHandle.h"

#include <cstddef>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

// The removal's walk down and up a folder tree on the descriptor chain: each step down
// opens a subfolder of the current folder (DirectoryHandle::OpenChild: never through a
// link, never onto another mount), so a folder renamed or replaced behind the walk cannot
// redirect it. Besides the descriptors the chain keeps, the cursor holds those of its
// innermost levels; a level left without one is reopened and checked by the chain when it
// is needed again.
class DirectoryCursor {
  public:
    // Starts at an opened folder, which becomes level 0.
    explicit DirectoryCursor(DirectoryHandle::Opened top);
    // Puts back the modes it changed.
    ~DirectoryCursor();
    DirectoryCursor(const DirectoryCursor&) = delete;
    DirectoryCursor& operator=(const DirectoryCursor&) = delete;

    std::size_t Depth() const { return levels_.size() - 1; }

    // A descriptor of the current folder; -1 when it can no longer be reached as the
    // folder it was.
    int Fd();

    // The status of the current folder, read once; nullptr when it cannot be read.
    const struct stat* Status();

    // Opens the named subfolder of the current folder and makes it current. Returns 0 or
    // the errno: EXDEV for a mount point, ELOOP or ENOTDIR for a link or a file, ESTALE
    // when the current folder can no longer be reached.
    int Descend(const std::string& name);

    // Makes the parent current again, putting back the mode of the folder it leaves.
    void Ascend();
    void AscendTo(std::size_t depth);

    // Adds the owner-write bit to the current folder, so that its subfolders can be
    // removed; it is put back when the level is left, or by RestoreModes.
    bool AddOwnerWrite();
    void RestoreModes();

  private:
    struct Level {
        std::shared_ptr<const DirectoryHandle> handle;
        DirectoryDescriptor descriptor;
        struct stat status {};
        bool statusRead = false;
        bool ownerWriteAdded = false;
    };
    // Innermost levels that hold a descriptor besides those the chain keeps: at most 64,
    // fewer where the walk's share of descriptors leaves fewer spare (a level being
    // reopened and the folder being opened need two).
    std::size_t openLevelsLimit_;

    void RestoreMode(Level& level);

    std::vector<Level> levels_;
};

// True when the errno of an open, an openat or an unlinkat says that the name is not a
// folder (or is a link), so the entry must be looked at with lstat.
bool IsNotAFolderError(int error);
