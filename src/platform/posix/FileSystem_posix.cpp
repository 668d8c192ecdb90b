#include "platform/FileSystem.h"

#include "platform/PathText.h"
#include "platform/posix/DirectoryEntries.h"
#include "platform/posix/DirectoryHandle.h"
#include "platform/posix/PosixHeldRoot.h"
#include "platform/posix/PosixFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <algorithm>
#include <mutex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

// What one read of a folder's entries found. Links, devices, sockets and pipes are files:
// content that makes the folder not empty, never entered.
struct Entries {
    bool readable = false;
    std::size_t files = 0;
    std::size_t junkFiles = 0;
    std::vector<std::string> subFolders; // handed over once (SubFolderNames)
    std::size_t subFolderCount = 0;
};

// The type of an entry as the file system reports it, or as fstatat finds it where the
// file system does not say. An entry that vanished meanwhile stays a file (DT_UNKNOWN),
// which keeps its folder from being taken for empty.
unsigned char EntryType(int fd, const char* name, unsigned char type, bool ignoreEntryTypes) {
    if (!ignoreEntryTypes && type != DT_UNKNOWN) {
        return type;
    }
    struct stat status;
    if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return DT_UNKNOWN;
    }
    return S_ISDIR(status.st_mode) ? DT_DIR : S_ISREG(status.st_mode) ? DT_REG : DT_UNKNOWN;
}

// 0, or the errno of a failed read (the entries are then not readable).
Entries ReadEntries(int fd, bool ignoreEntryTypes, const JunkFileTest* junk, int& failure) {
    Entries entries;
    int error = ForEachEntry(fd, [&](const char* name, unsigned char type) {
        type = EntryType(fd, name, type, ignoreEntryTypes);
        if (type == DT_DIR) {
            entries.subFolders.emplace_back(name);
        } else if (junk != nullptr && type == DT_REG && junk->IsJunkFile(name)) {
            ++entries.junkFiles;
        } else {
            ++entries.files;
        }
        return true;
    });
    failure = error;
    if (error != 0) {
        return Entries{};
    }
    entries.readable = true;
    entries.subFolderCount = entries.subFolders.size();
    return entries;
}

// Linux folders have no read-only attribute: a folder whose owner may not write in it
// counts as read-only.
std::optional<std::uint32_t> Attributes(const struct stat& status) {
    if (!S_ISDIR(status.st_mode)) {
        return std::nullopt;
    }
    return FolderAttributeDirectory | ((status.st_mode & S_IWUSR) ? 0 : FolderAttributeReadOnly);
}

class PosixFolder : public Folder {
  public:
    PosixFolder(std::shared_ptr<const DirectoryHandle> handle, Entries entries,
                bool ignoreEntryTypes, const JunkFileTest* junk)
        : handle_(std::move(handle)), entries_(std::move(entries)),
          ignoreEntryTypes_(ignoreEntryTypes), junk_(junk) {}

    const std::string& Path() const override {
        // Built on demand: a deep walk that never asks keeps no full path per level.
        std::call_once(pathBuilt_, [this] {
            std::vector<const DirectoryHandle*> chain;
            for (const DirectoryHandle* level = handle_.get(); level;
                 level = level->Parent().get()) {
                chain.push_back(level);
            }
            path_ = chain.back()->Name();
            for (auto level = chain.rbegin() + 1; level != chain.rend(); ++level) {
                path_ += '/';
                path_ += (*level)->Name();
            }
        });
        return path_;
    }

    std::optional<std::size_t> FilesCount() override {
        return entries_.readable ? std::optional(entries_.files) : std::nullopt;
    }

    std::size_t JunkFilesCount() override { return entries_.junkFiles; }

    std::optional<std::size_t> SubFoldersCount() override {
        return entries_.readable ? std::optional(entries_.subFolderCount) : std::nullopt;
    }

    // Asked once, by the listing that keeps them: handed over, not copied.
    std::optional<std::vector<std::string>> SubFolderNames() override {
        return entries_.readable ? std::optional(std::move(entries_.subFolders)) : std::nullopt;
    }

