#include "platform/FolderRemoval.h"
#include "platform/FolderRemovalHook.h"
#include "platform/RemovalResults.h"
#include "platform/posix/DirectoryCursor.h"
#include "platform/posix/DirectoryEntries.h"
#include "platform/posix/PosixFolderRemoval.h"
#include "platform/posix/PosixHeldRoot.h"
#include "scan/ListingRules.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
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
    case EXDEV:
        return MakeRemovalResult(RemovalOutcome::MountPoint);
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
    if (cursor.Fd() < 0) {
        return ESTALE;
    }
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

class PosixRemovalRun : public RemovalRun {
  public:
    PosixRemovalRun(DirectoryHandle::Opened root, std::string rootFolder,
                    const PosixRemovalOptions& options, const ListingRules* rules)
        : root_(root.handle), cursor_(std::move(root)), rootFolder_(std::move(rootFolder)),
          afterChecked_(options.afterChecked), ignoreEntryTypes_(options.ignoreEntryTypes),
          rules_(rules) {}

    RemovalResult DeleteFolder(const std::string& relativePath) override;

  private:
    RemovalResult ReachParent(const std::vector<std::string>& names);
    RemovalResult RemoveListed(const std::string& name, const std::string& relativePath);
    RemovalResult CheckSubtree(std::vector<Node>& nodes, const std::string& relativePath);
    RemovalResult ListSubFolders(std::vector<Node>& nodes, std::size_t index,
                                 const ListingRules::ExclusionState& exclusions);
    RemovalResult RemoveSubtree(std::vector<Node>& nodes);
    RemovalResult DeleteJunkFiles();
    bool IsJunk(int fd, const char* name, unsigned char type) const;

    std::shared_ptr<const DirectoryHandle> root_;
    // Level 0 is the root; the levels below it lead to the parent of the last row, which
    // the next row, listed in the scan's order, most often shares.
    DirectoryCursor cursor_;
    std::vector<std::string> cursorNames_;
    std::string rootFolder_;
    AfterFolderCheckedHook afterChecked_;
    bool ignoreEntryTypes_;
    const ListingRules* rules_;
};

RemovalResult PosixRemovalRun::DeleteFolder(const std::string& relativePath) {
    std::optional<std::vector<std::string>> names = SplitRelativePath(relativePath, '/');
    if (!names) {
        return RefusedPathResult();
    }
    const unsigned shortages = root_->Shortages();
    RemovalResult result = ReachParent(*names);
    if (result.outcome == RemovalOutcome::Removed) {
        result = RemoveListed(names->back(), relativePath);
    }
    cursor_.RestoreModes();
    // A folder that could not be opened for want of descriptors has not changed: say why.
    if (result.outcome != RemovalOutcome::Removed && root_->Shortages() != shortages) {
        return FromErrno(root_->LastShortage());
    }
    return result;
}

// Moves the cursor to the parent of the listed folder: up to the levels the row shares with
// the last one, then down by name.
RemovalResult PosixRemovalRun::ReachParent(const std::vector<std::string>& names) {
    std::size_t shared = 0;
    while (shared < cursorNames_.size() && shared + 1 < names.size() &&
           cursorNames_[shared] == names[shared]) {
        ++shared;
    }
    cursor_.AscendTo(shared);
    cursorNames_.resize(shared);
    for (std::size_t i = shared; i + 1 < names.size(); ++i) {
        if (int error = cursor_.Descend(names[i]); error != 0) {
            return Explain(cursor_.Fd(), names[i], error);
        }
        cursorNames_.push_back(names[i]);
    }
    return Removed();
}

// Removes the listed folder `name` from the folder at the cursor, and its subtree of
// empty folders. The cursor is back at the parent afterwards.
RemovalResult PosixRemovalRun::RemoveListed(const std::string& name,
                                            const std::string& relativePath) {
    const int parentFd = cursor_.Fd();
    if (parentFd < 0) {
        return FromErrno(ESTALE);
    }
    if (rules_ != nullptr && rules_->HasAgeLimit()) {
        struct stat status {};
        if (::fstatat(parentFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            rules_->ChangedRecently(status.st_mtim.tv_sec)) {
            return MakeRemovalResult(RemovalOutcome::Recent);
        }
    }
    // An empty folder goes at once: rmdir removes nothing but an empty folder, and never a
    // link, a file or a mount point.
    if (::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0) {
        return Removed();
    }
    if (errno == ENOENT) {
        return MakeRemovalResult(RemovalOutcome::Vanished);
    }
    // Anything else (it holds folders, its parent is read-only, it is no longer a plain
    // folder) goes the careful way, which also says why it cannot be removed.
    const std::size_t parentDepth = cursor_.Depth();
    if (int error = cursor_.Descend(name); error != 0) {
        return Explain(parentFd, name, error);
    }
    std::vector<Node> nodes(1);
    nodes[0].name = name;
    RemovalResult result = CheckSubtree(nodes, relativePath);
    if (result.outcome == RemovalOutcome::Removed) {
        if (afterChecked_) {
            afterChecked_(rootFolder_ + "/" + relativePath);
        }
        result = RemoveSubtree(nodes);
    }
    cursor_.AscendTo(parentDepth);
    if (result.outcome != RemovalOutcome::Removed) {
        return result;
    }
    if (int error = RemoveEmptySubFolder(cursor_, name); error != 0) {
        return Explain(cursor_.Fd(), name, error);
    }
    return Removed();
}

// True when the entry is a regular file of a junk name: never a link, whatever it points to.
bool PosixRemovalRun::IsJunk(int fd, const char* name, unsigned char type) const {
    if (rules_ == nullptr || !rules_->HasJunk() || !rules_->IsJunkName(name)) {
        return false;
    }
    struct stat status {};
    return (type == DT_REG || type == DT_UNKNOWN) &&
           ::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode);
}

