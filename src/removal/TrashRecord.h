#pragma once

#include "platform/HeldTrash.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// The decisions of moving a folder to a trash that the file system plays no part in: which
// trash, what an entry is called, what its record says. Written for the freedesktop.org
// trash layout; the Recycle Bin of Windows answers as a Home trash without records.

// The user's own trash folder: $XDG_DATA_HOME/Trash, or $HOME/.local/share/Trash when
// XDG_DATA_HOME is unset, empty or relative (then it is ignored); "" when neither gives an
// absolute folder. Either may be nullptr.
std::string HomeTrashFolder(const char* xdgDataHome, const char* home);

// The name the entry `name` takes in a trash at try `attempt`: its own name first, then
// "name.2", "name.3"... cut short (never inside a UTF-8 sequence) so that its record's name,
// NAME.trashinfo, still fits in a file name of 255 bytes.
std::string TrashEntryName(std::string_view name, unsigned attempt);

// How many names are tried in one trash before it counts as full.
inline constexpr unsigned TrashNameAttempts = 1000;

// A path as a record's Path key holds it: every byte but letters, digits, "-_.!~*'()" and
// "/" as %XX (upper-case hex), so spaces, '%', line breaks and bytes that are not UTF-8
// survive the record's line format.
std::string EncodeTrashPath(std::string_view path);

// "YYYY-MM-DDThh:mm:ss" of a local time, as a record's DeletionDate.
std::string DeletionDateText(const std::tm& local);

// The whole record of an entry: the [Trash Info] group with Path and DeletionDate.
std::string TrashInfoText(std::string_view path, std::string_view deletionDate);

// The path a trash of `kind` records for the folder at the absolute `folderPath`: itself in
// the home trash, relative to the trash's topdir in the others; nullopt when the folder
// does not lie below that topdir.
std::optional<std::string> RecordedPath(TrashKind kind, std::string_view folderPath,
                                        std::string_view topdir);

// Why a trash of `kind` may not take a folder of the file system `volume`: "" when it may.
// Before it is Ready only what was found is judged; once Ready, also that its entries go to
// the folder's own file system and that the user's folder is theirs.
std::string TrashRefusal(TrashKind kind, const TrashFacts& facts, std::uint64_t volume, bool ready);
