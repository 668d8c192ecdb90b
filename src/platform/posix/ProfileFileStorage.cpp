#include "platform/posix/ProfileFileStorage.h"

#include "platform/ProfileFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Closes the descriptor it holds.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Reset(-1); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset(int fd) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

  private:
    int fd_;
};

enum class Found { Regular, Missing, Refused };

bool IsUsable(const struct stat& info) {
    return S_ISREG(info.st_mode) &&
           static_cast<std::uint64_t>(info.st_size) <= MaximumProfileFileSize;
}

// Opens the file only when it is a regular file within the size cap. The first look keeps
// devices from being opened at all (opening some has effects); O_NONBLOCK keeps a FIFO
// swapped in after that look from blocking the open, and fstat then refuses it.
Found OpenProfileFile(const std::string& path, int access, Descriptor& fd, struct stat& info) {
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? Found::Missing : Found::Refused;
    }
    if (!IsUsable(info)) {
        return Found::Refused;
    }
    fd.Reset(::open(path.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !IsUsable(info)) {
        return Found::Refused;
    }
    return Found::Regular;
}

// Someone the running user must trust anyway: the user, or root.
bool BelongsToUser(uid_t owner) {
    return owner == ::geteuid() || owner == 0;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Anyone who may change a link decides where a write through it lands, so a link is only
// followed when nobody else may: the link and its folder belong to the user (or root) and
// no group or other user may write that folder. Otherwise a program run as root from a
// folder others may write could be made to rewrite any file.
bool IsTrustedLink(const std::string& link, const struct stat& linkInfo) {
    struct stat folder {};
    return BelongsToUser(linkInfo.st_uid) && ::stat(FolderOf(link).c_str(), &folder) == 0 &&
           BelongsToUser(folder.st_uid) && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

struct Destination {
    Found found;
    std::string path; // the file itself, never a link
    bool linked;      // reached through at least one link
};

// Follows the links in front of the settings file, one by one, each only when it is
// trusted. A link to nothing is refused: a write through it would make a file elsewhere.
Destination FollowTrustedLinks(std::string path) {
    constexpr int MaximumLinks = 40; // the kernel's own limit
    for (int links = 0; links <= MaximumLinks; ++links) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            bool missing = errno == ENOENT || errno == ENOTDIR;
            return {missing && links == 0 ? Found::Missing : Found::Refused, path, links > 0};
        }
        if (!S_ISLNK(info.st_mode)) {
            return {Found::Regular, path, links > 0};
        }
        char target[PATH_MAX];
        ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (!IsTrustedLink(path, info) || length <= 0 ||
            static_cast<std::size_t>(length) == sizeof target) {
            return {Found::Refused, path, true};
        }
        std::string next(target, static_cast<std::size_t>(length));
        path = next.front() == '/' ? next : FolderOf(path) + "/" + next;
    }
    return {Found::Refused, path, true};
}

// Reads at most the cap, whatever the file's size said: a file that grows while it is read
// is refused too.
std::optional<std::string> ReadCapped(int fd) {
    std::string text;
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            return text;
        }
        text.append(chunk, static_cast<std::size_t>(got));
        if (text.size() > MaximumProfileFileSize) {
            return std::nullopt;
        }
    }
}

