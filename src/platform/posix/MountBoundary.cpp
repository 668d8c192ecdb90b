#include "platform/posix/MountBoundary.h"

#include "platform/posix/ReadAtMost.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <linux/openat2.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr std::uint64_t NoCrossing = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS;

int OpenWithoutCrossing(int parentFd, const char* name, int flags) {
    struct open_how how {};
    how.flags = static_cast<std::uint64_t>(flags);
    how.resolve = NoCrossing;
    return static_cast<int>(::syscall(SYS_openat2, parentFd, name, &how, sizeof how));
}

// A field of /proc/self/mountinfo, whose spaces, tabs, newlines and backslashes are written
// as octal escapes.
std::string Unescaped(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            text += static_cast<char>(std::strtol(field.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

// The roots of the mounts of devices that are mounted more than once, from the text of
// /proc/self/mountinfo: the only places where a folder on its parent's device can be a
// mount point.
std::vector<std::pair<dev_t, ino_t>> SharedMountRoots(const std::string& text) {
    // Fields: mount id, parent id, major:minor, root, mount point, ...
    std::map<std::string, std::vector<std::string>> mountPointsByDevice;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) {
            lineEnd = text.size();
        }
        std::vector<std::string> fields;
        for (std::size_t at = lineStart; at < lineEnd && fields.size() < 5;) {
            std::size_t end = std::min(text.find(' ', at), lineEnd);
            fields.emplace_back(text, at, end - at);
            at = end + 1;
        }
        if (fields.size() == 5) {
            mountPointsByDevice[fields[2]].push_back(Unescaped(fields[4]));
        }
        lineStart = lineEnd + 1;
    }
    std::vector<std::pair<dev_t, ino_t>> roots;
    for (const auto& [device, mountPoints] : mountPointsByDevice) {
        if (mountPoints.size() < 2) {
            continue;
        }
        for (const std::string& mountPoint : mountPoints) {
            struct stat status {};
            if (::stat(mountPoint.c_str(), &status) == 0) {
                roots.emplace_back(status.st_dev, status.st_ino);
            }
        }
    }
    std::sort(roots.begin(), roots.end());
    return roots;
}

// The whole text of the open /proc/self/mountinfo, from its start; nullopt when it cannot
// be read.
std::optional<std::string> ReadWhole(int fd) {
    if (::lseek(fd, 0, SEEK_SET) != 0) {
        return std::nullopt;
    }
    return ReadAtMost(fd, SIZE_MAX);
}

bool IsShortOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE;
}

// The mount id of the open folder `fd` as name_to_handle_at gives it (Linux 2.6.39), or
// nullopt where the file system gives no handles (EOPNOTSUPP) or the kernel has none.
std::optional<std::uint64_t> HandleMountId(int fd) {
    alignas(struct file_handle) unsigned char storage[sizeof(struct file_handle) + MAX_HANDLE_SZ];
    auto* handle = reinterpret_cast<struct file_handle*>(storage);
    handle->handle_bytes = MAX_HANDLE_SZ;
    int mountId = 0;
    if (::name_to_handle_at(fd, "", handle, &mountId, AT_EMPTY_PATH) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(mountId);
}

// What this kernel offers, asked once per process.
MountCheck Supported() {
    static const MountCheck supported = [] {
        int fd = OpenWithoutCrossing(AT_FDCWD, "/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            return MountCheck::NoCrossingOpen;
        }
        struct statx status {};
        if (::statx(AT_FDCWD, "/", 0, STATX_MNT_ID, &status) == 0 &&
            (status.stx_mask & STATX_MNT_ID) != 0) {
            return MountCheck::MountId;
        }
        // Whether the kernel has file handles at all: a file system without them (as "/"
        // may be in a container) falls back to the mount table folder by folder.
        int root = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        const bool handles = root >= 0 && (HandleMountId(root).has_value() || errno != ENOSYS);
        if (root >= 0) {
            ::close(root);
        }
        return handles ? MountCheck::HandleMountId : MountCheck::DeviceAndMountTable;
    }();
    return supported;
}

} // namespace

bool LocateFolder(int fd, FolderPlace& place) {
    struct statx status {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_MNT_ID, &status) == 0) {
        place.device = makedev(status.stx_dev_major, status.stx_dev_minor);
        place.inode = status.stx_ino;
        place.mountIdKnown = (status.stx_mask & STATX_MNT_ID) != 0;
        place.mountId = place.mountIdKnown ? status.stx_mnt_id : 0;
        return true;
    }
    struct stat fallback {};
    if (errno != ENOSYS || ::fstat(fd, &fallback) != 0) {
        return false;
    }
    place.device = fallback.st_dev;
    place.inode = fallback.st_ino;
    place.mountId = 0;
    place.mountIdKnown = false;
    return true;
}

