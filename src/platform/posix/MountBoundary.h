#pragma once

#include <cstdint>
#include <memory>
#include <sys/types.h>

// How a walk tells a mount point (another file system, or a bind mount of the same one,
// which has the same device) from a plain subfolder.
enum class MountCheck {
    Automatic,           // the best this kernel offers
    NoCrossingOpen,      // openat2 refuses to cross a mount: no system call of its own
    MountId,             // statx's mount id, as where openat2 is missing (before Linux 5.6)
    HandleMountId,       // name_to_handle_at's mount id, as before Linux 5.8
    DeviceAndMountTable, // st_dev and /proc/self/mountinfo, as where file handles are missing
};

// Where a folder is: what a subfolder is compared with when the open itself cannot tell.
struct FolderPlace {
    dev_t device = 0;
    ino_t inode = 0;
    std::uint64_t mountId = 0; // 0 where the kernel gives none
    bool mountIdKnown = false; // the check's own mount id was read (MountId, HandleMountId)
};

// Reads where the open folder `fd` is (statx's mount id where there is one); false when
// it cannot.
bool LocateFolder(int fd, FolderPlace& place);

// Opens subfolders without ever passing a link or a mount point. May be used from several
// threads at once.
class MountBoundary {
  public:
    // Automatic becomes what this kernel supports.
    explicit MountBoundary(MountCheck check);
    ~MountBoundary();
    MountBoundary(MountBoundary&&) noexcept;
    MountBoundary& operator=(MountBoundary&&) = delete;

    // Reads where the open folder `fd` is, with the mount id this check compares.
    bool Locate(int fd, FolderPlace& place) const;

    // Opens the subfolder `name` of the folder `parentFd`, which is at `parent`, with
    // `flags` (O_DIRECTORY and O_NOFOLLOW are added). Returns the descriptor, or -1 with
    // errno set: EXDEV for a mount point, ELOOP or ENOTDIR for a link or a file. When the
    // check read the subfolder's place, it is stored in `opened` and true is returned in
    // `located`.
    int OpenSubFolder(int parentFd, const char* name, int flags, const FolderPlace& parent,
                      FolderPlace& opened, bool& located) const;

  private:
    class MountTable;

    // 0, or the errno when the mount table could not be read.
    int Crossed(const FolderPlace& parent, const FolderPlace& opened, bool& crossed) const;

    MountCheck check_;
    // Where a mount id may be missing: the mount table, read again whenever it changes.
    std::unique_ptr<MountTable> table_;
};
