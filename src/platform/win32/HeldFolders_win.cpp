#include <windows.h>
#undef MessageBox

#include "platform/HeldFolders.h"
#include "platform/win32/HeldFolder.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/RecycleBin.h"
#include "platform/win32/SystemMessage.h"
#include "platform/win32/Utf.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace {

FolderStatus StatusOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return {};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return {FolderError::Gone, {}};
    case ERROR_ACCESS_DENIED:
        return {FolderError::Denied, {}};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return {FolderError::InUse, {}};
    case ERROR_DIR_NOT_EMPTY:
        return {FolderError::NotEmpty, {}};
    case ERROR_DIRECTORY:
        return {FolderError::NotFolder, {}};
    default:
        return {FolderError::Other, SystemMessage(error)};
    }
}

// What the attributes of an entry say it is: a placeholder or another folder that is not
// plain local content is neither a folder nor a file.
EntryKind KindOf(DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return EntryKind::Link;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return (attributes & ContentAttributes) == 0 ? EntryKind::Folder : EntryKind::Other;
    }
    return IsPlainFile(attributes) ? EntryKind::File : EntryKind::Other;
}

// Opens `name` below `parent` and checks that it is a plain folder; its attributes go to
// `attributes`.
FolderStatus OpenFolderBelow(const HeldFolder& parent, const std::string& name, HeldFolder& folder,
                             DWORD extraAccess, DWORD& attributes) {
    DWORD error = folder.OpenBelow(parent, WideFromUtf8(name), extraAccess);
    FolderIdentity identity;
    if (error == ERROR_SUCCESS) {
        error = folder.Read(attributes, identity);
    }
    if (error != ERROR_SUCCESS) {
        return StatusOf(error);
    }
    const EntryKind kind = KindOf(attributes);
    return {kind == EntryKind::Folder ? FolderError::None
            : kind == EntryKind::Link ? FolderError::Link
                                      : FolderError::NotFolder,
            {}};
}

// Marks an opened file or folder for deletion: it is gone when its handle closes. A
// read-only one loses the attribute first, and gets it back when it stays after all.
FolderStatus DeleteByHandle(HANDLE handle, DWORD attributes) {
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    auto setAttributes = [&](DWORD wanted) {
        FILE_BASIC_INFO basic{};
        wanted &= ~FILE_ATTRIBUTE_DIRECTORY;
        basic.FileAttributes = wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL;
        return ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof(basic));
    };
    if (readOnly && !setAttributes(attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return StatusOf(::GetLastError());
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof(disposition))) {
        const DWORD error = ::GetLastError();
        if (readOnly) {
            setAttributes(attributes);
        }
        return StatusOf(error);
    }
    return {};
}

// The folders of a run, each held by a handle opened relative to the one above it
// (HeldFolder::OpenBelow): no path is looked up again, no reparse point is passed, and a
// held folder can be neither renamed nor deleted by others.
class Win32HeldFolders : public HeldFolders {
  public:
    explicit Win32HeldFolders(HeldFolder root) { levels_.push_back(std::move(root)); }

    char Separator() const override { return '\\'; }
    std::size_t Depth() const override { return levels_.size() - 1; }

    FolderStatus Descend(const std::string& name) override {
        HeldFolder next;
        DWORD attributes = 0;
        FolderStatus opened = OpenFolderBelow(levels_.back(), name, next, 0, attributes);
        if (opened.Ok()) {
            levels_.push_back(std::move(next));
        }
        return opened;
    }

    void AscendTo(std::size_t depth) override {
        levels_.erase(levels_.begin() + static_cast<std::ptrdiff_t>(depth) + 1, levels_.end());
    }

    FolderStatus ReadCurrent(FolderIdentity& identity,
                             std::optional<std::int64_t>& modified) override {
        DWORD attributes = 0;
        if (DWORD error = levels_.back().Read(attributes, identity); error != ERROR_SUCCESS) {
            return StatusOf(error);
        }
        modified = levels_.back().ModifiedTime();
        return {};
    }

