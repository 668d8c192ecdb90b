#include <windows.h>
#undef MessageBox

#include "platform/FolderRemoval.h"
#include "platform/FolderRemovalHook.h"
#include "platform/RemovalResults.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Utf.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace {

RemovalResult Removed() {
    return MakeRemovalResult(RemovalOutcome::Removed);
}

std::string SystemMessage(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L'.' ||
                             text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "error " + std::to_string(error);
    }
    return Utf8FromWide(text);
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

// A folder held open without delete sharing: while it is held, nobody can rename it,
// delete it or put a junction in its place, so the paths below it keep leading where the
// check went. The handle never goes through a reparse point.
class PinnedFolder {
  public:
    PinnedFolder() = default;
    ~PinnedFolder() { Close(); }
    PinnedFolder(PinnedFolder&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    PinnedFolder& operator=(PinnedFolder&&) = delete;

    // Removed when it is a plain folder and now held; otherwise why not, and `error`.
    RemovalResult Pin(const std::wstring& path, DWORD& error, bool followLink = false) {
        Close();
        DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
        HANDLE handle =
            ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, flags, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = ::GetLastError();
            return FromError(error);
        }
        handle_ = handle;
        BY_HANDLE_FILE_INFORMATION information{};
        if (!::GetFileInformationByHandle(handle, &information)) {
            error = ::GetLastError();
            return FromError(error);
        }
        error = ERROR_SUCCESS;
        if (std::optional<RemovalOutcome> obstacle = ObstacleOf(information.dwFileAttributes)) {
            return MakeRemovalResult(*obstacle);
        }
        return Removed();
    }

    void Close() {
        if (handle_ != nullptr) {
            ::CloseHandle(handle_);
            handle_ = nullptr;
        }
    }

  private:
    HANDLE handle_ = nullptr;
};

// Removes one folder that should be empty by now; read-only ones too, their attribute
// put back when the folder stays after all.
RemovalResult RemoveEmptyFolder(const std::wstring& path, DWORD& error) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = ::GetLastError();
        return FromError(error);
    }
    if (std::optional<RemovalOutcome> obstacle = ObstacleOf(attributes)) {
        error = ERROR_DIRECTORY;
        return MakeRemovalResult(*obstacle);
    }
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        error = ::GetLastError();
        return FromError(error);
    }
    if (::RemoveDirectoryW(path.c_str())) {
        error = ERROR_SUCCESS;
        return Removed();
    }
    error = ::GetLastError();
    if (readOnly) {
        ::SetFileAttributesW(path.c_str(), attributes);
    }
    return FromError(error);
}

// One folder of the listed subtree; the subfolders of a folder are consecutive entries.
struct Node {
    std::wstring name;
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
};

class Win32FolderRemoval : public FolderRemoval {
  public:
    explicit Win32FolderRemoval(AfterFolderCheckedHook afterChecked)
        : afterChecked_(std::move(afterChecked)) {}

    RemovalResult DeleteFolder(const std::string& rootFolder,
                               const std::string& relativePath) override;

  private:
    RemovalResult CheckSubtree(const std::wstring& folder, std::vector<Node>& nodes);
    RemovalResult RemoveSubtree(const std::wstring& folder, const std::vector<Node>& nodes);

    AfterFolderCheckedHook afterChecked_;
};

// The root is reached by its path, links included: it is the folder the user chose.
// Below it, no reparse point is ever passed.
RemovalResult Win32FolderRemoval::DeleteFolder(const std::string& rootFolder,
                                               const std::string& relativePath) {
    std::optional<std::vector<std::string>> names = SplitRelativePath(relativePath, '\\');
    if (!names) {
        return RefusedPathResult();
    }
    FileSystemRedirectionOff redirectionOff;
    std::wstring path = LongPath(rootFolder);
    if (path.empty()) {
        return MakeRemovalResult(RemovalOutcome::Vanished);
    }
    // The root and every folder down to the listed one's parent stay held to the end.
    std::vector<PinnedFolder> ancestors(names->size());
    DWORD error = ERROR_SUCCESS;
    if (RemovalResult pinned = ancestors[0].Pin(path, error, true);
        pinned.outcome != RemovalOutcome::Removed) {
        return pinned;
    }
    for (std::size_t i = 0; i < names->size(); ++i) {
        path = JoinLongPath(path, WideFromUtf8((*names)[i]));
        if (i + 1 < names->size()) {
            if (RemovalResult pinned = ancestors[i + 1].Pin(path, error);
                pinned.outcome != RemovalOutcome::Removed) {
                return pinned;
            }
        }
    }
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return FromError(::GetLastError());
    }
    if (std::optional<RemovalOutcome> obstacle = ObstacleOf(attributes)) {
        return MakeRemovalResult(*obstacle);
    }
    std::vector<Node> nodes(1);
    if (RemovalResult checked = CheckSubtree(path, nodes);
        checked.outcome != RemovalOutcome::Removed) {
        return checked;
    }
    if (afterChecked_) {
        afterChecked_(rootFolder + "\\" + relativePath);
    }
    return RemoveSubtree(path, nodes);
}

