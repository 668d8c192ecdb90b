#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <sys/types.h>

// An open folder on Linux. Near the root every folder keeps its descriptor; deeper down
// only every CheckpointEvery-th level does, and the others reopen themselves on demand,
// name by name and never through a link, from the nearest ancestor still open. A walk of
// any depth therefore stays far below the open-file limit.
class DirectoryHandle {
  public:
    static constexpr std::size_t AlwaysOpenDepth = 256;
    static constexpr std::size_t CheckpointEvery = 64;

    // Opens the root of a walk, following a link there: the user chose that path.
    // nullptr with `error` set when it cannot be opened; a folder that exists but may not
    // be read gives a handle without a descriptor.
    static std::shared_ptr<DirectoryHandle> OpenRoot(const std::string& path, int& error);

    // Opens the named direct subfolder, never through a link.
    static std::shared_ptr<DirectoryHandle>
    OpenChild(const std::shared_ptr<DirectoryHandle>& parent, const std::string& name, int& error);

    ~DirectoryHandle();
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    // The descriptor it was opened with, for reading its entries; -1 when it could not be
    // read and after Settle().
    int OpenedDescriptor() const { return fd_; }

    // Closes the descriptor unless this level keeps it.
    void Settle();

    // A descriptor of this folder for openat/fstatat, closed when the Borrowed ends;
    // fd < 0 when the folder can no longer be reached.
    struct Borrowed {
        int fd = -1;
        bool owned = false;
        Borrowed() = default;
        Borrowed(int descriptor, bool isOwned) : fd(descriptor), owned(isOwned) {}
        Borrowed(Borrowed&& other) noexcept : fd(other.fd), owned(other.owned) {
            other.owned = false;
        }
        Borrowed& operator=(Borrowed&& other) noexcept;
        ~Borrowed();
    };
    Borrowed Borrow() const;

    const std::shared_ptr<DirectoryHandle>& Parent() const { return parent_; }
    // The name in its parent; for the root, the path it was opened with.
    const std::string& Name() const { return name_; }

  private:
    DirectoryHandle(std::shared_ptr<DirectoryHandle> parent, std::string name, int fd,
                    std::size_t depth);

    std::shared_ptr<DirectoryHandle> parent_;
    std::string name_;
    int fd_;
    std::size_t depth_;
    // Who it was, to refuse a reopen that reaches a different folder of the same name.
    dev_t device_ = 0;
    ino_t inode_ = 0;
};