// Reads the entries of the folder at the cursor (`exclusions` stand at it): each subfolder becomes
// a node; anything else (a file, a link, a device, a socket) but a junk file means the
// folder is not empty, and so does an excluded subfolder.
RemovalResult PosixRemovalRun::ListSubFolders(std::vector<Node>& nodes, std::size_t index,
                                              const ListingRules::ExclusionState& exclusions) {
    const int fd = cursor_.Fd();
    if (fd < 0) {
        return FromErrno(ESTALE);
    }
    const auto first = static_cast<std::uint32_t>(nodes.size());
    RemovalResult result = Removed();
    int error = ForEachEntry(fd, [&](const char* entryName, unsigned char type) {
        if (ignoreEntryTypes_) {
            type = DT_UNKNOWN;
        }
        bool isFolder = type == DT_DIR;
        if (type == DT_UNKNOWN) {
            struct stat status {};
            if (::fstatat(fd, entryName, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) {
                    return true;
                }
                result = FromErrno(errno);
                return false;
            }
            isFolder = S_ISDIR(status.st_mode);
        }
        if (!isFolder) {
            if (IsJunk(fd, entryName, type)) {
                return true;
            }
            result = MakeRemovalResult(RemovalOutcome::GainedFile);
            return false;
        }
        if (rules_ != nullptr && rules_->HasExcludes() &&
            rules_->ExcludesSubFolder(exclusions, entryName)) {
            result = MakeRemovalResult(RemovalOutcome::HoldsExcluded);
            return false;
        }
        nodes.emplace_back().name = entryName;
        return true;
    });
    if (result.outcome == RemovalOutcome::Removed && error != 0) {
        result = FromErrno(error);
    }
    nodes[index].firstChild = first;
    nodes[index].childCount = static_cast<std::uint32_t>(nodes.size()) - first;
    return result;
}

// Walks the whole subtree of the listed folder at the cursor (at `relativePath`) before
// anything is deleted: every entry must be a folder or a junk file, and none a mount point or
// excluded. The walk is a loop over an explicit stack, so depth costs memory, not call stack.
// The cursor ends where it started.
RemovalResult PosixRemovalRun::CheckSubtree(std::vector<Node>& nodes,
                                            const std::string& relativePath) {
    const std::size_t top = cursor_.Depth();
    const struct stat* status = cursor_.Status();
    if (status == nullptr) {
        return FromErrno(ESTALE);
    }
    nodes[0].inode = status->st_ino;
    if (rules_ != nullptr && rules_->ChangedRecently(status->st_mtim.tv_sec)) {
        return MakeRemovalResult(RemovalOutcome::Recent);
    }
    struct Frame {
        std::size_t index;
        std::uint32_t next;
        ListingRules::ExclusionState exclusions; // where they stand at it
    };
    const bool excluding = rules_ != nullptr && rules_->HasExcludes();
    std::vector<Frame> stack;
    stack.push_back(
        {0, 0, excluding ? rules_->FolderState(relativePath) : ListingRules::ExclusionState()});
    RemovalResult result = ListSubFolders(nodes, 0, stack.back().exclusions);
    while (result.outcome == RemovalOutcome::Removed && !stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == nodes[frame.index].childCount) {
            stack.pop_back();
            if (!stack.empty()) {
                cursor_.Ascend();
            }
            continue;
        }
        const std::size_t child = nodes[frame.index].firstChild + frame.next++;
        if (int error = cursor_.Descend(nodes[child].name); error != 0) {
            if (error == ENOENT) {
                nodes[child].gone = true;
                continue;
            }
            result = Explain(cursor_.Fd(), nodes[child].name, error);
            // Below the listed folder, a link is content like a file.
            if (result.outcome == RemovalOutcome::BecameLink) {
                result = MakeRemovalResult(RemovalOutcome::GainedFile);
            }
            break;
        }
        status = cursor_.Status();
        if (status == nullptr) {
            result = FromErrno(ESTALE);
            break;
        }
        nodes[child].inode = status->st_ino;
        if (rules_ != nullptr && rules_->ChangedRecently(status->st_mtim.tv_sec)) {
            result = MakeRemovalResult(RemovalOutcome::Recent);
            break;
        }
        ListingRules::ExclusionState exclusions =
            excluding ? rules_->SubFolderState(frame.exclusions, nodes[child].name)
                      : ListingRules::ExclusionState();
        stack.push_back({child, 0, std::move(exclusions)});
        result = ListSubFolders(nodes, child, stack.back().exclusions);
    }
    cursor_.AscendTo(top);
    return result;
}

