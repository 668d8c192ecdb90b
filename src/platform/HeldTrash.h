#pragma once

#include "platform/FolderIdentity.h"
#include "platform/HeldFolders.h"

#include <cstdint>
#include <string>

// The trashes a folder can go to, tried in this order by the removal.
enum class TrashKind : int {
    Home,      // the user's own: $XDG_DATA_HOME/Trash on Linux, the volume's Recycle Bin on Windows
    SharedTop, // Linux: $topdir/.Trash/$uid, in a folder an administrator made for every user
    UserTop,   // Linux: $topdir/.Trash-$uid, made by the program that needs it
};

// What a trash is, as read without following a link, for the removal to judge it by.
struct TrashFacts {
    std::string path;          // where it is, for the user: a folder, or "the Recycle Bin"
    std::string topdir;        // SharedTop, UserTop: the mount point of the file system it serves
    bool takesRecords = false; // each entry needs a record of where it came from (.trashinfo)
    bool sharedSticky = false; // SharedTop: $topdir/.Trash has the sticky bit
    bool userFolderFound = false; // the user's own folder of it ($uid, .Trash-$uid) exists...
    bool userFolderOwned = false; // ...and belongs to the user running the program
    std::uint64_t volume = 0;     // once Ready: the file system its entries go to
};

// One trash, opened for the entries of the held folder that opened it (HeldFolders::OpenTrash),
// which must stay current while it is used. It does what it says or answers why not.
class HeldTrash {
  public:
    virtual ~HeldTrash() = default;

    virtual const TrashFacts& Facts() const = 0;

    // Makes what is missing of it (mode 0700) and opens where its entries and records go;
    // Facts are read again.
    virtual FolderStatus Ready() = 0;

    // Takes `trashName` for the entry `entry` of the held folder, with `record` as the
    // record of where it came from (created exclusively); NotEmpty when the name is taken.
    virtual FolderStatus Claim(const std::string& entry, const std::string& trashName,
                               const std::string& record) = 0;
    // Moves the entry, when it is still the folder `checked`, whole into the trash under the
    // name it claimed: one rename on its file system, never a copy. Changed when another
    // entry stands at the name.
    virtual FolderStatus MoveIn(const std::string& entry, const std::string& trashName,
                                const FolderIdentity& checked) = 0;
    // Gives back a name claimed for an entry that did not move.
    virtual void Unclaim(const std::string& entry, const std::string& trashName) = 0;
};

// How this platform's windows name its trash.
struct TrashWording {
    const char* menuCaption; // "Move to Trash"
    const char* destination; // "the Trash", after "moved to"
};
const TrashWording& SystemTrashWording();
