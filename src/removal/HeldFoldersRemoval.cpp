#include "platform/HeldRoot.h"
#include "removal/FolderRemovalHook.h"
#include "removal/FolderTrashing.h"
#include "removal/RemovalResults.h"
#include "scan/ListingRules.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace {

using enum RemovalOutcome;

RemovalResult Result(RemovalOutcome outcome) {
    return MakeRemovalResult(outcome);
}

bool IsRemoved(const RemovalResult& result) {
    return result.outcome == Removed;
}

// One folder of the listed subtree as the check found it. The subfolders of a folder
// are consecutive entries, so the tree costs one name and a few numbers per folder.
struct Node {
    std::string name;
    FolderIdentity identity;
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
    bool gone = false; // vanished during the check; nothing to remove
};

class HeldFoldersRun : public RemovalRun {
  public:
    HeldFoldersRun(std::unique_ptr<HeldFolders> folders, std::string rootFolder,
                   AfterFolderCheckedHook afterChecked, const ListingRules* rules)
        : folders_(std::move(folders)), rootFolder_(std::move(rootFolder)),
          afterChecked_(std::move(afterChecked)), rules_(rules) {}

    RemovalResult DeleteFolder(const std::string& relativePath) override {
        return EndFolder(relativePath, false);
    }
    RemovalResult TrashFolder(const std::string& relativePath) override {
        return EndFolder(relativePath, true);
    }

  private:
    RemovalResult EndFolder(const std::string& relativePath, bool toTrash);
    RemovalResult ReachParent(const std::vector<std::string>& names);
    RemovalResult RemoveListed(const std::string& name, const std::string& relativePath,
                               bool toTrash);
    RemovalResult MoveCheckedToTrash(const std::string& name, const FolderIdentity& checked);
    RemovalResult CheckSubtree(std::vector<Node>& nodes, const std::string& relativePath);
    RemovalResult CheckCurrent(std::vector<Node>& nodes, std::size_t index,
                               const ListingRules::ExclusionState& exclusions);
    RemovalResult RemoveSubtree(const std::vector<Node>& nodes);
    RemovalResult DeleteJunkFiles();
    template <typename Operation>
    FolderStatus WithOwnerWrite(Operation operation);
    bool CurrentIsMaildir();
    bool Protects() const { return rules_ != nullptr && rules_->Protects(); }
    bool IsJunk(std::string_view name, EntryKind kind) const {
        return kind == EntryKind::File && rules_ != nullptr && rules_->HasJunk() &&
               rules_->IsJunkName(name);
    }
    void Ascend() { folders_->AscendTo(folders_->Depth() - 1); }

    // Level 0 is the root; the levels below it lead to the parent of the last row, which
    // the next row, listed in the scan's order, most often shares.
    std::unique_ptr<HeldFolders> folders_;
    std::vector<std::string> levelNames_;
    // Whether each level, from the root, was a Maildir when the run reached it: nothing in
    // one is removed. Kept while protection is on.
    std::vector<bool> maildirLevels_;
    std::string rootFolder_;
    AfterFolderCheckedHook afterChecked_;
    const ListingRules* rules_;
};

RemovalResult HeldFoldersRun::EndFolder(const std::string& relativePath, bool toTrash) {
    std::optional<std::vector<std::string>> names =
        SplitRelativePath(relativePath, folders_->Separator());
    if (!names) {
        return RefusedPathResult();
    }
    folders_->TakeShortage();
    RemovalResult result = ReachParent(*names);
    if (IsRemoved(result)) {
        result = RemoveListed(names->back(), relativePath, toTrash);
    }
    folders_->RestoreModes();
    // A folder that could not be opened for want of descriptors has not changed: say why.
    if (FolderStatus shortage = folders_->TakeShortage(); !IsRemoved(result) && !shortage.Ok()) {
        return ResultOf(shortage);
    }
    return result;
}