// Removes the checked subfolders bottom-up, each only once its own subfolders are gone.
// Every step goes by handle from the listed folder and meets the very folders the check
// saw; rmdir removes only empty folders, so a file that appears after the check stops
// the removal of its folders and is never lost.
RemovalResult PosixRemovalRun::RemoveSubtree(std::vector<Node>& nodes) {
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
            if (int error = cursor_.Descend(nodes[child].name); error != 0) {
                if (error == ENOENT) {
                    continue; // someone else removed it
                }
                return Explain(cursor_.Fd(), nodes[child].name, error);
            }
            const struct stat* status = cursor_.Status();
            if (status == nullptr || status->st_ino != nodes[child].inode) {
                return FromErrno(ESTALE);
            }
            stack.push_back({child, 0});
            continue;
        }
        stack.pop_back();
        if (rules_ != nullptr && rules_->HasJunk()) {
            if (RemovalResult junk = DeleteJunkFiles(); junk.outcome != RemovalOutcome::Removed) {
                return junk;
            }
        }
        if (stack.empty()) {
            break;
        }
        cursor_.Ascend();
        if (int error = RemoveEmptySubFolder(cursor_, node.name); error != 0 && error != ENOENT) {
            return Explain(cursor_.Fd(), node.name, error);
        }
    }
    return Removed();
}

// Deletes the junk files of the folder at the cursor, whose subfolders are gone, read anew
// through its descriptor: when anything else stands there now, nothing is deleted. Each
// file is checked to be a regular file just before it goes, relative to the held folder.
RemovalResult PosixRemovalRun::DeleteJunkFiles() {
    const int fd = cursor_.Fd();
    if (fd < 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
        return FromErrno(ESTALE);
    }
    std::vector<std::string> junk;
    bool other = false;
    int error = ForEachEntry(fd, [&](const char* name, unsigned char type) {
        if (IsJunk(fd, name, type)) {
            junk.emplace_back(name);
            return true;
        }
        other = true; // a file, or a folder that appeared: rmdir would fail all the same
        return false;
    });
    if (error != 0) {
        return FromErrno(error);
    }
    if (other) {
        return MakeRemovalResult(RemovalOutcome::GainedFile);
    }
    for (const std::string& name : junk) {
        if (!IsJunk(fd, name.c_str(), DT_UNKNOWN)) {
            return MakeRemovalResult(RemovalOutcome::GainedFile);
        }
        int removed = ::unlinkat(fd, name.c_str(), 0);
        if (removed != 0 && errno == EACCES && cursor_.AddOwnerWrite()) {
            removed = ::unlinkat(fd, name.c_str(), 0);
        }
        if (removed != 0 && errno != ENOENT) {
            return FromErrno(errno);
        }
    }
    return Removed();
}

class PosixFolderRemoval : public FolderRemoval {
  public:
    explicit PosixFolderRemoval(PosixRemovalOptions options) : options_(std::move(options)) {}

    // The run opens the held folder anew, never its path, with a chain of its own: the
    // removal finds mount points its own way. Below it, no link is ever followed.
    std::unique_ptr<RemovalRun> OpenRun(const HeldRoot& root, RemovalResult& failure,
                                        const ListingRules* rules = nullptr) override {
        const auto* held = dynamic_cast<const PosixHeldRoot*>(&root);
        if (held == nullptr) {
            failure = MakeRemovalResult(RemovalOutcome::Failed, "not a folder held on Linux");
            return nullptr;
        }
        DirectoryHandle::Opened opened =
            DirectoryHandle::OpenRoot(held->Path(), options_.chain, held->Fd());
        if (!opened.descriptor.IsOpen()) {
            failure = FromErrno(opened.error);
            return nullptr;
        }
        return std::make_unique<PosixRemovalRun>(std::move(opened), held->Path(), options_, rules);
    }

  private:
    PosixRemovalOptions options_;
};

} // namespace

std::unique_ptr<FolderRemoval> CreatePosixFolderRemoval(PosixRemovalOptions options) {
    return std::make_unique<PosixFolderRemoval>(std::move(options));
}

std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval() {
    return CreatePosixFolderRemoval({});
}

std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval(AfterFolderCheckedHook afterChecked) {
    return CreatePosixFolderRemoval({std::move(afterChecked), false, {}});
}
