#pragma once

#include <cstdint>
#include <sys/types.h>
#include <utility>
#include <vector>

// How a walk tells a mount point (another file system, or a bind mount of the same one,
// which has the same device) from a plain subfolder.
enum class MountCheck {
    Automatic,           // the best this kernel offers
    NoCrossingOpen,      // openat2 refuses to cross a mount: no system call of its own
    MountId,             // statx's mount id, as where openat2 is missing (before Linux 5.6)
    DeviceAndMountTable, // st_dev and /proc/self/mountinfo, as before Linux 5.8
};

// Where a folder is: what a subfolder is compared with when the open itself cannot tell.
struct FolderPlace {
    dev_t device = 0;
    ino_t inode = 0;
    std::uint64_t mountId = 0; // 0 where the kernel gives none
};

// Reads where the open folder `fd` is; false when it cannot.
bool LocateFolder(int fd, FolderPlace& place);

// Opens subfolders without ever passing a link or a mount point.
class MountBoundary {
  public:
    // Automatic becomes what this kernel supports. DeviceAndMountTable reads the mount
    // table now, once.
    explicit MountBoundary(MountCheck check);

    MountCheck Check() const { return check_; }

    // True when the subfolders' places must be read (LocateFolder) to check the next level.
    bool NeedsPlaces() const { return check_ != MountCheck::NoCrossingOpen; }

    // Opens the subfolder `name` of the folder `parentFd`, which is at `parent`, with
    // `flags` (O_DIRECTORY and O_NOFOLLOW are added). Returns the descriptor, or -1 with
    // errno set: EXDEV for a mount point, ELOOP or ENOTDIR for a link or a file. When the
    // check read the subfolder's place, it is stored in `opened` and true is returned in
    // `located`.
    int OpenSubFolder(int parentFd, const char* name, int flags, const FolderPlace& parent,
                      FolderPlace& opened, bool& located) const;

  private:
    bool IsSharedMountRoot(const FolderPlace& place) const;

    MountCheck check_;
    // DeviceAndMountTable: the roots of the mounts of devices that are mounted more than
    // once, the only places where a folder on its parent's device can be a mount point.
    std::vector<std::pair<dev_t, ino_t>> sharedMountRoots_;
};
