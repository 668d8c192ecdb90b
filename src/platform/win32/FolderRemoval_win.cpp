#include <windows.h>
#undef MessageBox

#include "platform/FolderRemoval.h"
#include "platform/FolderRemovalHook.h"
#include "platform/RemovalResults.h"
#include "platform/win32/HeldFolder.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/SystemMessage.h"
#include "platform/win32/Utf.h"
#include "scan/ListingRules.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace {

RemovalResult Removed() {
    return MakeRemovalResult(RemovalOutcome::Removed);
}

RemovalResult FromError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return MakeRemovalResult(RemovalOutcome::Vanished);
    case ERROR_ACCESS_DENIED:
        return MakeRemovalResult(RemovalOutcome::AccessDenied);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return MakeRemovalResult(RemovalOutcome::InUse);
    case ERROR_DIR_NOT_EMPTY:
    case ERROR_DIRECTORY:
        return MakeRemovalResult(RemovalOutcome::GainedFile);
    default:
        return MakeRemovalResult(RemovalOutcome::Failed, SystemMessage(error));
    }
}

bool IsGone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// What the attributes of an entry say about a folder that is to be removed or entered.
std::optional<RemovalOutcome> ObstacleOf(DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return RemovalOutcome::BecameLink;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & ContentAttributes) != 0) {
        return RemovalOutcome::GainedFile;
    }
    return std::nullopt;
}

// Opens `name` below `parent` and checks that it is a plain folder. `error` receives the
// Win32 error behind a failure (ERROR_DIRECTORY when it is no plain folder).
RemovalResult OpenFolderBelow(const HeldFolder& parent, const std::wstring& name,
                              HeldFolder& folder, DWORD& error, DWORD extraAccess = 0,
                              DWORD* attributesRead = nullptr) {
    error = folder.OpenBelow(parent, name, extraAccess);
    DWORD attributes = 0;
    FolderIdentity identity;
    if (error == ERROR_SUCCESS) {
        error = folder.Read(attributes, identity);
    }
    if (error != ERROR_SUCCESS) {
        return FromError(error);
    }
    if (std::optional<RemovalOutcome> obstacle = ObstacleOf(attributes)) {
        error = ERROR_DIRECTORY;
        return MakeRemovalResult(*obstacle);
    }
    if (attributesRead != nullptr) {
        *attributesRead = attributes;
    }
    return Removed();
}

// True for a plain local file of a junk name: never a reparse point or a placeholder.
bool IsJunkFile(DWORD attributes, std::wstring_view name, const ListingRules* rules) {
    return rules != nullptr && rules->HasJunk() && IsPlainFile(attributes) &&
           rules->IsJunkName(Utf8FromWide(std::wstring(name)));
}

// Calls `each(name, attributes)` for every entry of a held folder, from its first, until it
// returns false. Returns the outcome of the reading.
template <typename Each>
RemovalResult ForEachEntry(const HeldFolder& folder, Each&& each) {
    std::vector<LONGLONG> buffer(8 * 1024); // aligned as the entries must be
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!::GetFileInformationByHandleEx(folder.Get(), kind, buffer.data(),
                                            static_cast<DWORD>(buffer.size() * sizeof(LONGLONG)))) {
            DWORD error = ::GetLastError();
            return error == ERROR_NO_MORE_FILES ? Removed() : FromError(error);
        }
        kind = FileIdBothDirectoryInfo;
        auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data());
        for (;;) {
            std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L".." && !each(name, entry->FileAttributes)) {
                return Removed();
            }
            if (entry->NextEntryOffset == 0) {
                break;
            }
            entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(
                reinterpret_cast<const char*>(entry) + entry->NextEntryOffset);
        }
    }
}

// Reads the entries of a held folder (`exclusions` stand at it): each subfolder's name goes to
// `names`; anything that is not a plain local folder (a file, a link, a junction, a
// placeholder) but a junk file means the folder is not empty, and so does an excluded
// subfolder.
RemovalResult ListSubFolders(const HeldFolder& folder,
                             const ListingRules::ExclusionState& exclusions,
                             const ListingRules* rules, std::vector<std::wstring>& names) {
    RemovalResult result = Removed();
    RemovalResult read = ForEachEntry(folder, [&](std::wstring_view name, DWORD attributes) {
        if (ObstacleOf(attributes)) {
            if (IsJunkFile(attributes, name, rules)) {
                return true;
            }
            result = MakeRemovalResult(RemovalOutcome::GainedFile);
            return false;
        }
        if (rules != nullptr && rules->HasExcludes() &&
            rules->ExcludesSubFolder(exclusions, Utf8FromWide(std::wstring(name)))) {
            result = MakeRemovalResult(RemovalOutcome::HoldsExcluded);
            return false;
        }
        names.emplace_back(name);
        return true;
    });
    return read.outcome != RemovalOutcome::Removed ? read : result;
}

