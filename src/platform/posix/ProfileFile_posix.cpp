#include "platform/ProfileFile.h"

#include "platform/posix/IniDocument.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view Blanks = " \t";

std::string WithoutTrailingBlanks(std::string_view text) {
    std::size_t end = text.find_last_not_of(Blanks);
    return std::string(end == std::string_view::npos ? std::string_view()
                                                     : text.substr(0, end + 1));
}

// Reading drops the blanks around a value and one pair of enclosing quotation marks, as
// Windows does. Linux folder names may end in a blank, so such a value is written inside
// quotation marks, which the reader takes off again, and comes back exactly.
std::string QuotedWhereNeeded(std::string_view value) {
    bool edgeBlank = !value.empty() && (Blanks.find(value.front()) != std::string_view::npos ||
                                        Blanks.find(value.back()) != std::string_view::npos);
    bool enclosed = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                    value.back() == value.front();
    if (edgeBlank || enclosed) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

// The whole file, or nullopt when it cannot be read (missing, a folder, no access).
std::optional<std::string> ReadWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text;
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        text.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes beside the file and renames over it, so that a crash or a full disk leaves either
// the old file or the new one, never half of one.
bool ReplaceFileAtomically(const std::string& path, std::string_view text) {
    // A settings file reached through a link stays a link: write its target.
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }

    struct stat existing {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) {
            return false;
        }
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    std::string temporary = target + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

class PosixProfileFile final : public ProfileFile {
  public:
    std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue,
                                        std::string_view file) override {
        if (std::optional<std::string> text = ReadWholeFile(std::string(file))) {
            if (std::optional<std::string> value = IniDocument(*text).Find(section, key)) {
                return *value;
            }
        }
        return WithoutTrailingBlanks(defaultValue);
    }

    bool WritePrivateProfileString(std::string_view section, std::string_view key,
                                   std::string_view value, std::string_view file) override {
        std::string path(file);
        std::optional<std::string> text = ReadWholeFile(path);
        if (!text) {
            struct stat info {};
            // Only a missing file may be created; one we cannot read must not be replaced.
            if (::stat(path.c_str(), &info) == 0) {
                return false;
            }
            text.emplace();
        }
        IniDocument document(*text);
        document.Set(section, key, QuotedWhereNeeded(value));
        return ReplaceFileAtomically(path, document.Text());
    }
};

} // namespace

std::unique_ptr<ProfileFile> CreateSystemProfileFile() {
    return std::make_unique<PosixProfileFile>();
}