// Lists every folder below `folder` before anything is deleted; anything that is not a
// plain local folder (a file, a link, a junction, a placeholder) means it is not empty.
RemovalResult Win32FolderRemoval::CheckSubtree(const std::wstring& folder,
                                               std::vector<Node>& nodes) {
    // Folders still to list, with their paths: an explicit stack, not recursion.
    std::vector<std::pair<std::size_t, std::wstring>> pending{{0, folder}};
    while (!pending.empty()) {
        auto [index, path] = std::move(pending.back());
        pending.pop_back();
        WIN32_FIND_DATAW entry{};
        HANDLE find = ::FindFirstFileExW(JoinLongPath(path, L"*").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) {
            DWORD error = ::GetLastError();
            if (index != 0 && IsGone(error)) {
                continue; // vanished since its parent was listed: nothing to remove
            }
            return FromError(error);
        }
        const auto first = static_cast<std::uint32_t>(nodes.size());
        RemovalResult result = Removed();
        do {
            std::wstring_view name(entry.cFileName);
            if (name == L"." || name == L"..") {
                continue;
            }
            if (ObstacleOf(entry.dwFileAttributes)) {
                result = MakeRemovalResult(RemovalOutcome::GainedFile);
                break;
            }
            nodes.emplace_back().name = entry.cFileName;
        } while (::FindNextFileW(find, &entry));
        DWORD error = ::GetLastError();
        ::FindClose(find);
        if (result.outcome != RemovalOutcome::Removed) {
            return result;
        }
        if (error != ERROR_NO_MORE_FILES) {
            return FromError(error);
        }
        nodes[index].firstChild = first;
        nodes[index].childCount = static_cast<std::uint32_t>(nodes.size()) - first;
        for (std::uint32_t child = first; child < nodes.size(); ++child) {
            pending.emplace_back(child, JoinLongPath(path, nodes[child].name));
        }
    }
    return Removed();
}

// Removes the checked folders bottom-up. Each folder is held while the folders below it
// go, so none of them can be swapped for a junction; RemoveDirectoryW removes only empty
// folders, so a file that appears after the check stops the removal and is never lost.
RemovalResult Win32FolderRemoval::RemoveSubtree(const std::wstring& folder,
                                                const std::vector<Node>& nodes) {
    struct Frame {
        std::size_t index;
        std::uint32_t next;
        std::wstring path;
        PinnedFolder pin;
    };
    std::vector<Frame> stack;
    stack.push_back({0, 0, folder, PinnedFolder()});
    DWORD error = ERROR_SUCCESS;
    if (RemovalResult pinned = stack.back().pin.Pin(folder, error);
        pinned.outcome != RemovalOutcome::Removed) {
        return pinned;
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const Node& node = nodes[frame.index];
        if (frame.next < node.childCount) {
            const std::size_t child = node.firstChild + frame.next++;
            Frame next{child, 0, JoinLongPath(frame.path, nodes[child].name), PinnedFolder()};
            RemovalResult pinned = next.pin.Pin(next.path, error);
            if (pinned.outcome == RemovalOutcome::Removed) {
                stack.push_back(std::move(next));
            } else if (!IsGone(error)) {
                return pinned;
            }
            continue;
        }
        frame.pin.Close();
        const bool listedFolder = stack.size() == 1;
        RemovalResult removed = RemoveEmptyFolder(frame.path, error);
        if (removed.outcome != RemovalOutcome::Removed && (listedFolder || !IsGone(error))) {
            return removed;
        }
        stack.pop_back();
    }
    return Removed();
}

} // namespace

std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval() {
    return std::make_unique<Win32FolderRemoval>(nullptr);
}

std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval(AfterFolderCheckedHook afterChecked) {
    return std::make_unique<Win32FolderRemoval>(std::move(afterChecked));
}
