#include "platform/posix/PosixHeldFolders.h"
#include "platform/posix/PosixHeldRoot.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// STATX_MNT_ID_UNIQUE (Linux 6.8), which older headers lack: a mount id that is never
// handed out again, where the plain one goes to the next mount once it is free. Older
// kernels ignore it and answer with the plain one.
constexpr unsigned StatxMountIdUnique = 0x00004000U;

// Reads the identity of what `path` names relative to `at` (with `flags` as statx takes
// them), and its link count; the errno when it cannot.
int ReadIdentity(int at, const char* path, int flags, FolderIdentity& identity,
                 std::uint64_t& links) {
    struct statx status {};
    if (::statx(at, path, flags, STATX_BASIC_STATS | STATX_BTIME | StatxMountIdUnique, &status) !=
        0) {
        return errno;
    }
    identity.volume = makedev(status.stx_dev_major, status.stx_dev_minor);
    identity.file = status.stx_ino;
    identity.mount =
        (status.stx_mask & (STATX_MNT_ID | StatxMountIdUnique)) != 0 ? status.stx_mnt_id : 0;
    identity.birth = (status.stx_mask & STATX_BTIME) != 0
                         ? static_cast<std::uint64_t>(status.stx_btime.tv_sec) * 1000000000u +
                               status.stx_btime.tv_nsec
                         : 0;
    links = status.stx_nlink;
    return 0;
}

} // namespace

std::shared_ptr<const PosixHeldRoot>
PosixHeldRoot::Hold(std::shared_ptr<const DirectoryHandle> root) {
    FolderIdentity identity;
    std::uint64_t links = 0;
    DirectoryDescriptor held = root->Descriptor();
    if (!held.IsOpen() || ReadIdentity(held.Get(), "", AT_EMPTY_PATH, identity, links) != 0) {
        return nullptr;
    }
    return std::make_shared<PosixHeldRoot>(std::move(root), identity);
}

bool PosixHeldRoot::IsLinked() const {
    FolderIdentity identity;
    std::uint64_t links = 0;
    return ReadIdentity(Fd(), "", AT_EMPTY_PATH, identity, links) == 0 && links > 0;
}

// statx says so since Linux 5.8. Before, a folder on another device than the folder above
// it is one, and so is the system's root, whose ".." is itself; a bind mount of the same
// device then passes for a plain folder.
bool PosixHeldRoot::IsFileSystemTop() const {
    struct statx status {};
    if (::statx(Fd(), "", AT_EMPTY_PATH, 0, &status) == 0 &&
        (status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
        return (status.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    }
    struct stat here {};
    struct stat above {};
    if (::fstat(Fd(), &here) != 0 || ::fstatat(Fd(), "..", &above, 0) != 0) {
        return true;
    }
    return here.st_dev != above.st_dev || here.st_ino == above.st_ino;
}

std::optional<FolderIdentity> PosixHeldRoot::IdentityAtPath(FolderStatus& failure) const {
    FolderIdentity identity;
    std::uint64_t links = 0;
    const std::string& path = Path();
    int error = ReadIdentity(AT_FDCWD, path.empty() ? "/" : path.c_str(), 0, identity, links);
    if (error == 0) {
        return identity;
    }
    failure = FolderStatusOf(error == ENOTDIR ? ENOENT : error);
    return std::nullopt;
}