// Deletes one junk file of a held folder through a handle opened relative to it, after
// checking on that handle that it is still a plain file. A read-only one loses the
// attribute first.
RemovalResult DeleteJunkFile(const HeldFolder& folder, const std::wstring& name) {
    HANDLE file = nullptr;
    DWORD error = HeldFolder::OpenFileToDelete(folder, name, file);
    if (error != ERROR_SUCCESS) {
        return IsGone(error) ? Removed() : FromError(error);
    }
    BY_HANDLE_FILE_INFORMATION information{};
    RemovalResult result = Removed();
    if (!::GetFileInformationByHandle(file, &information)) {
        result = FromError(::GetLastError());
    } else if (!IsPlainFile(information.dwFileAttributes)) {
        result = MakeRemovalResult(RemovalOutcome::GainedFile);
    } else {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        if (((information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 &&
             !::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic))) ||
            !::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                          sizeof(disposition))) {
            result = FromError(::GetLastError());
        }
    }
    ::CloseHandle(file);
    return result;
}

// Deletes the junk files of a held folder whose subfolders are gone, read anew through its
// handle: when anything else stands there now, nothing is deleted.
RemovalResult DeleteJunkFiles(const HeldFolder& folder, const ListingRules* rules) {
    std::vector<std::wstring> junk;
    bool other = false;
    RemovalResult read = ForEachEntry(folder, [&](std::wstring_view name, DWORD attributes) {
        if (IsJunkFile(attributes, name, rules)) {
            junk.emplace_back(name);
            return true;
        }
        other = true;
        return false;
    });
    if (read.outcome != RemovalOutcome::Removed) {
        return read;
    }
    if (other) {
        return MakeRemovalResult(RemovalOutcome::GainedFile);
    }
    for (const std::wstring& name : junk) {
        if (RemovalResult deleted = DeleteJunkFile(folder, name);
            deleted.outcome != RemovalOutcome::Removed) {
            return deleted;
        }
    }
    return Removed();
}

// Deletes a held folder that should be empty by now, read-only ones too, through its own
// handle: it is gone when the handle closes. The read-only attribute is put back when the
// folder stays after all.
RemovalResult DeleteHeldFolder(HeldFolder& folder, DWORD attributes, DWORD& error) {
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    auto setAttributes = [&](DWORD wanted) {
        FILE_BASIC_INFO basic{};
        wanted &= ~FILE_ATTRIBUTE_DIRECTORY;
        basic.FileAttributes = wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL;
        return ::SetFileInformationByHandle(folder.Get(), FileBasicInfo, &basic, sizeof(basic));
    };
    if (readOnly && !setAttributes(attributes & ~FILE_ATTRIBUTE_READONLY)) {
        error = ::GetLastError();
        return FromError(error);
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(folder.Get(), FileDispositionInfo, &disposition,
                                      sizeof(disposition))) {
        error = ::GetLastError();
        if (readOnly) {
            setAttributes(attributes);
        }
        return FromError(error);
    }
    folder.Close();
    error = ERROR_SUCCESS;
    return Removed();
}

// One folder of the listed subtree; the subfolders of a folder are consecutive entries.
struct Node {
    std::wstring name;
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
};

class Win32RemovalRun : public RemovalRun {
  public:
    Win32RemovalRun(HeldFolder root, std::string rootFolder, AfterFolderCheckedHook afterChecked,
                    const ListingRules* rules)
        : rootFolder_(std::move(rootFolder)), afterChecked_(std::move(afterChecked)),
          rules_(rules) {
        levels_.push_back(std::move(root));
    }

    RemovalResult DeleteFolder(const std::string& relativePath) override;

