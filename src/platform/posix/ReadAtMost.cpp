#include "platform/posix/ReadAtMost.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

std::optional<std::string> ReadAtMost(int fd, std::size_t limit) {
    std::string text;
    char chunk[64 * 1024];
    while (text.size() < limit) {
        ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, limit - text.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        text.append(chunk, static_cast<std::size_t>(got));
    }
    return text;
}
