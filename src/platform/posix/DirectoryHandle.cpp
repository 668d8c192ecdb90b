#include "platform/posix/DirectoryHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int ReadFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr int ChildFlags = ReadFlags | O_NOFOLLOW;
#ifdef O_PATH
// Enough to open children and to stat them, and cheaper than a readable descriptor.
constexpr int ReopenFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
#else
constexpr int ReopenFlags = ChildFlags;
#endif

bool IsAccessDenied(int error) {
    return error == EACCES || error == EPERM;
}

} // namespace

DirectoryHandle::DirectoryHandle(std::shared_ptr<DirectoryHandle> parent, std::string name, int fd,
                                 std::size_t depth)
    : parent_(std::move(parent)), name_(std::move(name)), fd_(fd), depth_(depth) {}

DirectoryHandle::~DirectoryHandle() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    // Release a long chain of ancestors one by one instead of by recursive destructors,
    // which would overflow the stack on a very deep tree.
    std::shared_ptr<DirectoryHandle> ancestor = std::move(parent_);
    while (ancestor && ancestor.use_count() == 1) {
        std::shared_ptr<DirectoryHandle> next = std::move(ancestor->parent_);
        ancestor = std::move(next);
    }
}

DirectoryHandle::Borrowed::~Borrowed() {
    if (owned && fd >= 0) {
        ::close(fd);
    }
}

DirectoryHandle::Borrowed& DirectoryHandle::Borrowed::operator=(Borrowed&& other) noexcept {
    if (this != &other) {
        if (owned && fd >= 0) {
            ::close(fd);
        }
        fd = other.fd;
        owned = other.owned;
        other.owned = false;
    }
    return *this;
}

std::shared_ptr<DirectoryHandle> DirectoryHandle::OpenRoot(const std::string& path, int& error) {
    int fd = ::open(path.empty() ? "/" : path.c_str(), ReadFlags);
    if (fd < 0) {
        error = errno;
        if (!IsAccessDenied(error)) {
            return nullptr;
        }
    }
    return std::shared_ptr<DirectoryHandle>(new DirectoryHandle(nullptr, path, fd, 0));
}

std::shared_ptr<DirectoryHandle>
DirectoryHandle::OpenChild(const std::shared_ptr<DirectoryHandle>& parent, const std::string& name,
                           int& error) {
    Borrowed at = parent->Borrow();
    if (at.fd < 0) {
        error = ENOENT;
        return nullptr;
    }
    int fd = ::openat(at.fd, name.c_str(), ChildFlags);
    if (fd < 0) {
        error = errno;
        if (!IsAccessDenied(error)) {
            return nullptr;
        }
    }
    return std::shared_ptr<DirectoryHandle>(
        new DirectoryHandle(parent, name, fd, parent->depth_ + 1));
}

void DirectoryHandle::Settle() {
    bool keeps = depth_ < AlwaysOpenDepth || depth_ % CheckpointEvery == 0;
    if (keeps || fd_ < 0) {
        return;
    }
    struct stat status;
    if (::fstat(fd_, &status) == 0) {
        device_ = status.st_dev;
        inode_ = status.st_ino;
    }
    ::close(fd_);
    fd_ = -1;
}

DirectoryHandle::Borrowed DirectoryHandle::Borrow() const {
    if (fd_ >= 0) {
        return Borrowed(fd_, false);
    }
    std::vector<const DirectoryHandle*> closed;
    const DirectoryHandle* open = this;
    while (open && open->fd_ < 0) {
        closed.push_back(open);
        open = open->parent_.get();
    }
    if (!open) {
        return Borrowed();
    }
    Borrowed current(open->fd_, false);
    for (auto level = closed.rbegin(); level != closed.rend(); ++level) {
        int fd = ::openat(current.fd, (*level)->name_.c_str(), ReopenFlags);
        if (fd < 0) {
            return Borrowed();
        }
        Borrowed next(fd, true);
        struct stat status;
        if (::fstat(fd, &status) != 0 || status.st_dev != (*level)->device_ ||
            status.st_ino != (*level)->inode_) {
            return Borrowed();
        }
        current = std::move(next);
    }
    return current;
}
