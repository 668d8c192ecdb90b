#include "platform/posix/DirectoryHandle.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsAccessDenied(int error) {
    return error == EACCES || error == EPERM;
}

bool IsShortage(int error) {
    return error == EMFILE || error == ENFILE || error == ENOMEM;
}

// The descriptors that may still be opened under the soft limit. Open ones are counted
// among the first 1024 numbers only: a program holding more is not one with few left.
std::size_t FreeDescriptors() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return std::size_t{1} << 20;
    }
    const auto soft = static_cast<std::size_t>(limit.rlim_cur);
    std::size_t open = 0;
    for (int fd = 0; fd < static_cast<int>(std::min<std::size_t>(soft, 1024)); ++fd) {
        if (::fcntl(fd, F_GETFD) != -1) {
            ++open;
        }
    }
    return soft > open ? soft - open : 0;
}

} // namespace

DescriptorShare ShareOfFreeDescriptors() {
    const std::size_t available = FreeDescriptors();
    DescriptorShare share{};
    share.keptLimit = available / 2;
    share.spare = available - share.keptLimit;
    // A quarter of the kept ones near the root, where the read-ahead holds most listings;
    // the rest as checkpoints, a level between two being reopened from the one above it.
    // Every 8 levels that costs 4 openings a folder on average, every 64 levels 32 (down a
    // chain of 100,000 folders, the walk's time is mostly these), so the checkpoints are as
    // dense as still reaches CheapDepth. Below that, levels are reopened from further up:
    // slower, as right.
    share.alwaysOpenDepth = std::min(DirectoryHandle::AlwaysOpenDepth, share.keptLimit / 4);
    const std::size_t checkpoints = share.keptLimit - share.alwaysOpenDepth;
    share.checkpointEvery = DirectoryHandle::DenseCheckpointEvery;
    while (share.checkpointEvery < DirectoryHandle::SparseCheckpointEvery &&
           checkpoints * share.checkpointEvery < DirectoryHandle::CheapDepth) {
        share.checkpointEvery *= 2;
    }
    return share;
}

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
    Chain(MountCheck check, std::function<void(std::size_t depth)> reopenHook)
        : boundary(check), beforeReopen(std::move(reopenHook)) {}

    MountBoundary boundary;
    std::function<void(std::size_t depth)> beforeReopen;
    DescriptorShare share{};
    mutable std::atomic<std::size_t> kept{0}; // levels below the root that keep theirs
    mutable std::atomic<unsigned> shortages{0};
    mutable std::atomic<int> lastShortage{0};

    void Note(int error) const {
        if (IsShortage(error)) {
            lastShortage.store(error);
            shortages.fetch_add(1);
        }
    }

    // Claims a kept descriptor for a level at `depth`, if its share allows.
    bool Keep(std::size_t depth) const {
        if (depth >= share.alwaysOpenDepth && depth % share.checkpointEvery != 0) {
            return false;
        }
        if (kept.fetch_add(1) < share.keptLimit) {
            return true;
        }
        kept.fetch_sub(1);
        return false;
    }
};

DirectoryHandle::DirectoryHandle(std::shared_ptr<const DirectoryHandle> parent, const Chain& chain,
                                 std::string name, int fd, std::size_t depth)
    : parent_(std::move(parent)), chain_(&chain), name_(std::move(name)), fd_(fd), depth_(depth) {}

DirectoryHandle::~DirectoryHandle() {
    if (fd_ >= 0) {
        ::close(fd_);
        if (depth_ > 0) {
            chain_->kept.fetch_sub(1);
        }
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

DirectoryHandle::Opened DirectoryHandle::OpenRoot(const std::string& path,
                                                  DirectoryChainOptions options, int heldFd) {
    auto chain = std::make_shared<Chain>(options.mountCheck, std::move(options.beforeReopen));
    Opened opened;
    // "." opens the held folder with an offset of its own to read its entries from.
    int fd = heldFd >= 0
                 ? ::openat(heldFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                 : ::open(path.empty() ? "/" : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FolderPlace place;
    if (fd < 0) {
        opened.error = errno;
        chain->Note(opened.error);
        // A root that exists but may not be read opens as one whose contents cannot be
        // read; so does one that could not be opened for want of descriptors, which the
        // walk is told.
        if (!IsAccessDenied(opened.error) && !IsShortage(opened.error)) {
            return opened;
        }
    } else if (!chain->boundary.Locate(fd, place)) {
        opened.error = errno;
        ::close(fd);
        return opened;
    }
    // Shared out once the root holds its own.
    chain->share = ShareOfFreeDescriptors();
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
    FolderPlace place;
    bool located = false;
    int fd = chain.boundary.OpenSubFolder(parentFd, name.c_str(), O_RDONLY, parent->place_, place,
                                          located);
    if (fd < 0) {
        opened.error = errno;
        chain.Note(opened.error);
        if (!IsAccessDenied(opened.error)) {
            return opened;
        }
    }
    const bool keeps = fd >= 0 && chain.Keep(depth);
    if (fd >= 0 && !located && !keeps) {
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
            chain_->Note(errno);
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

const DescriptorShare& DirectoryHandle::Share() const {
    return chain_->share;
}

unsigned DirectoryHandle::Shortages() const {
    return chain_->shortages.load();
}

void DirectoryHandle::NoteFailure(int error) const {
    chain_->Note(error);
}

int DirectoryHandle::LastShortage() const {
    return chain_->lastShortage.load();
}
