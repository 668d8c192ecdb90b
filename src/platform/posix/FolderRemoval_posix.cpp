#include "platform/FolderRemoval.h"
#include "platform/FolderRemovalHook.h"
#include "platform/RemovalResults.h"
#include "platform/posix/DirectoryCursor.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <utility>

namespace {

RemovalResult Removed() {
    return MakeRemovalResult(RemovalOutcome::Removed);
}

RemovalResult FromErrno(int error) {
    switch (error) {
    case ENOENT:
        return MakeRemovalResult(RemovalOutcome::Vanished);
    case EACCES:
    case EPERM:
        return MakeRemovalResult(RemovalOutcome::AccessDenied);
    case EBUSY:
        return MakeRemovalResult(RemovalOutcome::InUse);
    case ENOTEMPTY:
    case EEXIST:
        return MakeRemovalResult(RemovalOutcome::GainedFile);
    case ESTALE:
        return MakeRemovalResult(RemovalOutcome::Failed, "it changed while it was being removed");
    default:
        return MakeRemovalResult(RemovalOutcome::Failed, std::strerror(error));
    }
}

// What stands at `name` in the folder `parentFd` after an operation on it failed with
// `error`: a link, a file or nothing at all say more than the errno does.
RemovalResult Explain(int parentFd, const std::string& name, int error) {
    if (IsNotAFolderError(error)) {
        struct stat status {};
        if (::fstatat(parentFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return FromErrno(errno);
        }
        return MakeRemovalResult(S_ISLNK(status.st_mode) ? RemovalOutcome::BecameLink
                                                         : RemovalOutcome::GainedFile);
    }
    return FromErrno(error);
}

// One folder of the listed subtree as the check found it. The subfolders of a folder
// are consecutive entries, so the tree costs one name and a few numbers per folder.
struct Node {
    std::string name;
    ino_t inode = 0;
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
    bool gone = false; // vanished during the check; nothing to remove
};

// Removes the empty folder `name` from the folder at the cursor, adding the owner-write
// bit to the parent where that is what stands in the way (read-only folders are removed
// too). Returns 0 or the errno.
int RemoveEmptySubFolder(DirectoryCursor& cursor, const std::string& name) {
    if (::unlinkat(cursor.Fd(), name.c_str(), AT_REMOVEDIR) == 0) {
        return 0;
    }
    int error = errno;
    if (error == EACCES && cursor.AddOwnerWrite()) {
        if (::unlinkat(cursor.Fd(), name.c_str(), AT_REMOVEDIR) == 0) {
            return 0;
        }
        error = errno;
    }
    return error;
}

class PosixFolderRemoval : public FolderRemoval {
  public:
    explicit PosixFolderRemoval(AfterFolderCheckedHook afterChecked)
        : afterChecked_(std::move(afterChecked)) {}

    RemovalResult DeleteFolder(const std::string& rootFolder,
                               const std::string& relativePath) override;

  private:
    RemovalResult CheckSubtree(DirectoryCursor& cursor, std::vector<Node>& nodes);
    RemovalResult ListSubFolders(DirectoryCursor& cursor, std::vector<Node>& nodes,
                                 std::size_t index);
    RemovalResult RemoveSubtree(DirectoryCursor& cursor, std::vector<Node>& nodes);

    AfterFolderCheckedHook afterChecked_;
};

// The root is opened by its path, links included: it is the folder the user chose, and
// the scan reached it the same way. Below it, no link is ever followed.
RemovalResult PosixFolderRemoval::DeleteFolder(const std::string& rootFolder,
                                               const std::string& relativePath) {
    std::optional<std::vector<std::string>> names = SplitRelativePath(relativePath, '/');
    if (!names) {
        return RefusedPathResult();
    }
    const std::string rootPath = rootFolder.empty() ? "/" : rootFolder;
    FolderHandle parent(::open(rootPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.IsOpen()) {
        return FromErrno(errno);
    }
    for (std::size_t i = 0; i + 1 < names->size(); ++i) {
        FolderHandle next(::openat(parent.Get(), (*names)[i].c_str(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.IsOpen()) {
            return Explain(parent.Get(), (*names)[i], errno);
        }
        parent = std::move(next);
    }
    const std::string& name = names->back();
    struct stat parentStatus {};
    if (::fstat(parent.Get(), &parentStatus) != 0) {
        return FromErrno(errno);
    }
    DirectoryCursor above(std::move(parent));
    FolderHandle folder(
        ::openat(above.Fd(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.IsOpen()) {
        return Explain(above.Fd(), name, errno);
    }
    DirectoryCursor cursor(std::move(folder));
    if (cursor.Status().st_dev != parentStatus.st_dev) {
        return MakeRemovalResult(RemovalOutcome::MountPoint);
    }

    std::vector<Node> nodes(1);
    nodes[0].name = name;
    nodes[0].inode = cursor.Status().st_ino;
    if (RemovalResult checked = CheckSubtree(cursor, nodes);
        checked.outcome != RemovalOutcome::Removed) {
        return checked;
    }
    if (afterChecked_) {
        afterChecked_(rootFolder + "/" + relativePath);
    }
    if (RemovalResult removed = RemoveSubtree(cursor, nodes);
        removed.outcome != RemovalOutcome::Removed) {
        return removed;
    }
    if (int error = RemoveEmptySubFolder(above, name); error != 0) {
        return Explain(above.Fd(), name, error);
    }
    return Removed();
}

// Reads the entries of the folder at the cursor: each subfolder becomes a node; anything
// else (a file, a link, a device, a socket) means the folder is not empty.
RemovalResult PosixFolderRemoval::ListSubFolders(DirectoryCursor& cursor, std::vector<Node>& nodes,
                                                 std::size_t index) {
    int fd = ::dup(cursor.Fd());
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (dir == nullptr) {
        int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        return FromErrno(error);
    }
    const auto first = static_cast<std::uint32_t>(nodes.size());
    RemovalResult result = Removed();
    errno = 0;
    while (dirent* entry = ::readdir(dir)) {
        const char* entryName = entry->d_name;
        if (std::strcmp(entryName, ".") == 0 || std::strcmp(entryName, "..") == 0) {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status {};
            if (::fstatat(cursor.Fd(), entryName, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) {
                    continue;
                }
                result = FromErrno(errno);
                break;
            }
            isFolder = S_ISDIR(status.st_mode);
        }
        if (!isFolder) {
            result = MakeRemovalResult(RemovalOutcome::GainedFile);
            break;
        }
        nodes.emplace_back().name = entryName;
    }
    if (result.outcome == RemovalOutcome::Removed && errno != 0) {
        result = FromErrno(errno);
    }
    ::closedir(dir);
    nodes[index].firstChild = first;
    nodes[index].childCount = static_cast<std::uint32_t>(nodes.size()) - first;
    return result;
}

// Walks the whole subtree before anything is deleted: every entry must be a folder on the
// folder's own file system. The walk is a loop over an explicit stack, so depth costs
// memory, not call stack.
RemovalResult PosixFolderRemoval::CheckSubtree(DirectoryCursor& cursor, std::vector<Node>& nodes) {
    const dev_t device = cursor.Status().st_dev;
    struct Frame {
        std::size_t index;
        std::uint32_t next;
    };
    std::vector<Frame> stack{{0, 0}};
    if (RemovalResult listed = ListSubFolders(cursor, nodes, 0);
        listed.outcome != RemovalOutcome::Removed) {
        return listed;
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == nodes[frame.index].childCount) {
            stack.pop_back();
            if (!stack.empty()) {
                if (int error = cursor.Ascend(); error != 0) {
                    return FromErrno(error);
                }
            }
            continue;
        }
        const std::size_t child = nodes[frame.index].firstChild + frame.next++;
        if (int error = cursor.Descend(nodes[child].name); error != 0) {
            if (error == ENOENT) {
                nodes[child].gone = true;
                continue;
            }
            RemovalResult explained = Explain(cursor.Fd(), nodes[child].name, error);
            // Below the listed folder, a link is content like a file.
            if (explained.outcome == RemovalOutcome::BecameLink) {
                return MakeRemovalResult(RemovalOutcome::GainedFile);
            }
            return explained;
        }
        if (cursor.Status().st_dev != device) {
            return MakeRemovalResult(RemovalOutcome::MountPoint);
        }
        nodes[child].inode = cursor.Status().st_ino;
        stack.push_back({child, 0});
        if (RemovalResult listed = ListSubFolders(cursor, nodes, child);
            listed.outcome != RemovalOutcome::Removed) {
            return listed;
        }
    }
    return Removed();
}

// Removes the checked subfolders bottom-up, each only once its own subfolders are gone.
// Every step goes by handle from the listed folder and meets the very folders the check
// saw; rmdir removes only empty folders, so a file that appears after the check stops
// the removal of its folders and is never lost.
RemovalResult PosixFolderRemoval::RemoveSubtree(DirectoryCursor& cursor, std::vector<Node>& nodes) {
    struct Frame {
        std::size_t index;
        std::uint32_t next;
    };
    std::vector<Frame> stack{{0, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const Node& node = nodes[frame.index];
        if (frame.next < node.childCount) {
            const std::size_t child = node.firstChild + frame.next++;
            if (nodes[child].gone) {
                continue;
            }
            if (int error = cursor.Descend(nodes[child].name); error != 0) {
                if (error == ENOENT) {
                    continue; // someone else removed it
                }
                return Explain(cursor.Fd(), nodes[child].name, error);
            }
            if (cursor.Status().st_ino != nodes[child].inode) {
                return FromErrno(ESTALE);
            }
            stack.push_back({child, 0});
            continue;
        }
        stack.pop_back();
        if (stack.empty()) {
            break;
        }
        if (int error = cursor.Ascend(); error != 0) {
            return FromErrno(error);
        }
        if (int error = RemoveEmptySubFolder(cursor, node.name); error != 0 && error != ENOENT) {
            return Explain(cursor.Fd(), node.name, error);
        }
    }
    return Removed();
}

} // namespace

std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval() {
    return std::make_unique<PosixFolderRemoval>(nullptr);
}

std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval(AfterFolderCheckedHook afterChecked) {
    return std::make_unique<PosixFolderRemoval>(std::move(afterChecked));
}