// Moves to the parent of the listed folder: up to the levels the row shares with the last
// one, then down by name.
RemovalResult HeldFoldersRun::ReachParent(const std::vector<std::string>& names) {
    std::size_t shared = 0;
    while (shared < levelNames_.size() && shared + 1 < names.size() &&
           levelNames_[shared] == names[shared]) {
        ++shared;
    }
    folders_->AscendTo(shared);
    levelNames_.resize(shared);
    if (Protects()) {
        if (maildirLevels_.empty()) {
            maildirLevels_.push_back(CurrentIsMaildir());
        }
        maildirLevels_.resize(shared + 1);
    }
    for (std::size_t i = shared; i + 1 < names.size(); ++i) {
        if (FolderStatus opened = folders_->Descend(names[i]); !opened.Ok()) {
            return ResultOf(opened);
        }
        levelNames_.push_back(names[i]);
        if (Protects()) {
            maildirLevels_.push_back(CurrentIsMaildir());
        }
    }
    if (std::find(maildirLevels_.begin(), maildirLevels_.end(), true) != maildirLevels_.end()) {
        return Result(Protected);
    }
    return Result(Removed);
}

// Removes the listed folder `name` from the current folder, and its subtree of empty
// folders, or moves it whole to the trash once checked. The current folder is the parent
// again afterwards.
RemovalResult HeldFoldersRun::RemoveListed(const std::string& name, const std::string& relativePath,
                                           bool toTrash) {
    if (rules_ != nullptr && rules_->HasAgeLimit()) {
        if (std::optional<std::int64_t> modified = folders_->ModifiedTimeOf(name);
            modified && rules_->ChangedRecently(modified)) {
            return Result(Recent);
        }
    }
    // An empty folder goes at once, by one call from its held parent: nothing but an empty
    // folder is ever removed so, never a link, a file or a mount point. One for the trash is
    // checked as any other.
    if (!toTrash) {
        if (FolderStatus removed = folders_->RemoveEmptyFolder(name);
            removed.Ok() || removed.error == FolderError::Gone) {
            return ResultOf(removed);
        }
    }
    // Anything else (it holds folders, its parent is read-only, it is no longer a plain
    // folder) goes the careful way, which also says why it cannot be removed.
    const std::size_t parentDepth = folders_->Depth();
    if (FolderStatus opened = folders_->Descend(name); !opened.Ok()) {
        return ResultOf(opened);
    }
    std::vector<Node> nodes(1);
    nodes[0].name = name;
    RemovalResult result = CheckSubtree(nodes, relativePath);
    if (IsRemoved(result)) {
        if (afterChecked_) {
            afterChecked_(rootFolder_ + folders_->Separator() + relativePath);
        }
        if (!toTrash) {
            result = RemoveSubtree(nodes);
        }
    }
    folders_->AscendTo(parentDepth);
    if (!IsRemoved(result)) {
        return result;
    }
    if (toTrash) {
        return MoveCheckedToTrash(name, nodes[0].identity);
    }
    return ResultOf(WithOwnerWrite([&] { return folders_->RemoveEmptyFolder(name); }));
}

// Whether the current folder holds a Maildir's cur, new and tmp folders. A folder that cannot
// be read is taken for none: no scan listed anything below it.
bool HeldFoldersRun::CurrentIsMaildir() {
    unsigned bits = 0;
    folders_->ForEachEntry([&](std::string_view name, EntryKind kind) {
        bits |= kind == EntryKind::Folder ? rules_->MaildirBit(name) : 0;
        return bits != ListingRules::MaildirBits;
    });
    return bits == ListingRules::MaildirBits;
}

// The checked folder leaves its held parent, the current folder, by one move: whatever
// appeared in it since the check goes with it, junk files too, and nothing is deleted.
RemovalResult HeldFoldersRun::MoveCheckedToTrash(const std::string& name,
                                                 const FolderIdentity& checked) {
    const TrashRequest request = CurrentTrashRequest();
    std::string where;
    RemovalResult result = MoveFolderToTrash(*folders_, name, checked, request, where);
    // A read-only parent keeps its entries where they are, as for a deletion.
    if (result.outcome == AccessDenied && folders_->AddOwnerWrite()) {
        result = MoveFolderToTrash(*folders_, name, checked, request, where);
    }
    result.trash = where;
    return result;
}

// Runs an operation on an entry of the current folder, again with the owner-write bit added
// to the folder where that is what stands in the way (read-only folders are removed too).
template <typename Operation>
FolderStatus HeldFoldersRun::WithOwnerWrite(Operation operation) {
    FolderStatus status = operation();
    if (status.error == FolderError::Denied && folders_->AddOwnerWrite()) {
        status = operation();
    }
    return status;
}

