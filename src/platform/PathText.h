#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Path text rules shared by the file systems of both platforms: only the separators and the
// length of a path's root differ between them.
struct PathSyntax {
    char separator;
    // Windows also accepts '/' between names.
    bool slashIsSeparator;
    // The length of the root part of a path ("/" -> 1, "C:\" -> 3, "C:" -> 2, "a" -> 0).
    std::size_t (*rootLength)(std::string_view path);

    bool IsSeparator(char c) const { return c == separator || (slashIsSeparator && c == '/'); }
};

const PathSyntax& PosixPathSyntax();
const PathSyntax& WindowsPathSyntax();

// The folder that holds the item at `path`: "" for a root or a bare name.
std::string ParentFolderName(const PathSyntax& syntax, std::string_view path);

// `path` and `name` joined with one separator; none added when `path` ends with one.
std::string BuildPath(const PathSyntax& syntax, std::string_view path, std::string_view name);