    std::optional<std::uint32_t> SubFolderAttributes(std::string_view name) override {
        if (!entries_.readable) {
            return std::nullopt;
        }
        DirectoryDescriptor at = handle_->Descriptor();
        struct stat status;
        if (!at.IsOpen() ||
            ::fstatat(at.Get(), std::string(name).c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return std::nullopt;
        }
        return Attributes(status);
    }

    OpenedSubFolder OpenSubFolder(std::string_view name) override {
        if (!entries_.readable) {
            return {};
        }
        DirectoryHandle::Opened opened = DirectoryHandle::OpenChild(handle_, std::string(name));
        if (opened.error == EXDEV) {
            return {nullptr, true};
        }
        return {Opened(std::move(opened), ignoreEntryTypes_, junk_)};
    }

    // Opens the subfolder first and reads its attributes from the open folder: an fstat
    // costs less than an fstatat by name, and tells of the very folder opened. A mount
    // point and a folder that may not be read leave no descriptor: those are read by name.
    // A read-only one not to be opened is let go before its entries are read.
    TestedSubFolder OpenTestedSubFolder(std::string_view name, bool openReadOnly) override {
        if (!entries_.readable) {
            return {};
        }
        DirectoryHandle::Opened opened = DirectoryHandle::OpenChild(handle_, std::string(name));
        TestedSubFolder tested;
        struct stat status;
        if (opened.descriptor.IsOpen()) {
            if (::fstat(opened.descriptor.Get(), &status) == 0) {
                tested.attributes = Attributes(status);
            }
        } else if (opened.handle || opened.error == EXDEV) {
            tested.attributes = SubFolderAttributes(name);
        }
        if (!tested.attributes ||
            (!openReadOnly && (*tested.attributes & FolderAttributeReadOnly))) {
            return tested;
        }
        if (opened.error == EXDEV) {
            tested.opened.mountPoint = true;
        } else {
            tested.opened.folder = Opened(std::move(opened), ignoreEntryTypes_, junk_);
        }
        return tested;
    }

    std::shared_ptr<const HeldRoot> HoldRoot() const override {
        return handle_->Parent() ? nullptr : PosixHeldRoot::Hold(handle_);
    }

    bool WalkRanShort() const override { return handle_->Shortages() != 0; }

    std::optional<std::int64_t> ModifiedTime() const override {
        DirectoryDescriptor at = handle_->Descriptor();
        struct stat status;
        if (!at.IsOpen() || ::fstat(at.Get(), &status) != 0) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(status.st_mtim.tv_sec);
    }

    // A folder that exists but may not be read opens as one whose contents cannot be
    // read; a missing one, or one replaced by a link, does not open at all (nullptr).
    static std::unique_ptr<Folder> Opened(DirectoryHandle::Opened opened, bool ignoreEntryTypes,
                                          const JunkFileTest* junk) {
        if (!opened.handle) {
            return nullptr;
        }
        Entries entries;
        if (opened.descriptor.IsOpen()) {
            int failure = 0;
            entries = ReadEntries(opened.descriptor.Get(), ignoreEntryTypes, junk, failure);
            opened.handle->NoteFailure(failure);
        }
        return std::make_unique<PosixFolder>(std::move(opened.handle), std::move(entries),
                                             ignoreEntryTypes, junk);
    }

  private:
    std::shared_ptr<const DirectoryHandle> handle_;
    Entries entries_;
    bool ignoreEntryTypes_;
    const JunkFileTest* junk_;
    mutable std::once_flag pathBuilt_;
    mutable std::string path_;
};

class PosixFileSystem : public FileSystem {
  public:
    explicit PosixFileSystem(PosixFileSystemOptions options) : options_(options) {}

    char PathSeparator() const override { return '/'; }

    // Follows a link: the root a user picks may be reached through one. The scan below it
    // never follows links.
    bool FolderExists(const std::string& path) override {
        struct stat status;
        return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }

    bool FileExists(const std::string& path) override {
        struct stat status;
        return !path.empty() && ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
    }

    std::string GetParentFolderName(const std::string& path) override {
        return ParentFolderName(PosixPathSyntax(), path);
    }

    std::string BuildPath(const std::string& path, const std::string& name) override {
        return ::BuildPath(PosixPathSyntax(), path, name);
    }

    std::unique_ptr<Folder> GetFolder(const std::string& path,
                                      const JunkFileTest* junk = nullptr) override {
        return PosixFolder::Opened(DirectoryHandle::OpenRoot(path, options_.chain),
                                   options_.ignoreEntryTypes, junk);
    }

    // The descriptors that a walk leaves to others (DescriptorShare), less a margin for
    // the program's own: a folder it reads may open a second one (the mount table) for a
    // moment.
    std::optional<std::size_t> SpareOpenFolders() const override {
        std::size_t spare = ShareOfFreeDescriptors().spare;
        return spare - spare / 3;
    }

    std::optional<std::uint64_t> WaitsOfThisThread() const override {
        struct rusage usage {};
        if (::getrusage(RUSAGE_THREAD, &usage) != 0) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(usage.ru_nvcsw);
    }

  private:
    PosixFileSystemOptions options_;
};

} // namespace

std::unique_ptr<FileSystem> CreatePosixFileSystem(PosixFileSystemOptions options) {
    return std::make_unique<PosixFileSystem>(options);
}

// A listing read ahead of the scan keeps its folder's descriptor until the walk takes it,
// so a scan may hold about as many as the read-ahead's budget besides the walk's own, above
// the soft limit many systems start programs with (1024). The hard limit is usually far
// higher; raising the soft one is all it takes.
static void RaiseOpenFileLimit() {
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return;
    }
    rlim_t wanted = std::min<rlim_t>(limit.rlim_max, 65536);
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = wanted;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

std::unique_ptr<FileSystem> CreateSystemFileSystem() {
    static const bool raised = (RaiseOpenFileLimit(), true);
    (void)raised;
    return CreatePosixFileSystem(PosixFileSystemOptions{});
}
