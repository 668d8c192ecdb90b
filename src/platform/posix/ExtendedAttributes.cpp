#include "platform/posix/ExtendedAttributes.h"

#include <cerrno>
#include <cstring>
#include <sys/types.h>
#include <sys/xattr.h>
#include <vector>

namespace {

bool IsPermissionError(int error) {
    return error == EACCES || error == EPERM;
}

// Fills `buffer` by a call that reports the size it needs, as the *xattr calls do; the size
// may change between two calls.
template <typename Call>
bool ReadSized(std::vector<char>& buffer, Call call) {
    for (;;) {
        ssize_t size = call(nullptr, 0);
        if (size < 0) {
            return false;
        }
        buffer.resize(static_cast<std::size_t>(size));
        size = size == 0 ? 0 : call(buffer.data(), buffer.size());
        if (size >= 0) {
            buffer.resize(static_cast<std::size_t>(size));
            return true;
        }
        if (errno != ERANGE) {
            return false;
        }
    }
}

} // namespace

// A value the new file already has (a security label its folder gave it) is left as it is,
// so that an unprivileged copy fails only where a value must really change.
AttributeCopy CopyExtendedAttributes(int from, int to) {
    std::vector<char> names;
    if (!ReadSized(names, [from](char* list, std::size_t size) {
            return ::flistxattr(from, list, size);
        })) {
        return errno == ENOTSUP ? AttributeCopy::Done : AttributeCopy::Failed;
    }
    std::vector<char> value;
    std::vector<char> present;
    for (std::size_t at = 0; at < names.size(); at += std::strlen(&names[at]) + 1) {
        const char* name = &names[at];
        auto get = [name](int fd, std::vector<char>& into) {
            return ReadSized(into, [fd, name](char* data, std::size_t size) {
                return ::fgetxattr(fd, name, data, size);
            });
        };
        if (!get(from, value)) {
            if (errno == ENODATA) {
                continue; // removed meanwhile
            }
            return IsPermissionError(errno) ? AttributeCopy::NotPermitted : AttributeCopy::Failed;
        }
        if (get(to, present) && present == value) {
            continue;
        }
        if (::fsetxattr(to, name, value.data(), value.size(), 0) != 0) {
            return IsPermissionError(errno) || errno == ENOTSUP ? AttributeCopy::NotPermitted
                                                                : AttributeCopy::Failed;
        }
    }
    return AttributeCopy::Done;
}