  private:
    RemovalResult ReachParent(const std::vector<std::wstring>& names);
    RemovalResult CheckSubtree(const std::wstring& name, const std::string& relativePath,
                               std::vector<Node>& nodes);
    RemovalResult RemoveSubtree(const std::wstring& name, const std::vector<Node>& nodes);

    std::string rootFolder_;
    AfterFolderCheckedHook afterChecked_;
    const ListingRules* rules_;
    // Level 0 is the root; the levels below it lead to the parent of the last row, which
    // the next row, listed in the scan's order, most often shares.
    std::vector<HeldFolder> levels_;
    std::vector<std::wstring> levelNames_;
};

RemovalResult Win32RemovalRun::DeleteFolder(const std::string& relativePath) {
    std::optional<std::vector<std::string>> split = SplitRelativePath(relativePath, '\\');
    if (!split) {
        return RefusedPathResult();
    }
    std::vector<std::wstring> names;
    for (const std::string& name : *split) {
        names.push_back(WideFromUtf8(name));
    }
    if (RemovalResult reached = ReachParent(names); reached.outcome != RemovalOutcome::Removed) {
        return reached;
    }
    std::vector<Node> nodes(1);
    if (RemovalResult checked = CheckSubtree(names.back(), relativePath, nodes);
        checked.outcome != RemovalOutcome::Removed) {
        return checked;
    }
    if (afterChecked_) {
        afterChecked_(rootFolder_ + "\\" + relativePath);
    }
    return RemoveSubtree(names.back(), nodes);
}

// Holds every folder from the root down to the listed folder's parent: up to the levels
// the row shares with the last one, then down by name.
RemovalResult Win32RemovalRun::ReachParent(const std::vector<std::wstring>& names) {
    std::size_t shared = 0;
    while (shared < levelNames_.size() && shared + 1 < names.size() &&
           levelNames_[shared] == names[shared]) {
        ++shared;
    }
    levels_.resize(shared + 1);
    levelNames_.resize(shared);
    for (std::size_t i = shared; i + 1 < names.size(); ++i) {
        HeldFolder next;
        DWORD error = ERROR_SUCCESS;
        if (RemovalResult opened = OpenFolderBelow(levels_.back(), names[i], next, error);
            opened.outcome != RemovalOutcome::Removed) {
            return opened;
        }
        levels_.push_back(std::move(next));
        levelNames_.push_back(names[i]);
    }
    return Removed();
}

// Lists every folder below the listed one before anything is deleted. Each folder is
// opened relative to its parent, held while its own subfolders are listed; an explicit
// stack, not recursion.
RemovalResult Win32RemovalRun::CheckSubtree(const std::wstring& name,
                                            const std::string& relativePath,
                                            std::vector<Node>& nodes) {
    struct Frame {
        std::size_t index;
        std::uint32_t next;
        HeldFolder folder;
        ListingRules::ExclusionState exclusions; // where they stand at it
    };
    const bool excluding = rules_ != nullptr && rules_->HasExcludes();
    std::vector<Frame> stack;
    stack.push_back(
        {0, 0, HeldFolder(),
         excluding ? rules_->FolderState(relativePath) : ListingRules::ExclusionState()});
    DWORD error = ERROR_SUCCESS;
    if (RemovalResult opened = OpenFolderBelow(levels_.back(), name, stack.back().folder, error);
        opened.outcome != RemovalOutcome::Removed) {
        return opened;
    }
    for (bool list = true; !stack.empty();) {
        Frame& frame = stack.back();
        if (list) {
            if (rules_ != nullptr && rules_->HasAgeLimit() &&
                rules_->ChangedRecently(frame.folder.ModifiedTime())) {
                return MakeRemovalResult(RemovalOutcome::Recent);
            }
            std::vector<std::wstring> names;
            if (RemovalResult listed =
                    ListSubFolders(frame.folder, frame.exclusions, rules_, names);
                listed.outcome != RemovalOutcome::Removed) {
                return listed;
            }
            nodes[frame.index].firstChild = static_cast<std::uint32_t>(nodes.size());
            nodes[frame.index].childCount = static_cast<std::uint32_t>(names.size());
            for (std::wstring& child : names) {
                nodes.emplace_back().name = std::move(child);
            }
            list = false;
        }
        if (frame.next == nodes[frame.index].childCount) {
            stack.pop_back();
            continue;
        }
        const std::size_t child = nodes[frame.index].firstChild + frame.next++;
        HeldFolder folder;
        if (RemovalResult opened = OpenFolderBelow(frame.folder, nodes[child].name, folder, error);
            opened.outcome != RemovalOutcome::Removed) {
            if (IsGone(error)) {
                continue; // vanished since its parent was listed: nothing to remove
            }
            // Below the listed folder, a link is content like a file.
            return opened.outcome == RemovalOutcome::BecameLink
                       ? MakeRemovalResult(RemovalOutcome::GainedFile)
                       : opened;
        }
        ListingRules::ExclusionState exclusions =
            excluding ? rules_->SubFolderState(frame.exclusions, Utf8FromWide(nodes[child].name))
                      : ListingRules::ExclusionState();
        stack.push_back({child, 0, std::move(folder), std::move(exclusions)});
        list = true;
    }
    return Removed();
}

