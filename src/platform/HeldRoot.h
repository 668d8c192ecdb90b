#pragma once

#include "platform/FolderIdentity.h"
#include "platform/HeldFolders.h"

#include <memory>
#include <optional>
#include <string>

// The root folder of a scan, held open (a descriptor on Linux, a handle on Windows) from the
// scan that read it to the removals of the rows it listed. A held folder is never freed, so
// no folder made later can take its identity: a root deleted and made again, or a file
// system mounted over it, is another folder, however its numbers were handed out. A removal
// reaches every row from the held folder, never by the path. Any thread may use it; the
// last owner lets it go.
class HeldRoot {
  public:
    virtual ~HeldRoot() = default;

    // The path it was opened with, without a trailing separator ("" for "/").
    virtual const std::string& Path() const = 0;

    // Which folder is held, read from it when it was taken.
    virtual const FolderIdentity& Identity() const = 0;

    // False once the held folder has been deleted.
    virtual bool IsLinked() const = 0;

    // True when the held folder is the top of a file system (on Linux the root of a mount,
    // a bind mount's too; on Windows a volume's root), and when that cannot be told.
    virtual bool IsFileSystemTop() const = 0;

    // Which folder (or file) the path leads to now, following a link there as the root was
    // opened; nullopt, with the reason in `failure`, when nothing can be read there.
    virtual std::optional<FolderIdentity> IdentityAtPath(FolderStatus& failure) const = 0;

    // The held folder opened anew, by what is held and never by its path, as the top of a
    // walk of held folders; nullptr, with the reason in `failure`, when it cannot be.
    virtual std::unique_ptr<HeldFolders> HoldFolders(FolderStatus& failure) const = 0;
};
