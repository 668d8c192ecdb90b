#include "platform/posix/DirectoryCursor.h"
#include "platform/posix/DirectoryEntries.h"
#include "platform/posix/PosixHeldFolders.h"
#include "platform/posix/PosixHeldRoot.h"
#include "platform/posix/PosixTrash.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// What stands at `name` in the folder `parentFd` after an operation on it failed with
// `error`: a link, a file or nothing at all say more than the errno does.
FolderStatus Explain(int parentFd, const std::string& name, int error) {
    if (IsNotAFolderError(error)) {
        struct stat status {};
        if (::fstatat(parentFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return FolderStatusOf(errno);
        }
        return {S_ISLNK(status.st_mode) ? FolderError::Link : FolderError::NotFolder, {}};
    }
    return FolderStatusOf(error);
}

EntryKind KindOf(mode_t mode) {
    return S_ISDIR(mode)   ? EntryKind::Folder
           : S_ISREG(mode) ? EntryKind::File
           : S_ISLNK(mode) ? EntryKind::Link
                           : EntryKind::Other;
}

// The folders of a run on a DirectoryCursor: each level opened by openat from the one
// above it with O_NOFOLLOW and a mount check, deep levels reopened and checked by the
// chain when descriptors run short.
class PosixHeldFolders : public HeldFolders {
  public:
    PosixHeldFolders(DirectoryHandle::Opened root, bool ignoreEntryTypes)
        : root_(root.handle), cursor_(std::move(root)), ignoreEntryTypes_(ignoreEntryTypes),
          shortages_(root_->Shortages()) {}

    char Separator() const override { return '/'; }
    std::size_t Depth() const override { return cursor_.Depth(); }

    FolderStatus Descend(const std::string& name) override {
        const int parentFd = cursor_.Fd();
        const int error = cursor_.Descend(name);
        return error == 0 ? FolderStatus{} : Explain(parentFd, name, error);
    }

    void AscendTo(std::size_t depth) override { cursor_.AscendTo(depth); }

    FolderStatus ReadCurrent(FolderIdentity& identity,
                             std::optional<std::int64_t>& modified) override {
        const struct stat* status = cursor_.Status();
        if (status == nullptr) {
            return FolderStatusOf(ESTALE);
        }
        identity = FolderIdentity{static_cast<std::uint64_t>(status->st_dev), status->st_ino, 0, 0};
        modified = status->st_mtim.tv_sec;
        return {};
    }

    std::optional<std::int64_t> ModifiedTimeOf(const std::string& name) override {
        struct stat status {};
        const int fd = cursor_.Fd();
        if (fd < 0 || ::fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return std::nullopt;
        }
        return status.st_mtim.tv_sec;
    }

    FolderStatus ForEachEntry(const EachEntry& each) override {
        const int fd = cursor_.Fd();
        if (fd < 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
            return FolderStatusOf(ESTALE);
        }
        FolderStatus result;
        int error = ::ForEachEntry(fd, [&](const char* name, unsigned char type) {
            if (ignoreEntryTypes_) {
                type = DT_UNKNOWN;
            }
            EntryKind kind = KindOf(DTTOIF(type));
            if (type == DT_UNKNOWN) {
                struct stat status {};
                if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                    if (errno == ENOENT) {
                        return true;
                    }
                    result = FolderStatusOf(errno);
                    return false;
                }
                kind = KindOf(status.st_mode);
            }
            return each(name, kind);
        });
        return result.Ok() && error != 0 ? FolderStatusOf(error) : result;
    }

    // rmdir removes nothing but an empty folder: never a link, a file or a mount point.
    FolderStatus RemoveEmptyFolder(const std::string& name) override {
        const int fd = cursor_.Fd();
        if (fd < 0 || ::unlinkat(fd, name.c_str(), AT_REMOVEDIR) != 0) {
            return fd < 0 ? FolderStatusOf(ESTALE) : Explain(fd, name, errno);
        }
        return {};
    }

    // Checked just before it goes, relative to the held folder.
    FolderStatus DeleteRegularFile(const std::string& name) override {
        const int fd = cursor_.Fd();
        struct stat status {};
        if (fd < 0 || ::fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return FolderStatusOf(fd < 0 ? ESTALE : errno);
        }
        if (!S_ISREG(status.st_mode)) {
            return {FolderError::NotFile, {}};
        }
        return ::unlinkat(fd, name.c_str(), 0) == 0 ? FolderStatus{} : FolderStatusOf(errno);
    }

    bool AddOwnerWrite() override { return cursor_.AddOwnerWrite(); }
    void RestoreModes() override { cursor_.RestoreModes(); }

    FolderStatus CurrentPath(std::string& path) override {
        const int fd = cursor_.Fd();
        return fd < 0 ? FolderStatusOf(ESTALE) : PathOfFolder(fd, path);
    }

    std::unique_ptr<HeldTrash> OpenTrash(TrashKind kind, const std::string& homeTrash,
                                         FolderStatus& failure) override {
        const int fd = cursor_.Fd();
        if (fd < 0) {
            failure = FolderStatusOf(ESTALE);
            return nullptr;
        }
        return OpenPosixTrash(fd, kind, homeTrash, failure);
    }

    FolderStatus TakeShortage() override {
        const unsigned shortages = std::exchange(shortages_, root_->Shortages());
        return shortages == shortages_ ? FolderStatus{} : FolderStatusOf(root_->LastShortage());
    }

  private:
    std::shared_ptr<const DirectoryHandle> root_;
    DirectoryCursor cursor_;
    bool ignoreEntryTypes_;
    unsigned shortages_;
};

} // namespace

FolderStatus FolderStatusOf(int error) {
    switch (error) {
    case 0:
        return {};
    case ENOENT:
        return {FolderError::Gone, {}};
    case EACCES:
    case EPERM:
        return {FolderError::Denied, {}};
    case EBUSY:
        return {FolderError::InUse, {}};
    case ENOTEMPTY:
    case EEXIST:
        return {FolderError::NotEmpty, {}};
    case EXDEV:
        return {FolderError::MountPoint, {}};
    case ESTALE:
        return {FolderError::Changed, {}};
    default:
        return {FolderError::Other, std::strerror(error)};
    }
}

// The run opens the held folder anew, never its path, with a chain of its own: the
// removal finds mount points its own way.
std::unique_ptr<HeldFolders> HoldPosixFolders(const HeldRoot& root,
                                              const PosixHeldFoldersOptions& options,
                                              FolderStatus& failure) {
    const auto* held = dynamic_cast<const PosixHeldRoot*>(&root);
    if (held == nullptr) {
        failure = {FolderError::Other, "not a folder held on Linux"};
        return nullptr;
    }
    DirectoryHandle::Opened opened =
        DirectoryHandle::OpenRoot(held->Path(), options.chain, held->Fd());
    if (!opened.descriptor.IsOpen()) {
        failure = FolderStatusOf(opened.error);
        return nullptr;
    }
    return std::make_unique<PosixHeldFolders>(std::move(opened), options.ignoreEntryTypes);
}

std::unique_ptr<HeldFolders> PosixHeldRoot::HoldFolders(FolderStatus& failure) const {
    return HoldPosixFolders(*this, {}, failure);
}
