#include "platform/posix/MountBoundary.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <linux/openat2.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr std::uint64_t NoCrossing = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS;

int OpenWithoutCrossing(int parentFd, const char* name, int flags) {
    struct open_how how {};
    how.flags = static_cast<std::uint64_t>(flags);
    how.resolve = NoCrossing;
    return static_cast<int>(::syscall(SYS_openat2, parentFd, name, &how, sizeof how));
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
        return MountCheck::DeviceAndMountTable;
    }();
    return supported;
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

std::vector<std::pair<dev_t, ino_t>> ReadSharedMountRoots() {
    std::vector<std::pair<dev_t, ino_t>> roots;
    std::FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (table == nullptr) {
        return roots;
    }
    // Fields: mount id, parent id, major:minor, root, mount point, ...
    std::map<std::string, std::vector<std::string>> mountPointsByDevice;
    char* line = nullptr;
    std::size_t size = 0;
    while (::getline(&line, &size, table) > 0) {
        std::vector<std::string> fields;
        for (const char* at = line; *at != '\0' && *at != '\n' && fields.size() < 5;) {
            const char* end = at;
            while (*end != ' ' && *end != '\0' && *end != '\n') {
                ++end;
            }
            fields.emplace_back(at, end);
            at = *end == ' ' ? end + 1 : end;
        }
        if (fields.size() == 5) {
            mountPointsByDevice[fields[2]].push_back(Unescaped(fields[4]));
        }
    }
    std::free(line);
    std::fclose(table);
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

} // namespace

bool LocateFolder(int fd, FolderPlace& place) {
    struct statx status {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_MNT_ID, &status) == 0) {
        place.device = makedev(status.stx_dev_major, status.stx_dev_minor);
        place.inode = status.stx_ino;
        place.mountId = (status.stx_mask & STATX_MNT_ID) != 0 ? status.stx_mnt_id : 0;
        return true;
    }
    struct stat fallback {};
    if (errno != ENOSYS || ::fstat(fd, &fallback) != 0) {
        return false;
    }
    place.device = fallback.st_dev;
    place.inode = fallback.st_ino;
    place.mountId = 0;
    return true;
}

MountBoundary::MountBoundary(MountCheck check)
    : check_(check == MountCheck::Automatic ? Supported() : check) {
    if (check_ == MountCheck::DeviceAndMountTable) {
        sharedMountRoots_ = ReadSharedMountRoots();
    }
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
    if (!LocateFolder(fd, opened)) {
        int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    located = true;
    bool crossed = check_ == MountCheck::MountId
                       ? opened.mountId != parent.mountId
                       : opened.device != parent.device || IsSharedMountRoot(opened);
    if (crossed) {
        ::close(fd);
        errno = EXDEV;
        return -1;
    }
    return fd;
}

bool MountBoundary::IsSharedMountRoot(const FolderPlace& place) const {
    return std::binary_search(sharedMountRoots_.begin(), sharedMountRoots_.end(),
                              std::make_pair(place.device, place.inode));
}
