#include "cli/Console.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Linux arguments are byte strings, passed on exactly.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareStandardStreams() {}

ConsoleStream StandardOutput() {
    return {stdout, ::isatty(STDOUT_FILENO) == 1};
}

ConsoleStream StandardError() {
    return {stderr, ::isatty(STDERR_FILENO) == 1};
}

// O_NOFOLLOW refuses a link, even one to a regular file: whoever may write the folder could
// aim it anywhere. O_NONBLOCK keeps the open of a FIFO from waiting for a reader; no O_TRUNC,
// so that nothing but a regular file is emptied.
std::FILE* CreateLogFile(const std::string& path, std::string& failure) {
    int fd = ::open(path.c_str(),
                    O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        failure = errno == ELOOP   ? "it is a link"
                  : errno == ENXIO ? "it is not a regular file"
                                   : std::strerror(errno);
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        failure = "it is not a regular file";
    } else if (::ftruncate(fd, 0) != 0) {
        failure = std::strerror(errno);
    } else if (std::FILE* file = ::fdopen(fd, "w")) {
        return file;
    } else {
        failure = std::strerror(errno);
    }
    ::close(fd);
    return nullptr;
}

std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit,
                                         std::string& failure) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        failure = std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes;
    char chunk[64 * 1024];
    while (bytes.size() < limit) {
        ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, limit - bytes.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            failure = std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}
