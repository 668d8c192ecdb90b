#pragma once

#include "platform/FolderIdentity.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// What an operation on held folders met, translated from the platform's own error codes;
// what it means for a removal is decided by the removal.
enum class FolderError {
    None,
    Gone,       // nothing stands at the name
    Link,       // a link, junction or other reparse point stands there
    NotFolder,  // a file, or anything else but a folder, stands where a folder was wanted
    NotFile,    // anything but a plain regular file stands where one was wanted
    MountPoint, // a mount point stands there
    NotEmpty,   // the folder holds entries
    Denied,     // the system refused
    InUse,      // another program holds it
    Changed,    // a held folder can no longer be reached as the very folder it was
    Other,      // anything else: the system's text says what
};

struct FolderStatus {
    FolderError error = FolderError::None;
    std::string message; // the system's text, for Other

    bool Ok() const { return error == FolderError::None; }
};

class HeldTrash;
enum class TrashKind : int;

// What an entry of a folder is, never looked at through a link.
enum class EntryKind { Folder, File, Link, Other };

// The folders a run holds, from a held root (depth 0) down to the current folder: each
// level opened by name relative to the one above it, never through a link and never onto
// another mount, so nothing renamed or replaced meanwhile can lead elsewhere. Names are
// entries of the current folder (UTF-8 on Windows, bytes on Linux). The operations decide
// nothing: they do what they say or answer why not.
class HeldFolders {
  public:
    virtual ~HeldFolders() = default;

    virtual char Separator() const = 0; // of paths on this platform
    virtual std::size_t Depth() const = 0;
    // Opens the named subfolder of the current folder and makes it current.
    virtual FolderStatus Descend(const std::string& name) = 0;
    // Makes the folder at `depth` (at most the current one) current again.
    virtual void AscendTo(std::size_t depth) = 0;

    // The current folder's identity and modification time (seconds since 1970, nullopt
    // when unknown).
    virtual FolderStatus ReadCurrent(FolderIdentity& identity,
                                     std::optional<std::int64_t>& modified) = 0;
    // The modification time of the named entry, not through a link; nullopt when unknown.
    virtual std::optional<std::int64_t> ModifiedTimeOf(const std::string& name) = 0;

    // Calls `each(name, kind)` for the current folder's entries, from its first, but "."
    // and "..", until it returns false. An entry that vanishes meanwhile is left out.
    using EachEntry = std::function<bool(std::string_view name, EntryKind kind)>;
    virtual FolderStatus ForEachEntry(const EachEntry& each) = 0;

    // Removes the named entry when it is an empty folder, read-only or not: never a link, a
    // file or a mount point.
    virtual FolderStatus RemoveEmptyFolder(const std::string& name) = 0;
    // Deletes the named entry when it is a plain regular file, read-only or not: never a
    // link, whatever it points to.
    virtual FolderStatus DeleteRegularFile(const std::string& name) = 0;

    // Adds the owner-write bit to the current folder where the platform needs it to remove
    // a read-only folder's entries; false when it did not. Put back when the level is left,
    // or by RestoreModes.
    virtual bool AddOwnerWrite() = 0;
    virtual void RestoreModes() = 0;

    // The current folder's absolute path as the system names it now.
    virtual FolderStatus CurrentPath(std::string& path) = 0;
    // Opens the trash of `kind` for the current folder's entries, never through a link:
    // `homeTrash` is the user's own trash folder (Linux). Nothing is made before Ready.
    // nullptr, with the reason in `failure`, when there is none.
    virtual std::unique_ptr<HeldTrash> OpenTrash(TrashKind kind, const std::string& homeTrash,
                                                 FolderStatus& failure) = 0;

    // A shortage of the system's resources (descriptors, memory) since the last call, which
    // any failure meanwhile may come from; None when there was none.
    virtual FolderStatus TakeShortage() = 0;
};
