#pragma once

#include "support/TempFolder.h"

#include <filesystem>
#include <string>
#include <vector>

// Real folder trees for the scan's tests, made the same way on Linux and under Wine.

// Creates each entry below `root`: "a/b/" a folder, "a/f" a file (with its folders).
inline void MakeTree(const std::filesystem::path& root, const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        std::filesystem::path path = root / std::filesystem::u8path(entry);
        if (!entry.empty() && entry.back() == '/') {
            std::filesystem::create_directories(path);
        } else {
            WriteFile(path, "x");
        }
    }
}

// Linux: clears the owner-write bit. Windows: sets the read-only attribute.
void MakeReadOnly(const std::filesystem::path& folder);
void ClearReadOnly(const std::filesystem::path& folder);
bool IsReadOnlyFolder(const std::filesystem::path& folder);

// Creates a file that only the platform's own means tell from no file: a dot file on Linux,
// a file with the hidden and system attributes on Windows. False when that cannot be made.
bool MakeHiddenFile(const std::filesystem::path& path);
