#pragma once

#include <string>

// The full path in the "\\?\" form, which lifts the MAX_PATH limit and turns off the
// renaming of names that end in a dot or a blank: "\\?\C:\a", "\\?\UNC\server\share\a".
// "C:" is the drive's root, not its current folder; a path already in that form (or a
// device path "\\.\") is kept as it is. Empty when the path cannot be made full.
std::wstring LongPath(const std::string& path);

// `folder` and `name` joined with one backslash.
std::wstring JoinLongPath(const std::wstring& folder, const std::wstring& name);
