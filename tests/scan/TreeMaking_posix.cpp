#include "scan/TreeMaking.h"

#include "support/TempFolder.h"

#include <sys/stat.h>

namespace fs = std::filesystem;

void MakeTree(const fs::path& root, const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        if (!entry.empty() && entry.back() == '/') {
            fs::create_directories(root / entry.substr(0, entry.size() - 1));
        } else {
            WriteFile(root / entry, "x");
        }
    }
}

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
