#pragma once

#include <windows.h>

#include "platform/FolderIdentity.h"
#include "platform/HeldRoot.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// A folder held open by handle. Held folders may be read and listed by others but not
// renamed or deleted while held, so what was checked stays where it was. Every opening
// below a held folder is relative to its handle (NtCreateFile with a root directory): no
// path is looked up again, and no reparse point (link, junction, volume mount point) is
// passed.
class HeldFolder {
  public:
    HeldFolder() = default;
    ~HeldFolder() { Close(); }
    HeldFolder(HeldFolder&& other) noexcept;
    HeldFolder& operator=(HeldFolder&& other) noexcept;

    // Opens the folder at a full path, following a link there: the user chose that path.
    // Returns ERROR_SUCCESS or the Win32 error.
    DWORD OpenRoot(const std::string& path);

    // Holds the folder `other` holds, by a handle of its own. Returns ERROR_SUCCESS or the
    // Win32 error.
    DWORD HoldAgain(const HeldFolder& other);

    // Opens the named direct subfolder of `parent` itself, a reparse point as what it is.
    // `extraAccess`: DELETE, FILE_WRITE_ATTRIBUTES for a folder that is to be removed.
    DWORD OpenBelow(const HeldFolder& parent, const std::wstring& name, DWORD extraAccess = 0);

    // Opens the named file directly in `parent` to delete it, never a folder, a reparse point
    // as what it is. Returns ERROR_SUCCESS, with the handle in `file`, or the Win32 error.
    static DWORD OpenFileToDelete(const HeldFolder& parent, const std::wstring& name, HANDLE& file);

    HANDLE Get() const { return handle_; }
    bool IsOpen() const { return handle_ != nullptr; }
    void Close();

    // The attributes and identity (volume serial number and file id) of the held folder.
    DWORD Read(DWORD& attributes, FolderIdentity& identity) const;
    // When the held folder was last modified, in seconds since 1970; nullopt when unknown.
    std::optional<std::int64_t> ModifiedTime() const;

  private:
    HANDLE handle_ = nullptr;
};

// The root of a scan, held by handle: a held folder is neither renamed nor deleted, and its
// file id cannot go to another folder while it is held.
class Win32HeldRoot : public HeldRoot {
  public:
    Win32HeldRoot(HeldFolder folder, std::string path, FolderIdentity identity)
        : folder_(std::move(folder)), path_(std::move(path)), identity_(identity) {}

    const std::string& Path() const override { return path_; }
    const FolderIdentity& Identity() const override { return identity_; }
    bool IsLinked() const override;
    bool IsFileSystemTop() const override;
    std::optional<FolderIdentity> IdentityAtPath(FolderStatus& failure) const override;
    std::unique_ptr<HeldFolders> HoldFolders(FolderStatus& failure) const override;

    const HeldFolder& Folder() const { return folder_; }

  private:
    HeldFolder folder_;
    std::string path_;
    FolderIdentity identity_;
};

// A FILETIME (100 ns steps since 1601) in seconds since 1970.
std::int64_t UnixSeconds(const FILETIME& time);
