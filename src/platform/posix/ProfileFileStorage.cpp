#include "platform/posix/ProfileFileStorage.h"

#include "platform/ProfileFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// Writes beside the file and renames over it, so that a crash or a full disk leaves either
// the old file or the new one, never half of one. The new file gets the old one's owner,
// group and mode; a new settings file gets the mode the umask leaves. Impossible when the
// folder takes no new file or the owner cannot be kept: the file must then be rewritten in
// place, as renaming would take it from its owner or fail.
Replacement ReplaceAtomically(const std::string& path, std::string_view text,
                              const struct stat* existing) {
    // A settings file reached through a link stays a link: replace its target.
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    std::string temporary = target + ".XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.Get() < 0) {
        return IsPermissionError(errno) ? Replacement::Impossible : Replacement::Failed;
    }
    auto giveUp = [&temporary](Replacement outcome) {
        ::unlink(temporary.c_str());
        return outcome;
    };
    mode_t mode = 0;
    if (existing) {
        // fchown before fchmod: a change of owner clears the set-id bits.
        if (::fchown(fd.Get(), existing->st_uid, existing->st_gid) != 0) {
            return giveUp(IsPermissionError(errno) ? Replacement::Impossible : Replacement::Failed);
        }
        mode = existing->st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool written =
        ::fchmod(fd.Get(), mode) == 0 && WriteAllAt(fd.Get(), text, 0) && ::fsync(fd.Get()) == 0;
    if (::close(fd.Release()) != 0 || !written) {
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
    Descriptor fd;
    struct stat info {};
    switch (OpenProfileFile(path, O_RDWR, fd, info)) {
    case Found::Missing:
        return ReplaceAtomically(path, edit(std::string()), nullptr) == Replacement::Done;
    case Found::Refused:
        // Not readable, not writable, or not a settings file: never replaced.
        return false;
    case Found::Regular:
        break;
    }
    std::optional<std::string> oldText = ReadCapped(fd.Get());
    if (!oldText) {
        return false;
    }
    std::string newText = edit(*oldText);
    if (info.st_nlink == 1) {
        Replacement replaced = ReplaceAtomically(path, newText, &info);
        if (replaced != Replacement::Impossible) {
            return replaced == Replacement::Done;
        }
    }
    return RewriteInPlace(fd.Get(), *oldText, newText);
}