// The roots of the shared devices' mounts (SharedMountRoots). /proc/self/mountinfo stays
// open, because the kernel marks it (POLLPRI) whenever a mount is made or removed in the
// namespace: the table is read again then. Each subfolder is checked after it is opened,
// so a mount made before that opening, however late in the walk, is in the table.
class MountBoundary::MountTable {
  public:
    MountTable() : fd_(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)) {
        if (fd_ >= 0) {
            Read(fd_);
        }
    }
    ~MountTable() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    MountTable(const MountTable&) = delete;
    MountTable& operator=(const MountTable&) = delete;

    // Whether `place` is the root of such a mount. 0, or the errno when the table cannot
    // be read for want of descriptors: the answer would be a guess.
    int Holds(const FolderPlace& place, bool& holds) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (fd_ >= 0) {
            struct pollfd changed {
                fd_, POLLPRI, 0
            };
            if (::poll(&changed, 1, 0) > 0 && (changed.revents & (POLLPRI | POLLERR)) != 0) {
                Read(fd_);
            }
        } else {
            // Nothing to watch: read it afresh each time. Without /proc there is no table,
            // and only the device tells.
            int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
            if (fd < 0 && IsShortOfDescriptors(errno)) {
                return errno;
            }
            roots_.clear();
            if (fd >= 0) {
                Read(fd);
                ::close(fd);
            }
        }
        holds = std::binary_search(roots_.begin(), roots_.end(),
                                   std::make_pair(place.device, place.inode));
        return 0;
    }

  private:
    void Read(int fd) {
        if (std::optional<std::string> text = ReadWhole(fd)) {
            roots_ = SharedMountRoots(*text);
        }
    }

    const int fd_;
    std::mutex mutex_;
    std::vector<std::pair<dev_t, ino_t>> roots_;
};

MountBoundary::MountBoundary(MountCheck check)
    : check_(check == MountCheck::Automatic ? Supported() : check) {
    if (check_ == MountCheck::HandleMountId || check_ == MountCheck::DeviceAndMountTable) {
        table_ = std::make_unique<MountTable>();
    }
}

MountBoundary::~MountBoundary() = default;
MountBoundary::MountBoundary(MountBoundary&&) noexcept = default;

bool MountBoundary::Locate(int fd, FolderPlace& place) const {
    if (!LocateFolder(fd, place)) {
        return false;
    }
    if (check_ == MountCheck::HandleMountId || check_ == MountCheck::DeviceAndMountTable) {
        // As on a kernel whose statx has no mount id.
        std::optional<std::uint64_t> mountId =
            check_ == MountCheck::HandleMountId ? HandleMountId(fd) : std::nullopt;
        place.mountIdKnown = mountId.has_value();
        place.mountId = mountId.value_or(0);
    }
    return true;
}

int MountBoundary::OpenSubFolder(int parentFd, const char* name, int flags,
                                 const FolderPlace& parent, FolderPlace& opened,
                                 bool& located) const {
    flags |= O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    located = false;
    if (check_ == MountCheck::NoCrossingOpen) {
        return OpenWithoutCrossing(parentFd, name, flags);
    }
    int fd = ::openat(parentFd, name, flags);
    if (fd < 0) {
        return -1;
    }
    bool crossed = false;
    int error = Locate(fd, opened) ? Crossed(parent, opened, crossed) : errno;
    if (error != 0 || crossed) {
        ::close(fd);
        errno = error != 0 ? error : EXDEV;
        return -1;
    }
    located = true;
    return fd;
}

// Where both mount ids are known they decide; otherwise (a file system without handles,
// or no mount ids at all) another device, or the root of a mount of the same device.
int MountBoundary::Crossed(const FolderPlace& parent, const FolderPlace& opened,
                           bool& crossed) const {
    if (check_ == MountCheck::MountId || (parent.mountIdKnown && opened.mountIdKnown)) {
        crossed = opened.mountId != parent.mountId;
        return 0;
    }
    if (opened.device != parent.device) {
        crossed = true;
        return 0;
    }
    return table_->Holds(opened, crossed);
}
