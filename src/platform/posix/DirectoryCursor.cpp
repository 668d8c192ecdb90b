#include "platform/posix/DirectoryCursor.h"

#include <algorithm>
#include <cerrno>

DirectoryCursor::DirectoryCursor(DirectoryHandle::Opened top) {
    const std::size_t spare = top.handle->Share().spare;
    openLevelsLimit_ = std::clamp<std::size_t>(spare > 4 ? spare - 4 : 1, 1, 64);
    Level level;
    level.handle = std::move(top.handle);
    level.descriptor = std::move(top.descriptor);
    levels_.push_back(std::move(level));
}

DirectoryCursor::~DirectoryCursor() {
    RestoreModes();
}

int DirectoryCursor::Fd() {
    Level& level = levels_.back();
    if (!level.descriptor.IsOpen()) {
        level.descriptor = level.handle->Descriptor();
    }
    return level.descriptor.Get();
}

const struct stat* DirectoryCursor::Status() {
    Level& level = levels_.back();
    if (!level.statusRead) {
        int fd = Fd();
        if (fd < 0 || ::fstat(fd, &level.status) != 0) {
            return nullptr;
        }
        level.statusRead = true;
    }
    return &level.status;
}

int DirectoryCursor::Descend(const std::string& name) {
    int parentFd = Fd();
    if (parentFd < 0) {
        return ESTALE;
    }
    DirectoryHandle::Opened opened =
        DirectoryHandle::OpenChild(levels_.back().handle, name, parentFd);
    if (!opened.descriptor.IsOpen()) {
        return opened.error != 0 ? opened.error : ESTALE;
    }
    Level level;
    level.handle = std::move(opened.handle);
    level.descriptor = std::move(opened.descriptor);
    levels_.push_back(std::move(level));
    if (levels_.size() > openLevelsLimit_ + 1) {
        // A level far up gives up a descriptor the chain does not keep; one whose mode
        // was changed holds it until the mode is put back.
        Level& far = levels_[levels_.size() - 1 - openLevelsLimit_];
        if (far.descriptor.IsOwned() && !far.ownerWriteAdded) {
            far.descriptor.Close();
        }
    }
    return 0;
}

void DirectoryCursor::Ascend() {
    RestoreMode(levels_.back());
    levels_.pop_back();
}

void DirectoryCursor::AscendTo(std::size_t depth) {
    while (Depth() > depth) {
        Ascend();
    }
}

bool DirectoryCursor::AddOwnerWrite() {
    Level& level = levels_.back();
    const struct stat* status = Status();
    if (status == nullptr || (status->st_mode & S_IWUSR) != 0 || level.ownerWriteAdded) {
        return false;
    }
    if (::fchmod(level.descriptor.Get(), (status->st_mode | S_IWUSR) & 07777) != 0) {
        return false;
    }
    level.ownerWriteAdded = true;
    return true;
}

void DirectoryCursor::RestoreModes() {
    for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
        RestoreMode(*level);
    }
}

void DirectoryCursor::RestoreMode(Level& level) {
    if (level.ownerWriteAdded) {
        ::fchmod(level.descriptor.Get(), level.status.st_mode & 07777);
        level.ownerWriteAdded = false;
    }
}

bool IsNotAFolderError(int error) {
    return error == ELOOP || error == ENOTDIR;
}
