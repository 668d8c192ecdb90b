#include "cli/Console.h"
#include "platform/posix/ReadAtMost.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/resource.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Linux arguments are byte strings, passed on exactly.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// A reader that has gone away (`| head`) makes a write fail, which the commands report and
// stop on, rather than end the program between a folder removed and its line in the log.
void PrepareThreads() {
    // Under a limit, at most one arena for each 256 MiB it allows, so that the arenas take
    // a quarter of the space at most; the threads then share them.
    struct rlimit space {};
    if (::getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY) {
        constexpr rlim_t SpacePerArena = rlim_t{256} << 20;
        ::mallopt(M_ARENA_MAX,
                  static_cast<int>(std::clamp<rlim_t>(space.rlim_cur / SpacePerArena, 1, 64)));
    }
    // Reading a folder needs a few pages of stack (the buffers are on the heap); a sanitizer
    // build's frames are several times larger.
    constexpr std::size_t StackSize = 1024 * 1024;
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) == 0) {
        if (::pthread_attr_setstacksize(&attributes, StackSize) == 0) {
            ::pthread_setattr_default_np(&attributes);
        }
        ::pthread_attr_destroy(&attributes);
    }
}

void PrepareStandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
}

ConsoleStream StandardOutput() {
    return {stdout, ::isatty(STDOUT_FILENO) == 1};
}

ConsoleStream StandardError() {
    return {stderr, ::isatty(STDERR_FILENO) == 1};
}

namespace {

// The open file that `pathFd` (an O_PATH descriptor) stands for, opened again for writing:
// through /proc the very file, never whatever the path names by then. Where /proc is not
// mounted, the path is opened a second time and must lead to the same file.
int ReopenForWriting(int pathFd, const std::string& path, const struct stat& looked) {
    const std::string viaProc = "/proc/self/fd/" + std::to_string(pathFd);
    int fd = ::open(viaProc.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat opened {};
        if (fd >= 0 && (::fstat(fd, &opened) != 0 || opened.st_dev != looked.st_dev ||
                        opened.st_ino != looked.st_ino)) {
            ::close(fd);
            errno = ESTALE;
            return -1;
        }
    }
    return fd;
}

} // namespace

// The path is looked at before anything opens it for writing: opening a FIFO wakes its
// reader, and opening a device runs its driver, even when the open is then refused. A
// link is refused, even one to a regular file: whoever may write the folder could aim it
// anywhere. A new file is made only where nothing stood, never through a dangling link.
std::FILE* CreateLogFile(const std::string& path, std::string& failure) {
    int fd = -1;
    int pathFd = ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (pathFd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                    0666);
    } else if (pathFd >= 0) {
        struct stat status {};
        if (::fstat(pathFd, &status) != 0) {
            failure = std::strerror(errno);
        } else if (S_ISLNK(status.st_mode)) {
            failure = "it is a link";
        } else if (!S_ISREG(status.st_mode)) {
            failure = "it is not a regular file";
        } else {
            fd = ReopenForWriting(pathFd, path, status);
        }
        ::close(pathFd);
        if (!failure.empty()) {
            return nullptr;
        }
    }
    if (fd < 0) {
        failure = errno == ESTALE || errno == EEXIST ? "it changed while it was opened"
                                                     : std::strerror(errno);
        return nullptr;
    }
    if (::ftruncate(fd, 0) != 0) {
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
    std::optional<std::string> bytes = ReadAtMost(fd, limit);
    if (!bytes) {
        failure = std::strerror(errno);
    }
    ::close(fd);
    return bytes;
}