// Removes the checked folders bottom-up. Each is held, with the right to delete it, while
// the folders below it go, so none of them can be swapped for a junction meanwhile, and is
// then deleted through its own handle; only an empty folder can be deleted, so a file that
// appears after the check stops the removal and is never lost.
RemovalResult Win32RemovalRun::RemoveSubtree(const std::wstring& name,
                                             const std::vector<Node>& nodes) {
    struct Frame {
        std::size_t index;
        std::uint32_t next;
        HeldFolder folder;
        DWORD attributes;
    };
    constexpr DWORD RemovalAccess = DELETE | FILE_WRITE_ATTRIBUTES;
    std::vector<Frame> stack;
    stack.push_back({0, 0, HeldFolder(), 0});
    DWORD error = ERROR_SUCCESS;
    if (RemovalResult opened = OpenFolderBelow(levels_.back(), name, stack.back().folder, error,
                                               RemovalAccess, &stack.back().attributes);
        opened.outcome != RemovalOutcome::Removed) {
        return opened;
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const Node& node = nodes[frame.index];
        if (frame.next < node.childCount) {
            const std::size_t child = node.firstChild + frame.next++;
            Frame next{child, 0, HeldFolder(), 0};
            RemovalResult opened = OpenFolderBelow(frame.folder, nodes[child].name, next.folder,
                                                   error, RemovalAccess, &next.attributes);
            if (opened.outcome == RemovalOutcome::Removed) {
                stack.push_back(std::move(next));
            } else if (!IsGone(error)) {
                return opened;
            }
            continue;
        }
        const bool listedFolder = stack.size() == 1;
        if (rules_ != nullptr && rules_->HasJunk()) {
            if (RemovalResult junk = DeleteJunkFiles(frame.folder, rules_);
                junk.outcome != RemovalOutcome::Removed) {
                return junk;
            }
        }
        RemovalResult removed = DeleteHeldFolder(frame.folder, frame.attributes, error);
        if (removed.outcome != RemovalOutcome::Removed && (listedFolder || !IsGone(error))) {
            return removed;
        }
        stack.pop_back();
    }
    return Removed();
}

class Win32FolderRemoval : public FolderRemoval {
  public:
    explicit Win32FolderRemoval(AfterFolderCheckedHook afterChecked)
        : afterChecked_(std::move(afterChecked)) {}

    // The run holds the scan's root by a handle of its own, never by its path. Below it, no
    // reparse point is ever passed.
    std::unique_ptr<RemovalRun> OpenRun(const HeldRoot& root, RemovalResult& failure,
                                        const ListingRules* rules = nullptr) override {
        const auto* held = dynamic_cast<const Win32HeldRoot*>(&root);
        if (held == nullptr) {
            failure = MakeRemovalResult(RemovalOutcome::Failed, "not a folder held on Windows");
            return nullptr;
        }
        HeldFolder folder;
        if (DWORD error = folder.HoldAgain(held->Folder()); error != ERROR_SUCCESS) {
            failure = FromError(error);
            return nullptr;
        }
        return std::make_unique<Win32RemovalRun>(std::move(folder), held->Path(), afterChecked_,
                                                 rules);
    }

  private:
    AfterFolderCheckedHook afterChecked_;
};

} // namespace

std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval() {
    return std::make_unique<Win32FolderRemoval>(nullptr);
}

std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval(AfterFolderCheckedHook afterChecked) {
    return std::make_unique<Win32FolderRemoval>(std::move(afterChecked));
}
