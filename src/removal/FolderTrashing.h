#pragma once

#include "platform/FolderRemoval.h"
#include "platform/HeldFolders.h"

#include <ctime>
#include <string>

// What a move to the trash needs besides the folder: the user's own trash folder (see
// HomeTrashFolder) and the local time its records give as the deletion date.
struct TrashRequest {
    std::string homeTrash;
    std::tm now{};
};

// The request of this process: its environment's home trash, the local time now.
TrashRequest CurrentTrashRequest();

// Moves the entry `name` of the current folder of `folders`, the checked folder `checked`,
// whole into a trash on its own file system: the user's own trash when it lies there, else
// the file system's shared trash ($topdir/.Trash/$uid), else the user's one there
// ($topdir/.Trash-$uid). Each is opened without following a link; an entry name is claimed
// with its record first, then the folder moves by one rename from its held parent, so a
// folder never moves without a record and a record never outlives a move that failed. When
// no trash on its file system takes it, it stays, and the result says why: never a copy,
// never a deletion. On success `where` names the trash.
RemovalResult MoveFolderToTrash(HeldFolders& folders, const std::string& name,
                                const FolderIdentity& checked, const TrashRequest& request,
                                std::string& where);
