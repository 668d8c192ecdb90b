#include "scan/TreeMaking.h"

#include <sys/stat.h>

namespace fs = std::filesystem;

void MakeReadOnly(const fs::path& folder) {
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
}

void ClearReadOnly(const fs::path& folder) {
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
}

bool IsReadOnlyFolder(const fs::path& folder) {
    struct stat status;
    return ::lstat(folder.c_str(), &status) == 0 && !(status.st_mode & S_IWUSR);
}

bool MakeHiddenFile(const fs::path& path) {
    fs::path hidden = path.parent_path() / ("." + path.filename().string());
    WriteFile(hidden, "x");
    return fs::exists(hidden);
}