// Reads the identity and the age of the current folder, nodes[index], and its entries
// (`exclusions` stand at it): each subfolder becomes a node; anything else (a file, a link,
// a device, a socket) but a junk file means the folder is not empty, and so does an
// excluded or protected subfolder. A Maildir is protected as a whole.
RemovalResult HeldFoldersRun::CheckCurrent(std::vector<Node>& nodes, std::size_t index,
                                           const ListingRules::ExclusionState& exclusions) {
    std::optional<std::int64_t> modified;
    if (FolderStatus read = folders_->ReadCurrent(nodes[index].identity, modified); !read.Ok()) {
        return ResultOf(read);
    }
    if (rules_ != nullptr && rules_->ChangedRecently(modified)) {
        return Result(Recent);
    }
    const auto first = static_cast<std::uint32_t>(nodes.size());
    RemovalResult result = Result(Removed);
    unsigned maildirBits = 0;
    FolderStatus read = folders_->ForEachEntry([&](std::string_view name, EntryKind kind) {
        if (kind != EntryKind::Folder && !IsJunk(name, kind)) {
            result = Result(GainedFile);
        } else if (kind == EntryKind::Folder && rules_ != nullptr && rules_->HasExcludes() &&
                   rules_->ExcludesSubFolder(exclusions, name)) {
            result = Result(HoldsExcluded);
        } else if (kind == EntryKind::Folder && rules_ != nullptr &&
                   rules_->ProtectsSubFolder(name, [] { return false; })) {
            // Below a listed folder no level is the top of a file system.
            result = Result(HasProtected);
        } else if (kind == EntryKind::Folder) {
            maildirBits |= rules_ != nullptr ? rules_->MaildirBit(name) : 0;
            nodes.emplace_back().name = name;
        }
        if (maildirBits == ListingRules::MaildirBits) {
            result = Result(index == 0 ? Protected : HasProtected);
        }
        return IsRemoved(result);
    });
    nodes[index].firstChild = first;
    nodes[index].childCount = static_cast<std::uint32_t>(nodes.size()) - first;
    return IsRemoved(result) ? ResultOf(read) : result;
}

// Walks the whole subtree of the listed folder, current, at `relativePath`, before anything
// is deleted: every entry must be a folder or a junk file, and none a mount point, a link,
// excluded or changed within the age limit. The walk is a loop over an explicit stack, so
// depth costs memory, not call stack. It ends where it started.
RemovalResult HeldFoldersRun::CheckSubtree(std::vector<Node>& nodes,
                                           const std::string& relativePath) {
    const std::size_t top = folders_->Depth();
    struct Frame {
        std::size_t index;
        std::uint32_t next;
        ListingRules::ExclusionState exclusions; // where they stand at it
    };
    const bool excluding = rules_ != nullptr && rules_->HasExcludes();
    std::vector<Frame> stack;
    stack.push_back(
        {0, 0, excluding ? rules_->FolderState(relativePath) : ListingRules::ExclusionState()});
    RemovalResult result = CheckCurrent(nodes, 0, stack.back().exclusions);
    while (IsRemoved(result) && !stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == nodes[frame.index].childCount) {
            stack.pop_back();
            if (!stack.empty()) {
                Ascend();
            }
            continue;
        }
        const std::size_t child = nodes[frame.index].firstChild + frame.next++;
        if (FolderStatus opened = folders_->Descend(nodes[child].name); !opened.Ok()) {
            nodes[child].gone = opened.error == FolderError::Gone;
            // Below the listed folder, a link is content like a file.
            result = nodes[child].gone                   ? Result(Removed)
                     : opened.error == FolderError::Link ? Result(GainedFile)
                                                         : ResultOf(opened);
            continue;
        }
        ListingRules::ExclusionState exclusions =
            excluding ? rules_->SubFolderState(frame.exclusions, nodes[child].name)
                      : ListingRules::ExclusionState();
        stack.push_back({child, 0, std::move(exclusions)});
        result = CheckCurrent(nodes, child, stack.back().exclusions);
    }
    folders_->AscendTo(top);
    return result;
}

