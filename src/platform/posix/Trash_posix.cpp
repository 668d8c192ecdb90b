#include "platform/posix/MountBoundary.h"
#include "platform/posix/PosixHeldFolders.h"
#include "platform/posix/PosixTrash.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace {

// A descriptor this file opened.
class OwnedFd {
  public:
    OwnedFd() = default;
    explicit OwnedFd(int fd) : fd_(fd) {}
    ~OwnedFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    OwnedFd(OwnedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    OwnedFd& operator=(OwnedFd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int Get() const { return fd_; }

  private:
    int fd_ = -1;
};

// Opens the folder `name` of `dirFd`, never through a link; a folder the trash needs is
// made first (0700) when `make`.
FolderStatus OpenTrashFolder(int dirFd, const std::string& name, bool make, OwnedFd& opened,
                             const std::string& shownPath) {
    if (make && ::mkdirat(dirFd, name.c_str(), 0700) != 0 && errno != EEXIST) {
        return {FolderError::Other, shownPath + ": " + std::strerror(errno)};
    }
    opened =
        OwnedFd(::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (opened.Get() >= 0) {
        return {};
    }
    const int error = errno;
    if (error == ENOENT) {
        return {FolderError::Gone, {}};
    }
    if (error == ELOOP || error == ENOTDIR) {
        struct stat status {};
        const bool link = ::fstatat(dirFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                          S_ISLNK(status.st_mode);
        return {FolderError::Other, shownPath + (link ? " is a link" : " is not a folder")};
    }
    return {FolderError::Other, shownPath + ": " + std::strerror(error)};
}

// /proc/self/mountinfo escapes blanks, line breaks and backslashes in paths as \ooo.
std::string Unescaped(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                text += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

// The mount point of the file system the folder `fd`, at `path`, is on: the mount of its
// mount id, or where the kernel gives none, the deepest mount of its device above it.
bool MountPointOf(int fd, const std::string& path, FolderPlace& place, std::string& topdir) {
    if (!LocateFolder(fd, place)) {
        return false;
    }
    std::ifstream table("/proc/self/mountinfo");
    std::string line;
    bool found = false;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::uint64_t id = 0;
        std::uint64_t parent = 0;
        unsigned major = 0;
        unsigned minor = 0;
        char colon = 0;
        std::string root;
        std::string point;
        if (!(fields >> id >> parent >> major >> colon >> minor >> root >> point)) {
            continue;
        }
        point = Unescaped(point);
        if (place.mountIdKnown) {
            if (id == place.mountId) {
                topdir = point;
                return true;
            }
            continue;
        }
        const bool above = point == "/" || path == point ||
                           (path.compare(0, point.size(), point) == 0 &&
                            path.size() > point.size() && path[point.size()] == '/');
        if (makedev(major, minor) == place.device && above &&
            (!found || point.size() > topdir.size())) {
            topdir = point;
            found = true;
        }
    }
    return found;
}

std::string ShownPath(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

class PosixHeldTrash : public HeldTrash {
  public:
    PosixHeldTrash(int parentFd, TrashKind kind) : parentFd_(parentFd), kind_(kind) {
        facts_.takesRecords = true;
    }

    FolderStatus Open(const std::string& homeTrash) {
        if (kind_ == TrashKind::Home) {
            return OpenHome(homeTrash);
        }
        std::string parentPath;
        if (FolderStatus read = PathOfFolder(parentFd_, parentPath); !read.Ok()) {
            return read;
        }
        FolderPlace place;
        std::string topdir;
        if (!MountPointOf(parentFd_, parentPath, place, topdir)) {
            return {FolderError::Other, "its file system's mount point cannot be found"};
        }
        // The mount point, opened by its path, must be the folder's own file system.
        top_ = OwnedFd(::open(topdir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        FolderPlace topPlace;
        if (top_.Get() < 0 || !LocateFolder(top_.Get(), topPlace) ||
            topPlace.device != place.device ||
            (place.mountIdKnown && topPlace.mountId != place.mountId)) {
            return {FolderError::Other, topdir + ": it is not the folder's file system"};
        }
        facts_.topdir = topdir;
        int above = top_.Get();
        std::string userName = ".Trash-" + std::to_string(::geteuid());
        if (kind_ == TrashKind::SharedTop) {
            const std::string sharedPath = ShownPath(topdir, ".Trash");
            if (FolderStatus opened =
                    OpenTrashFolder(top_.Get(), ".Trash", false, shared_, sharedPath);
                !opened.Ok()) {
                return opened;
            }
            struct stat status {};
            facts_.sharedSticky =
                ::fstat(shared_.Get(), &status) == 0 && (status.st_mode & S_ISVTX) != 0;
            above = shared_.Get();
            userName = std::to_string(::geteuid());
            facts_.path = ShownPath(sharedPath, userName);
        } else {
            facts_.path = ShownPath(topdir, userName);
        }
        userName_ = userName;
        userParent_ = above;
        struct stat status {};
        if (::fstatat(above, userName.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
            facts_.userFolderFound = true;
            facts_.userFolderOwned = S_ISDIR(status.st_mode) && status.st_uid == ::geteuid();
        }
        return {};
    }

    const TrashFacts& Facts() const override { return facts_; }

    FolderStatus Ready() override {
        OwnedFd user;
        if (kind_ == TrashKind::Home) {
            if (FolderStatus made = MakeDataHome(); !made.Ok()) {
                return made;
            }
        }
        if (FolderStatus opened = OpenTrashFolder(userParent_, userName_, true, user, facts_.path);
            !opened.Ok()) {
            return opened;
        }
        struct stat status {};
        if (::fstat(user.Get(), &status) != 0) {
            return FolderStatusOf(errno);
        }
        facts_.userFolderFound = true;
        facts_.userFolderOwned = status.st_uid == ::geteuid();
        if (FolderStatus opened =
                OpenTrashFolder(user.Get(), "files", true, files_, facts_.path + "/files");
            !opened.Ok()) {
            return opened;
        }
        if (FolderStatus opened =
                OpenTrashFolder(user.Get(), "info", true, info_, facts_.path + "/info");
            !opened.Ok()) {
            return opened;
        }
        if (::fstat(files_.Get(), &status) != 0) {
            return FolderStatusOf(errno);
        }
        facts_.volume = static_cast<std::uint64_t>(status.st_dev);
        return {};
    }

    // The record's name is the lock on the entry's name: made exclusively, written whole.
    FolderStatus Claim(const std::string&, const std::string& trashName,
                       const std::string& record) override {
        const std::string recordName = trashName + ".trashinfo";
        OwnedFd file(::openat(info_.Get(), recordName.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.Get() < 0) {
            return FolderStatusOf(errno);
        }
        std::size_t written = 0;
        while (written < record.size()) {
            const ssize_t n = ::write(file.Get(), record.data() + written, record.size() - written);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                const int error = n < 0 ? errno : EIO;
                ::unlinkat(info_.Get(), recordName.c_str(), 0);
                return FolderStatusOf(error);
            }
            written += static_cast<std::size_t>(n);
        }
        return {};
    }

    // One rename, which never copies and never replaces: another file system answers
    // EXDEV, a name already taken in files/ EEXIST.
    FolderStatus MoveIn(const std::string& entry, const std::string& trashName,
                        const FolderIdentity& checked) override {
        if (FolderStatus same = IsChecked(parentFd_, entry, checked); !same.Ok()) {
            return same;
        }
        if (::renameat2(parentFd_, entry.c_str(), files_.Get(), trashName.c_str(),
                        RENAME_NOREPLACE) != 0) {
            return FolderStatusOf(errno);
        }
        // Something swapped in at the very moment moves back out; the checked folder stays.
        if (FolderStatus same = IsChecked(files_.Get(), trashName, checked); !same.Ok()) {
            ::renameat2(files_.Get(), trashName.c_str(), parentFd_, entry.c_str(),
                        RENAME_NOREPLACE);
            return {FolderError::Changed, {}};
        }
        return {};
    }

    void Unclaim(const std::string&, const std::string& trashName) override {
        ::unlinkat(info_.Get(), (trashName + ".trashinfo").c_str(), 0);
    }

  private:
    static FolderStatus IsChecked(int dirFd, const std::string& name,
                                  const FolderIdentity& checked) {
        struct stat status {};
        if (::fstatat(dirFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return FolderStatusOf(errno);
        }
        if (!S_ISDIR(status.st_mode) ||
            static_cast<std::uint64_t>(status.st_dev) != checked.volume ||
            static_cast<std::uint64_t>(status.st_ino) != checked.file) {
            return {FolderError::Changed, {}};
        }
        return {};
    }

    // The home trash's folder is the user's choice, links and all; the trash in it is not.
    FolderStatus OpenHome(const std::string& homeTrash) {
        if (homeTrash.empty()) {
            return {FolderError::Other, "the home trash has no place: HOME is not set"};
        }
        facts_.path = homeTrash;
        const std::size_t slash = homeTrash.rfind('/');
        dataHome_ = slash == 0 ? "/" : homeTrash.substr(0, slash);
        userName_ = homeTrash.substr(slash + 1);
        // Until it is made, the trash would be on the file system of the nearest folder
        // above it that exists.
        for (std::string folder = dataHome_;;) {
            struct stat status {};
            if (::stat(folder.c_str(), &status) == 0) {
                facts_.volume = static_cast<std::uint64_t>(status.st_dev);
                return {};
            }
            if (folder == "/" || folder.empty()) {
                return FolderStatusOf(errno);
            }
            const std::size_t up = folder.rfind('/');
            folder = up == 0 ? "/" : folder.substr(0, up);
        }
    }

    // Makes $XDG_DATA_HOME and the folders above it that are missing, as the user's own.
    FolderStatus MakeDataHome() {
        for (std::size_t slash = 1; slash != std::string::npos;) {
            slash = dataHome_.find('/', slash + 1);
            const std::string folder = dataHome_.substr(0, slash);
            if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
                return {FolderError::Other, folder + ": " + std::strerror(errno)};
            }
        }
        dataHomeFd_ = OwnedFd(::open(dataHome_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dataHomeFd_.Get() < 0) {
            return {FolderError::Other, dataHome_ + ": " + std::strerror(errno)};
        }
        userParent_ = dataHomeFd_.Get();
        return {};
    }

    int parentFd_;
    TrashKind kind_;
    TrashFacts facts_;
    std::string dataHome_;
    OwnedFd dataHomeFd_;
    OwnedFd top_;
    OwnedFd shared_;
    int userParent_ = -1;  // the folder the user's folder of the trash is in
    std::string userName_; // that folder's name: Trash, $uid, .Trash-$uid
    OwnedFd files_;
    OwnedFd info_;
};

} // namespace

std::unique_ptr<HeldTrash> OpenPosixTrash(int parentFd, TrashKind kind,
                                          const std::string& homeTrash, FolderStatus& failure) {
    auto trash = std::make_unique<PosixHeldTrash>(parentFd, kind);
    failure = trash->Open(homeTrash);
    return failure.Ok() ? std::move(trash) : nullptr;
}

FolderStatus PathOfFolder(int fd, std::string& path) {
    char buffer[PATH_MAX + 1];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t size = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (size <= 0 || buffer[0] != '/') {
        return size < 0 ? FolderStatusOf(errno)
                        : FolderStatus{FolderError::Other, "its path cannot be read"};
    }
    path.assign(buffer, static_cast<std::size_t>(size));
    // A folder deleted meanwhile is named "PATH (deleted)".
    struct stat atPath {};
    struct stat held {};
    if (::stat(path.c_str(), &atPath) != 0 || ::fstat(fd, &held) != 0 ||
        atPath.st_dev != held.st_dev || atPath.st_ino != held.st_ino) {
        return {FolderError::Changed, {}};
    }
    return {};
}

const TrashWording& SystemTrashWording() {
    static const TrashWording wording{"Move to Trash", "the Trash"};
    return wording;
}
