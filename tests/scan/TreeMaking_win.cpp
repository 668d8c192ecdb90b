#include "scan/TreeMaking.h"

#include <windows.h>

namespace fs = std::filesystem;

void MakeReadOnly(const fs::path& folder) {
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    ::SetFileAttributesW(folder.c_str(), attributes | FILE_ATTRIBUTE_READONLY);
}

void ClearReadOnly(const fs::path& folder) {
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    ::SetFileAttributesW(folder.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
}

bool IsReadOnlyFolder(const fs::path& folder) {
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool MakeHiddenFile(const fs::path& path) {
    WriteFile(path, "x");
    DWORD wanted = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ::SetFileAttributesW(path.c_str(), wanted);
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & wanted) == wanted;
}