// Removes the checked subfolders bottom-up, each only once its own subfolders are gone.
// Every step goes from the listed folder, held, and meets the very folders the check saw;
// only empty folders are removed, so a file that appears after the check stops the
// removal of its folders and is never lost.
RemovalResult HeldFoldersRun::RemoveSubtree(const std::vector<Node>& nodes) {
    std::vector<std::pair<std::size_t, std::uint32_t>> stack{{0, 0}}; // node, next child
    while (!stack.empty()) {
        auto& [index, next] = stack.back();
        const Node& node = nodes[index];
        if (next < node.childCount) {
            const std::size_t child = node.firstChild + next++;
            FolderStatus opened = nodes[child].gone ? FolderStatus{FolderError::Gone, {}}
                                                    : folders_->Descend(nodes[child].name);
            FolderIdentity identity;
            std::optional<std::int64_t> modified;
            if (opened.error == FolderError::Gone) {
                continue; // someone else removed it
            } else if (!opened.Ok()) {
                return ResultOf(opened);
            } else if (!folders_->ReadCurrent(identity, modified).Ok() ||
                       identity != nodes[child].identity) {
                return ResultOf({FolderError::Changed, {}});
            }
            stack.emplace_back(child, 0);
            continue;
        }
        stack.pop_back();
        if (rules_ != nullptr && rules_->HasJunk()) {
            if (RemovalResult junk = DeleteJunkFiles(); !IsRemoved(junk)) {
                return junk;
            }
        }
        if (stack.empty()) {
            break;
        }
        Ascend();
        if (FolderStatus removed =
                WithOwnerWrite([&] { return folders_->RemoveEmptyFolder(node.name); });
            !removed.Ok() && removed.error != FolderError::Gone) {
            return ResultOf(removed);
        }
    }
    return Result(Removed);
}

// Deletes the junk files of the current folder, whose subfolders are gone, read anew: when
// anything else stands there now, nothing is deleted. Each file is checked to be a regular
// file just before it goes.
RemovalResult HeldFoldersRun::DeleteJunkFiles() {
    std::vector<std::string> junk;
    bool other = false; // a file, or a folder that appeared: the folder stays all the same
    FolderStatus read = folders_->ForEachEntry([&](std::string_view name, EntryKind kind) {
        other = !IsJunk(name, kind);
        if (!other) {
            junk.emplace_back(name);
        }
        return !other;
    });
    if (!read.Ok() || other) {
        return other ? Result(GainedFile) : ResultOf(read);
    }
    for (const std::string& name : junk) {
        if (FolderStatus deleted =
                WithOwnerWrite([&] { return folders_->DeleteRegularFile(name); });
            !deleted.Ok() && deleted.error != FolderError::Gone) {
            return ResultOf(deleted);
        }
    }
    return Result(Removed);
}

class HeldFoldersRemoval : public FolderRemoval {
  public:
    HeldFoldersRemoval(HoldFoldersFunction holdFolders, AfterFolderCheckedHook afterChecked)
        : holdFolders_(std::move(holdFolders)), afterChecked_(std::move(afterChecked)) {}

    // The run opens the held folder anew, never its path; below it, no link is followed
    // and no mount point passed.
    std::unique_ptr<RemovalRun> OpenRun(const HeldRoot& root, RemovalResult& failure,
                                        const ListingRules* rules = nullptr) override {
        FolderStatus status;
        std::unique_ptr<HeldFolders> folders =
            holdFolders_ ? holdFolders_(root, status) : root.HoldFolders(status);
        if (!folders) {
            failure = ResultOf(status);
            return nullptr;
        }
        return std::make_unique<HeldFoldersRun>(std::move(folders), root.Path(), afterChecked_,
                                                rules);
    }

  private:
    HoldFoldersFunction holdFolders_;
    AfterFolderCheckedHook afterChecked_;
};

} // namespace

std::unique_ptr<FolderRemoval> CreateFolderRemoval(HoldFoldersFunction holdFolders,
                                                   AfterFolderCheckedHook afterChecked) {
    return std::make_unique<HeldFoldersRemoval>(std::move(holdFolders), std::move(afterChecked));
}

std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval() {
    return CreateFolderRemoval(nullptr);
}
