#pragma once

#include <cerrno>
#include <dirent.h>
#include <unistd.h>
#include <vector>

// Reads the entries of the folder open at `fd` from its current position, with getdents64
// into a buffer reused by the thread: no stat per entry. Calls `each(name, type)` for every
// entry but "." and "..", `type` as the file system reports it (DT_UNKNOWN on some); stops
// when it returns false. Returns 0, or the errno of a failed read.
template <typename Each>
int ForEachEntry(int fd, Each&& each) {
    thread_local std::vector<char> buffer(64 * 1024);
    for (;;) {
        ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
        if (got == 0) {
            return 0;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        for (ssize_t at = 0; at < got;) {
            auto* entry = reinterpret_cast<const struct dirent64*>(buffer.data() + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
                continue;
            }
            if (!each(name, entry->d_type)) {
                return 0;
            }
        }
    }
}
