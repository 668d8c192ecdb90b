#pragma once

#include <functional>
#include <optional>
#include <string>

// The bytes of a settings file on Linux, read and stored safely. Only a regular file of at
// most MaximumProfileFileSize bytes is ever read or replaced: a FIFO, a device, a socket,
// a folder or a huge file reads as missing and is left as it is. A write goes through a
// link only when nobody but the user (or root) may have made or changed it.

// The file's bytes; nullopt when it is missing or may not be read.
std::optional<std::string> ReadProfileFile(const std::string& path);

// Reads the file (empty text when it is missing), and stores what `edit` makes of its
// bytes, keeping its owner, mode, links and extended attributes. False, with the file as it
// was, when it cannot be read or written or lies behind a link that is not to be trusted.
bool UpdateProfileFile(const std::string& path,
                       const std::function<std::string(const std::string&)>& edit);
