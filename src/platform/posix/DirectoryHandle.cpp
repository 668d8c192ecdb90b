#include "platform/posix/DirectoryHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsAccessDenied(int error) {
    return error == EACCES || error == EPERM;
}

} // namespace

DirectoryDescriptor::DirectoryDescriptor(DirectoryDescriptor&& other) noexcept
    : fd_(other.fd_), owned_(other.owned_) {
    other.fd_ = -1;
    other.owned_ = false;
}

DirectoryDescriptor& DirectoryDescriptor::operator=(DirectoryDescriptor&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        owned_ = other.owned_;
        other.fd_ = -1;
        other.owned_ = false;
    }
    return *this;
}

void DirectoryDescriptor::Close() {
    if (owned_ && fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    owned_ = false;
}

// What every handle of one walk shares.
struct DirectoryHandle::Chain {
    MountBoundary boundary;
    std::function<void(std::size_t depth)> beforeReopen;
};

DirectoryHandle::DirectoryHandle(std::shared_ptr<const DirectoryHandle> parent, const Chain& chain,
                                 std::string name, int fd, std::size_t depth)
    : parent_(std::move(parent)), chain_(&chain), name_(std::move(name)), fd_(fd), depth_(depth) {}

DirectoryHandle::~DirectoryHandle() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    // Release a long chain of ancestors one by one instead of by recursive destructors,
    // which would overflow the stack on a very deep tree.
    std::shared_ptr<const DirectoryHandle> ancestor = std::move(parent_);
    while (ancestor && ancestor.use_count() == 1) {
        std::shared_ptr<const DirectoryHandle> next =
            std::move(const_cast<DirectoryHandle&>(*ancestor).parent_);
        ancestor = std::move(next);
    }
}

bool DirectoryHandle::KeepsDescriptorAt(std::size_t depth) {
    return depth < AlwaysOpenDepth || depth % CheckpointEvery == 0;
}

DirectoryHandle::Opened DirectoryHandle::OpenRoot(const std::string& path,
                                                  DirectoryChainOptions options) {
    auto chain = std::make_shared<Chain>(
        Chain{MountBoundary(options.mountCheck), std::move(options.beforeReopen)});
    Opened opened;
    int fd = ::open(path.empty() ? "/" : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FolderPlace place;
    if (fd < 0) {
        opened.error = errno;
        // A root that exists but may not be read opens as one whose contents cannot be read.
        if (!IsAccessDenied(opened.error)) {
            return opened;
        }
    } else if (!chain->boundary.Locate(fd, place)) {
        opened.error = errno;
        ::close(fd);
        return opened;
    }
    auto handle =
        std::shared_ptr<DirectoryHandle>(new DirectoryHandle(nullptr, *chain, path, fd, 0));
    handle->ownedChain_ = std::move(chain);
    handle->place_ = place;
    handle->located_ = fd >= 0;
    opened.descriptor = DirectoryDescriptor::Borrowed(fd);
    opened.handle = std::move(handle);
    return opened;
}

DirectoryHandle::Opened
DirectoryHandle::OpenChild(const std::shared_ptr<const DirectoryHandle>& parent,
                           const std::string& name, int parentFd) {
    Opened opened;
    DirectoryDescriptor parentDescriptor;
    if (parentFd < 0) {
        parentDescriptor = parent->Descriptor();
        parentFd = parentDescriptor.Get();
    }
    if (parentFd < 0) {
        opened.error = ESTALE;
        return opened;
    }
    const Chain& chain = *parent->chain_;
    const std::size_t depth = parent->depth_ + 1;
    const bool keeps = KeepsDescriptorAt(depth);
    FolderPlace place;
    bool located = false;
    int fd = chain.boundary.OpenSubFolder(parentFd, name.c_str(), O_RDONLY, parent->place_, place,
                                          located);
    if (fd < 0) {
        opened.error = errno;
        if (!IsAccessDenied(opened.error)) {
            return opened;
        }
    } else if (!located && !keeps) {
        // A level that gives its descriptor up must be recognised when it is reopened.
        located = chain.boundary.Locate(fd, place);
    }
    auto handle = std::shared_ptr<DirectoryHandle>(
        new DirectoryHandle(parent, chain, name, keeps ? fd : -1, depth));
    handle->place_ = place;
    handle->located_ = located;
    opened.descriptor = keeps ? DirectoryDescriptor::Borrowed(fd) : DirectoryDescriptor::Owned(fd);
    opened.handle = std::move(handle);
    return opened;
}

DirectoryDescriptor DirectoryHandle::Descriptor() const {
    if (fd_ >= 0) {
        return DirectoryDescriptor::Borrowed(fd_);
    }
    std::vector<const DirectoryHandle*> closed;
    const DirectoryHandle* open = this;
    while (open && open->fd_ < 0) {
        closed.push_back(open);
        open = open->parent_.get();
    }
    if (!open) {
        return {};
    }
    if (chain_->beforeReopen) {
        chain_->beforeReopen(depth_);
    }
    DirectoryDescriptor current = DirectoryDescriptor::Borrowed(open->fd_);
    for (auto level = closed.rbegin(); level != closed.rend(); ++level) {
        const DirectoryHandle& wanted = **level;
        if (!wanted.located_) {
            return {};
        }
        // The levels on the way are only passed through; the folder itself may be read.
        const int flags = &wanted == this ? O_RDONLY : O_PATH;
        FolderPlace place;
        bool located = false;
        int fd = chain_->boundary.OpenSubFolder(current.Get(), wanted.name_.c_str(), flags,
                                                wanted.parent_->place_, place, located);
        if (fd < 0) {
            return {};
        }
        DirectoryDescriptor next = DirectoryDescriptor::Owned(fd);
        if ((!located && !chain_->boundary.Locate(fd, place)) ||
            place.device != wanted.place_.device || place.inode != wanted.place_.inode) {
            return {};
        }
        current = std::move(next);
    }
    return current;
}

std::optional<FolderIdentity> DirectoryHandle::Identity() const {
    if (!located_) {
        return std::nullopt;
    }
    return FolderIdentity{static_cast<std::uint64_t>(place_.device),
                          static_cast<std::uint64_t>(place_.inode), place_.mountId};
}
