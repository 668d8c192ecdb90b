#include "removal/RemovalTestTree.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

bool MakeFolderLink(const fs::path& link, const fs::path& target) {
    std::error_code error;
    fs::create_directory_symlink(target, link, error);
    return !error;
}

std::uint32_t PermissionBits(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : NoBits;
}

// Past PATH_MAX, and past the levels the removal's walk keeps open.
bool MakeDeepChain(const fs::path& top) {
    int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < 1000 && fd >= 0; ++level) {
        ::mkdirat(fd, "level", 0755);
        int next = ::openat(fd, "level", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    if (fd < 0) {
        throw std::runtime_error("cannot make the deep chain");
    }
    ::close(fd);
    return true;
}
