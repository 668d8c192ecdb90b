#pragma once

#include "platform/posix/MountBoundary.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

// A descriptor of a folder, for openat, fstatat, getdents64 and unlinkat: borrowed from
// the DirectoryHandle that keeps it, or owned and closed when this goes.
class DirectoryDescriptor {
  public:
    DirectoryDescriptor() = default;
    static DirectoryDescriptor Borrowed(int fd) { return DirectoryDescriptor(fd, false); }
    static DirectoryDescriptor Owned(int fd) { return DirectoryDescriptor(fd, true); }
    ~DirectoryDescriptor() { Close(); }
    DirectoryDescriptor(DirectoryDescriptor&& other) noexcept;
    DirectoryDescriptor& operator=(DirectoryDescriptor&& other) noexcept;

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    bool IsOwned() const { return owned_; }
    void Close();

  private:
    DirectoryDescriptor(int fd, bool owned) : fd_(fd), owned_(owned) {}

    int fd_ = -1;
    bool owned_ = false;
};

// How a walk shares the descriptors the process has left under its soft limit
// (RLIMIT_NOFILE), chosen when its root is opened: half for the levels its chain keeps
// open, half for those opened for a moment (a level reopened, a folder being read, by the
// walk or a thread reading ahead) and the rest of the program. With few left, fewer levels
// keep theirs and more are reopened, which costs time, never an answer.
struct DescriptorShare {
    std::size_t alwaysOpenDepth; // every level above this depth keeps its descriptor...
    std::size_t checkpointEvery; // ...and below it every checkpointEvery-th one...
    std::size_t keptLimit;       // ...while the chain's handles keep fewer than this
    std::size_t spare;           // the other half
};

// The share of the descriptors free now.
DescriptorShare ShareOfFreeDescriptors();

struct DirectoryChainOptions {
    MountCheck mountCheck = MountCheck::Automatic;
    // For tests: called before a folder whose descriptor is not kept is reopened, with its
    // depth below the root, so that a test can change the tree at that point.
    std::function<void(std::size_t depth)> beforeReopen;
};

// One folder of a walk down from a root, held by descriptor: the chain that the scan and
// the removal both walk. Each level is opened relative to its parent, never through a link
// and never onto another mount. Near the root every level keeps its descriptor; deeper
// down only every checkpointEvery-th level does (DescriptorShare), and the others are
// reopened on demand, name by name from the nearest level that keeps one, and must be the
// very folder they were. A walk of any depth thus stays below the open-file limit.
//
// A walk that runs out of descriptors anyway (EMFILE, ENFILE: something else took them)
// counts it (Shortages): the folder that could not be opened is not missing, and the
// walk's answer would be wrong.
//
// A handle never changes once opened: any thread may open subfolders of it or reopen it
// while others do the same, and the last owner may release it on any thread.
class DirectoryHandle {
  public:
    // The share when descriptors are plentiful.
    static constexpr std::size_t AlwaysOpenDepth = 256;
    // Below it, checkpoints every 8 levels when the kept share makes that reach CheapDepth,
    // else as dense as it does, but at least every 64 levels.
    static constexpr std::size_t DenseCheckpointEvery = 8;
    static constexpr std::size_t SparseCheckpointEvery = 64;
    static constexpr std::size_t CheapDepth = std::size_t{1} << 17;

    struct Opened {
        std::shared_ptr<const DirectoryHandle> handle; // nullptr when it was not opened
        // For reading its entries once: the handle's own descriptor when it keeps one,
        // otherwise the caller's. Not open when the folder may not be read.
        DirectoryDescriptor descriptor;
        int error = 0; // errno when not opened or not readable; EXDEV: a mount point
    };

    // Opens the root of a walk by its path, following a link there: the user chose it. With
    // `heldFd`, a descriptor of the folder once opened at `path`, opens that folder anew
    // instead, whatever is at the path now.
    static Opened OpenRoot(const std::string& path, DirectoryChainOptions options = {},
                           int heldFd = -1);

    // Opens the named direct subfolder of `parent`. `parentFd`: a descriptor of the parent
    // that the caller holds, or -1 to take the parent's own (see Descriptor).
    static Opened OpenChild(const std::shared_ptr<const DirectoryHandle>& parent,
                            const std::string& name, int parentFd = -1);

    ~DirectoryHandle();
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    // A descriptor of this folder: its own, borrowed, when it keeps one; otherwise one
    // reopened and checked, owned by the caller. Not open when the folder can no longer
    // be reached as the very folder it was.
    DirectoryDescriptor Descriptor() const;

    // The walk's share of the descriptors, the same for every handle below one root.
    const DescriptorShare& Share() const;

    // How often an operation of this walk (any handle below the same root, on any thread)
    // failed for want of descriptors or memory. NoteFailure counts `error` when it is such.
    unsigned Shortages() const;
    int LastShortage() const; // the errno of the last one
    void NoteFailure(int error) const;

    const std::shared_ptr<const DirectoryHandle>& Parent() const { return parent_; }
    // The name in its parent; for the root, the path it was opened with.
    const std::string& Name() const { return name_; }
    std::size_t Depth() const { return depth_; }

  private:
    struct Chain;

    DirectoryHandle(std::shared_ptr<const DirectoryHandle> parent, const Chain& chain,
                    std::string name, int fd, std::size_t depth);

    std::shared_ptr<const DirectoryHandle> parent_;
    std::shared_ptr<const Chain> ownedChain_; // the root's; the others point into it
    const Chain* chain_;
    std::string name_;
    int fd_;
    std::size_t depth_;
    FolderPlace place_;
    bool located_ = false;
};