    std::optional<std::int64_t> ModifiedTimeOf(const std::string& name) override {
        HeldFolder folder;
        if (folder.OpenBelow(levels_.back(), WideFromUtf8(name)) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return folder.ModifiedTime();
    }

    FolderStatus ForEachEntry(const EachEntry& each) override {
        std::vector<LONGLONG> buffer(8 * 1024); // aligned as the entries must be
        FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
        for (;;) {
            if (!::GetFileInformationByHandleEx(
                    levels_.back().Get(), kind, buffer.data(),
                    static_cast<DWORD>(buffer.size() * sizeof(LONGLONG)))) {
                const DWORD error = ::GetLastError();
                return error == ERROR_NO_MORE_FILES ? FolderStatus{} : StatusOf(error);
            }
            kind = FileIdBothDirectoryInfo;
            auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data());
            for (;;) {
                std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
                if (name != L"." && name != L".." &&
                    !each(Utf8FromWide(name), KindOf(entry->FileAttributes))) {
                    return {};
                }
                if (entry->NextEntryOffset == 0) {
                    break;
                }
                entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(
                    reinterpret_cast<const char*>(entry) + entry->NextEntryOffset);
            }
        }
    }

    // Deleted through a handle of its own, opened relative to the held parent: only an
    // empty folder can be deleted so.
    FolderStatus RemoveEmptyFolder(const std::string& name) override {
        HeldFolder folder;
        DWORD attributes = 0;
        FolderStatus opened = OpenFolderBelow(levels_.back(), name, folder,
                                              DELETE | FILE_WRITE_ATTRIBUTES, attributes);
        return opened.Ok() ? DeleteByHandle(folder.Get(), attributes) : opened;
    }

    // Checked on the very handle that deletes it.
    FolderStatus DeleteRegularFile(const std::string& name) override {
        HANDLE file = nullptr;
        DWORD error = HeldFolder::OpenFileToDelete(levels_.back(), WideFromUtf8(name), file);
        if (error != ERROR_SUCCESS) {
            return StatusOf(error);
        }
        BY_HANDLE_FILE_INFORMATION information{};
        FolderStatus result;
        if (!::GetFileInformationByHandle(file, &information)) {
            result = StatusOf(::GetLastError());
        } else if (!IsPlainFile(information.dwFileAttributes)) {
            result = {FolderError::NotFile, {}};
        } else {
            result = DeleteByHandle(file, information.dwFileAttributes);
        }
        ::CloseHandle(file);
        return result;
    }

    FolderStatus CurrentPath(std::string& path) override {
        std::wstring wide;
        if (DWORD error = FinalPath(levels_.back(), wide); error != ERROR_SUCCESS) {
            return StatusOf(error);
        }
        path = Utf8FromWide(wide);
        return {};
    }

    // Windows has one trash for every folder of a volume: its Recycle Bin.
    std::unique_ptr<HeldTrash> OpenTrash(TrashKind kind, const std::string&,
                                         FolderStatus& failure) override {
        if (kind != TrashKind::Home) {
            failure = {FolderError::Gone, {}};
            return nullptr;
        }
        return OpenRecycleBin(levels_.back(), failure);
    }

    // A read-only folder's entries can be removed all the same.
    bool AddOwnerWrite() override { return false; }
    void RestoreModes() override {}
    FolderStatus TakeShortage() override { return {}; }

  private:
    std::vector<HeldFolder> levels_;
};

} // namespace

FolderStatus FolderStatusOfError(DWORD error) {
    return StatusOf(error);
}

// The run holds the scan's root by a handle of its own, never by its path.
std::unique_ptr<HeldFolders> Win32HeldRoot::HoldFolders(FolderStatus& failure) const {
    HeldFolder folder;
    if (DWORD error = folder.HoldAgain(folder_); error != ERROR_SUCCESS) {
        failure = StatusOf(error);
        return nullptr;
    }
    return std::make_unique<Win32HeldFolders>(std::move(folder));
}

std::optional<FolderIdentity> Win32HeldRoot::IdentityAtPath(FolderStatus& failure) const {
    HeldFolder atPath;
    DWORD attributes = 0;
    FolderIdentity identity;
    DWORD error = atPath.OpenRoot(path_);
    if (error == ERROR_SUCCESS) {
        error = atPath.Read(attributes, identity);
    }
    if (error == ERROR_SUCCESS) {
        return identity;
    }
    failure = StatusOf(error);
    return std::nullopt;
}