bool WriteAllAt(int fd, std::string_view text, off_t offset) {
    while (!text.empty()) {
        ssize_t written = ::pwrite(fd, text.data(), text.size(), offset);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

enum class Replacement { Done, Impossible, Failed };

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

// Gives the new file the old one's extended attributes (user.*, ACLs, security labels).
// One the user may not set (most security.* names need privileges) makes the replacement
// Impossible: the file is rewritten in place then, which keeps every attribute. A value the
// new file already has (a security label given by its folder) is left as it is.
Replacement CopyExtendedAttributes(int from, int to) {
    std::vector<char> names;
    if (!ReadSized(names, [from](char* list, std::size_t size) {
            return ::flistxattr(from, list, size);
        })) {
        return errno == ENOTSUP ? Replacement::Done : Replacement::Failed;
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
            return IsPermissionError(errno) ? Replacement::Impossible : Replacement::Failed;
        }
        if (get(to, present) && present == value) {
            continue;
        }
        if (::fsetxattr(to, name, value.data(), value.size(), 0) != 0) {
            return IsPermissionError(errno) || errno == ENOTSUP ? Replacement::Impossible
                                                                : Replacement::Failed;
        }
    }
    return Replacement::Done;
}

// Writes beside the file and renames over it, so that a crash or a full disk leaves either
// the old file or the new one, never half of one. The new file gets the old one's owner,
// group, mode and extended attributes; a new settings file gets the mode the umask leaves.
// Impossible when the folder takes no new file or the owner or an attribute cannot be kept:
// the file must then be rewritten in place, as renaming would take it from its owner or
// fail. `existingFd` is the open file, when there is one.
Replacement ReplaceAtomically(const std::string& target, std::string_view text,
                              const struct stat* existing, int existingFd) {
    std::string temporary = target + ".XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.Get() < 0) {
        return IsPermissionError(errno) ? Replacement::Impossible : Replacement::Failed;
    }
    auto giveUp = [&temporary](Replacement outcome) {
        ::unlink(temporary.c_str());
        return outcome;
    };
    // The text goes first: writing clears the set-id bits and file capabilities of a file,
    // and so does a change of owner, so fchown comes before fchmod and the attributes.
    if (!WriteAllAt(fd.Get(), text, 0)) {
        return giveUp(Replacement::Failed);
    }
    mode_t mode = 0;
    if (existing) {
        if (::fchown(fd.Get(), existing->st_uid, existing->st_gid) != 0) {
            return giveUp(IsPermissionError(errno) ? Replacement::Impossible : Replacement::Failed);
        }
        mode = existing->st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd.Get(), mode) != 0) {
        return giveUp(Replacement::Failed);
    }
    if (existing) {
        if (Replacement copied = CopyExtendedAttributes(existingFd, fd.Get());
            copied != Replacement::Done) {
            return giveUp(copied);
        }
    }
    bool synced = ::fsync(fd.Get()) == 0;
    if (::close(fd.Release()) != 0 || !synced) {
        return giveUp(Replacement::Failed);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return giveUp(IsPermissionError(errno) ? Replacement::Impossible : Replacement::Failed);
    }
    return Replacement::Done;
}

// For a file that cannot be replaced: its folder is not writable, other hard links would
// keep the old bytes after a rename, or the new file could not be given the old owner.
// Writing through the open descriptor keeps the inode, so the owner, the mode and every
// link stay. It is not atomic, so the room for the new text is reserved first (a full disk
// then fails before a byte changes), and only the bytes from the first changed one on are
// written: for a settings file that is one short write.
bool RewriteInPlace(int fd, std::string_view oldText, std::string_view newText) {
    if (newText.size() > oldText.size() &&
        ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(newText.size())) != 0 &&
        (errno == ENOSPC || errno == EDQUOT)) {
        return false;
    }
    std::size_t first = static_cast<std::size_t>(
        std::mismatch(oldText.begin(), oldText.end(), newText.begin(), newText.end()).second -
        newText.begin());
    return WriteAllAt(fd, newText.substr(first), static_cast<off_t>(first)) &&
           ::ftruncate(fd, static_cast<off_t>(newText.size())) == 0 && ::fsync(fd) == 0;
}

} // namespace

std::optional<std::string> ReadProfileFile(const std::string& path) {
    Descriptor fd;
    struct stat info {};
    if (OpenProfileFile(path, O_RDONLY, fd, info) != Found::Regular) {
        return std::nullopt;
    }
    return ReadCapped(fd.Get());
}

bool UpdateProfileFile(const std::string& path,
                       const std::function<std::string(const std::string&)>& edit) {
    Destination destination = FollowTrustedLinks(path);
    if (destination.found == Found::Missing) {
        return ReplaceAtomically(path, edit(std::string()), nullptr, -1) == Replacement::Done;
    }
    Descriptor fd;
    struct stat info {};
    // O_NOFOLLOW: a link put in the file's place since it was looked at is not followed.
    if (destination.found != Found::Regular ||
        OpenProfileFile(destination.path, O_RDWR | O_NOFOLLOW, fd, info) != Found::Regular ||
        (destination.linked && !BelongsToUser(info.st_uid))) {
        // Not readable, not writable, not a settings file, or behind an untrusted link:
        // never replaced.
        return false;
    }
    std::optional<std::string> oldText = ReadCapped(fd.Get());
    if (!oldText) {
        return false;
    }
    std::string newText = edit(*oldText);
    if (info.st_nlink == 1) {
        Replacement replaced = ReplaceAtomically(destination.path, newText, &info, fd.Get());
        if (replaced != Replacement::Impossible) {
            return replaced == Replacement::Done;
        }
    }
    return RewriteInPlace(fd.Get(), *oldText, newText);
}
