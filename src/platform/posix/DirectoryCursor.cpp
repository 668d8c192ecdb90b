#include "platform/posix/DirectoryCursor.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

FolderHandle::~FolderHandle() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.Release();
    }
    return *this;
}

int FolderHandle::Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

DirectoryCursor::DirectoryCursor(FolderHandle top) {
    Level level;
    level.fd = top.Release();
    ::fstat(level.fd, &level.status);
    levels_.push_back(level);
}

DirectoryCursor::~DirectoryCursor() {
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it) {
        if (it->fd >= 0) {
            RestoreMode(*it);
            ::close(it->fd);
        }
    }
}

int DirectoryCursor::Descend(const std::string& name) {
    int fd = ::openat(Fd(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    Level level;
    level.fd = fd;
    if (::fstat(fd, &level.status) != 0) {
        int error = errno;
        ::close(fd);
        return error;
    }
    levels_.push_back(level);
    if (levels_.size() > OpenLevelsLimit) {
        Level& far = levels_[levels_.size() - 1 - OpenLevelsLimit];
        // Level 0 is the caller's folder: kept open so that it is never looked up again.
        if (far.fd >= 0 && &far != &levels_.front() && !far.ownerWriteAdded) {
            ::close(far.fd);
            far.fd = -1;
        }
    }
    return 0;
}

int DirectoryCursor::Ascend() {
    Level child = levels_.back();
    levels_.pop_back();
    Level& parent = levels_.back();
    int result = 0;
    if (parent.fd < 0) {
        int fd = ::openat(child.fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            result = errno;
        } else {
            struct stat status {};
            if (::fstat(fd, &status) != 0 || status.st_dev != parent.status.st_dev ||
                status.st_ino != parent.status.st_ino) {
                ::close(fd);
                result = ESTALE;
            } else {
                parent.fd = fd;
            }
        }
    }
    RestoreMode(child);
    ::close(child.fd);
    if (result != 0) {
        // The walk cannot go on: back to level 0, which is always open.
        while (levels_.size() > 1) {
            Level& level = levels_.back();
            if (level.fd >= 0) {
                RestoreMode(level);
                ::close(level.fd);
            }
            levels_.pop_back();
        }
    }
    return result;
}

bool DirectoryCursor::AddOwnerWrite() {
    Level& level = levels_.back();
    if ((level.status.st_mode & S_IWUSR) != 0 || level.ownerWriteAdded) {
        return false;
    }
    if (::fchmod(level.fd, (level.status.st_mode | S_IWUSR) & 07777) != 0) {
        return false;
    }
    level.ownerWriteAdded = true;
    return true;
}

void DirectoryCursor::RestoreMode(Level& level) {
    if (level.ownerWriteAdded) {
        ::fchmod(level.fd, level.status.st_mode & 07777);
        level.ownerWriteAdded = false;
    }
}

bool IsNotAFolderError(int error) {
    return error == ELOOP || error == ENOTDIR;
}
