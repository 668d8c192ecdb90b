#include "platform/posix/ProfileFileStorage.h"

#include "platform/ProfileFile.h"
#include "platform/posix/ExtendedAttributes.h"
#include "platform/posix/ReadAtMost.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Closes the descriptor it holds.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Reset(-1); }
    Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
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

// Opens the file `name` in `folder` (or AT_FDCWD) only when it is a regular file within the
// size cap. The first look keeps devices from being opened at all (opening some has
// effects); O_NONBLOCK keeps a FIFO swapped in after that look from blocking the open, and
// fstat then refuses it. With O_NOFOLLOW in `access` a link is refused too.
Found OpenProfileFile(int folder, const std::string& name, int access, Descriptor& fd,
                      struct stat& info) {
    int look = (access & O_NOFOLLOW) != 0 ? AT_SYMLINK_NOFOLLOW : 0;
    if (::fstatat(folder, name.c_str(), &info, look) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? Found::Missing : Found::Refused;
    }
    if (!IsUsable(info)) {
        return Found::Refused;
    }
    fd.Reset(::openat(folder, name.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
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

std::string NameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// Anyone who may change a link decides where a write through it lands, so a link is only
// followed when nobody else may: the link and its folder belong to the user (or root) and
// no group or other user may write that folder. Otherwise a program run as root from a
// folder others may write could be made to rewrite any file.
bool IsTrustedLink(const struct stat& link, const struct stat& folder) {
    return BelongsToUser(link.st_uid) && BelongsToUser(folder.st_uid) &&
           (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Where a write lands: the entry `name` of a folder held open, so that the file is opened,
// made and renamed in the very folder that was looked at.
struct Destination {
    Descriptor folder;
    std::string name;
    bool linked = false; // reached through a link
};

// Follows the links in front of the settings file one by one, each only when it is
// trusted. A link to nothing is refused: a write through it would make a file elsewhere.
std::optional<Destination> FollowTrustedLinks(std::string path) {
    constexpr int MaximumLinks = 40; // the kernel's own limit
    for (int links = 0; links <= MaximumLinks; ++links) {
        Destination at{Descriptor(::open(FolderOf(path).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)),
                       NameOf(path), links > 0};
        struct stat entry {};
        struct stat folder {};
        if (at.folder.Get() < 0 || at.name.empty()) {
            return std::nullopt;
        }
        if (::fstatat(at.folder.Get(), at.name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            return links == 0 && errno == ENOENT ? std::optional(std::move(at)) : std::nullopt;
        }
        if (!S_ISLNK(entry.st_mode)) {
            return at;
        }
        if (::fstat(at.folder.Get(), &folder) != 0 || !IsTrustedLink(entry, folder)) {
            return std::nullopt;
        }
        char target[PATH_MAX];
        ssize_t length = ::readlinkat(at.folder.Get(), at.name.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) == sizeof target) {
            return std::nullopt;
        }
        std::string next(target, static_cast<std::size_t>(length));
        path = next.front() == '/' ? next : FolderOf(path) + "/" + next;
    }
    return std::nullopt;
}

// Reads at most the cap, whatever the file's size said: a file that grows while it is read
// is refused too.
std::optional<std::string> ReadCapped(int fd) {
    std::optional<std::string> text = ReadAtMost(fd, MaximumProfileFileSize + 1);
    if (text && text->size() > MaximumProfileFileSize) {
        return std::nullopt;
    }
    return text;
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

// A new file of mode 0600 beside the target, named after it, as mkstemp makes one, but in
// the held folder. -1 with errno set when none can be made.
Descriptor MakeTemporaryFile(const Destination& target, std::string& name) {
    constexpr std::string_view Letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            break;
        }
        name = target.name + ".";
        for (unsigned char each : random) {
            name += Letters[each % Letters.size()];
        }
        Descriptor fd(::openat(target.folder.Get(), name.c_str(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.Get() >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return Descriptor();
}

// Writes beside the file and renames over it, so that a crash or a full disk leaves either
// the old file or the new one, never half of one. The new file gets the old one's owner,
// group, mode and extended attributes; a new settings file gets the mode the umask leaves.
// Impossible when the folder takes no new file or the owner or an attribute cannot be kept:
// the file must then be rewritten in place, as renaming would take it from its owner or
// fail. `existingFd` is the open file, when there is one.
Replacement ReplaceAtomically(const Destination& target, std::string_view text,
                              const struct stat* existing, int existingFd) {
    std::string temporary;
    Descriptor fd = MakeTemporaryFile(target, temporary);
    if (fd.Get() < 0) {
        return IsPermissionError(errno) ? Replacement::Impossible : Replacement::Failed;
    }
    const int folder = target.folder.Get();
    auto giveUp = [folder, &temporary](Replacement outcome) {
        ::unlinkat(folder, temporary.c_str(), 0);
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
        // An attribute the user may not set (most security.* names need privileges) calls
        // for the rewrite in place, which keeps every attribute.
        switch (CopyExtendedAttributes(existingFd, fd.Get())) {
        case AttributeCopy::Done:
            break;
        case AttributeCopy::NotPermitted:
            return giveUp(Replacement::Impossible);
        case AttributeCopy::Failed:
            return giveUp(Replacement::Failed);
        }
    }
    bool synced = ::fsync(fd.Get()) == 0;
    if (::close(fd.Release()) != 0 || !synced) {
        return giveUp(Replacement::Failed);
    }
    if (::renameat(folder, temporary.c_str(), folder, target.name.c_str()) != 0) {
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
    if (OpenProfileFile(AT_FDCWD, path, O_RDONLY, fd, info) != Found::Regular) {
        return std::nullopt;
    }
    return ReadCapped(fd.Get());
}

bool UpdateProfileFile(const std::string& path,
                       const std::function<std::string(const std::string&)>& edit) {
    std::optional<Destination> target = FollowTrustedLinks(path);
    if (!target) {
        return false;
    }
    Descriptor fd;
    struct stat info {};
    // O_NOFOLLOW: a link put in the file's place since it was looked at is not followed.
    switch (OpenProfileFile(target->folder.Get(), target->name, O_RDWR | O_NOFOLLOW, fd, info)) {
    case Found::Missing:
        return !target->linked &&
               ReplaceAtomically(*target, edit(std::string()), nullptr, -1) == Replacement::Done;
    case Found::Refused:
        // Not readable, not writable, or not a settings file: never replaced.
        return false;
    case Found::Regular:
        break;
    }
    if (target->linked && !BelongsToUser(info.st_uid)) {
        return false;
    }
    std::optional<std::string> oldText = ReadCapped(fd.Get());
    if (!oldText) {
        return false;
    }
    std::string newText = edit(*oldText);
    if (info.st_nlink == 1) {
        Replacement replaced = ReplaceAtomically(*target, newText, &info, fd.Get());
        if (replaced != Replacement::Impossible) {
            return replaced == Replacement::Done;
        }
    }
    return RewriteInPlace(fd.Get(), *oldText, newText);
}
