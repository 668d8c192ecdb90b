#include "platform/FileSystem.h"

#include <windows.h>

#include "platform/PathText.h"
#include "platform/win32/HeldFolder.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Utf.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <numeric>
#include <vector>

namespace {

DWORD AttributesOf(const std::wstring& longPath) {
    FileSystemRedirectionOff redirectionOff;
    return longPath.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(longPath.c_str());
}

enum class Reading { Read, Unreadable, Missing };

struct Entries {
    Reading reading = Reading::Missing;
    std::size_t files = 0;
    std::size_t junkFiles = 0;
    std::vector<std::string> subFolders;
    std::vector<std::uint32_t> subFolderAttributes;
};

// The junk test is asked of plain local files only: never of a reparse point (a link, say)
// or a cloud placeholder.
bool IsJunkFile(DWORD attributes, const wchar_t* name, const JunkFileTest* junk) {
    return junk != nullptr && IsPlainFile(attributes) && junk->IsJunkFile(Utf8FromWide(name));
}

Entries ReadEntries(const std::wstring& folder, const JunkFileTest* junk) {
    FileSystemRedirectionOff redirectionOff;
    Entries entries;
    std::wstring pattern = folder + (folder.back() == L'\\' ? L"*" : L"\\*");
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        // A drive's root has no "." entry: an empty one matches nothing at all.
        DWORD attributes = ::GetFileAttributesW(folder.c_str());
        if (error == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            entries.reading = Reading::Read;
        } else if (error == ERROR_ACCESS_DENIED) {
            entries.reading = Reading::Unreadable;
        }
        return entries;
    }
    do {
        const wchar_t* name = data.cFileName;
        if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) {
            continue;
        }
        DWORD attributes = data.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & ContentAttributes)) {
            entries.subFolders.push_back(Utf8FromWide(name));
            entries.subFolderAttributes.push_back(
                FolderAttributeDirectory |
                ((attributes & FILE_ATTRIBUTE_READONLY) ? FolderAttributeReadOnly : 0));
        } else if (IsJunkFile(attributes, name, junk)) {
            ++entries.junkFiles;
        } else {
            ++entries.files;
        }
    } while (::FindNextFileW(find, &data));
    DWORD error = ::GetLastError();
    ::FindClose(find);
    entries.reading = error == ERROR_NO_MORE_FILES ? Reading::Read : Reading::Unreadable;
    return entries;
}

// One level of an opened folder's path. Each level keeps only its own name, so a deep walk
// does not hold a full path per level.
struct PathLevel {
    std::shared_ptr<PathLevel> parent;
    std::wstring wideName; // for the root: its \\?\ path
    std::string name;      // for the root: the path as given

    ~PathLevel() {
        // Releases a long chain iteratively rather than by recursive destructors.
        std::shared_ptr<PathLevel> ancestor = std::move(parent);
        while (ancestor && ancestor.use_count() == 1) {
            std::shared_ptr<PathLevel> next = std::move(ancestor->parent);
            ancestor = std::move(next);
        }
    }
};

template <typename Text, typename Member>
Text JoinLevels(const PathLevel& level, Member member, typename Text::value_type separator) {
    std::vector<const PathLevel*> chain;
    for (const PathLevel* at = &level; at; at = at->parent.get()) {
        chain.push_back(at);
    }
    Text joined = chain.back()->*member;
    for (auto at = chain.rbegin() + 1; at != chain.rend(); ++at) {
        if (joined.empty() || joined.back() != separator) {
            joined += separator;
        }
        joined += (*at)->*member;
    }
    return joined;
}

class Win32Folder : public Folder {
  public:
    Win32Folder(std::shared_ptr<PathLevel> level, Entries entries, const JunkFileTest* junk)
        : level_(std::move(level)), entries_(std::move(entries)), junk_(junk) {}

    static std::unique_ptr<Win32Folder> Open(std::shared_ptr<PathLevel> level,
                                             const JunkFileTest* junk) {
        Entries entries =
            ReadEntries(JoinLevels<std::wstring>(*level, &PathLevel::wideName, L'\\'), junk);
        if (entries.reading == Reading::Missing) {
            return nullptr;
        }
        return std::make_unique<Win32Folder>(std::move(level), std::move(entries), junk);
    }

    const std::string& Path() const override {
        std::call_once(pathBuilt_, [this] {
            path_ = JoinLevels<std::string>(*level_, &PathLevel::name, '\\');
        });
        return path_;
    }

    std::optional<std::size_t> FilesCount() override {
        return Readable() ? std::optional(entries_.files) : std::nullopt;
    }

    std::size_t JunkFilesCount() override { return entries_.junkFiles; }

    std::optional<std::size_t> SubFoldersCount() override {
        return Readable() ? std::optional(entries_.subFolders.size()) : std::nullopt;
    }

    std::optional<std::vector<std::string>> SubFolderNames() override {
        return Readable() ? std::optional(entries_.subFolders) : std::nullopt;
    }

    std::optional<std::uint32_t> SubFolderAttributes(std::string_view name) override {
        std::optional<std::size_t> index = Find(name);
        return index ? std::optional(entries_.subFolderAttributes[*index]) : std::nullopt;
    }

    // A volume mount point is a reparse point, counted among the files when listed.
    OpenedSubFolder OpenSubFolder(std::string_view name) override {
        if (!Readable()) {
            return {};
        }
        auto level = std::make_shared<PathLevel>();
        level->parent = level_;
        level->wideName = WideFromUtf8(name);
        level->name = std::string(name);
        return {Open(std::move(level), junk_)};
    }

    std::shared_ptr<const HeldRoot> HoldRoot() const override { return root_; }

    std::optional<std::int64_t> ModifiedTime() const override {
        FileSystemRedirectionOff redirectionOff;
        WIN32_FILE_ATTRIBUTE_DATA data;
        std::wstring path = JoinLevels<std::wstring>(*level_, &PathLevel::wideName, L'\\');
        if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
            return std::nullopt;
        }
        return UnixSeconds(data.ftLastWriteTime);
    }

    // The root is held for as long as its folder object lives, and after by whoever takes
    // the hold: it cannot be renamed or deleted while the scan reads below it.
    void HoldAsRoot(std::shared_ptr<const Win32HeldRoot> root) { root_ = std::move(root); }

  private:
    bool Readable() const { return entries_.reading == Reading::Read; }

    // The walk asks for subfolders in its own order, which is the enumeration order where
    // the disk returns names in that order: the one after the last found is tried first (a
    // hint only, which threads asking at once may overwrite). Otherwise (on FAT, say) a
    // search in the names sorted by their bytes, so that a folder's subfolders cost
    // n log n, never n squared.
    std::optional<std::size_t> Find(std::string_view name) {
        const std::vector<std::string>& names = entries_.subFolders;
        const std::size_t last = lastFound_.load(std::memory_order_relaxed);
        for (std::size_t index : {last + 1, last}) {
            if (index < names.size() && names[index] == name) {
                lastFound_.store(index, std::memory_order_relaxed);
                return index;
            }
        }
        std::call_once(byNameBuilt_, [&] {
            byName_.resize(names.size());
            std::iota(byName_.begin(), byName_.end(), std::size_t{0});
            std::sort(byName_.begin(), byName_.end(),
                      [&](std::size_t a, std::size_t b) { return names[a] < names[b]; });
        });
        auto found = std::lower_bound(
            byName_.begin(), byName_.end(), name,
            [&](std::size_t index, std::string_view wanted) { return names[index] < wanted; });
        if (found == byName_.end() || names[*found] != name) {
            return std::nullopt;
        }
        lastFound_.store(*found, std::memory_order_relaxed);
        return *found;
    }

    std::shared_ptr<PathLevel> level_;
    Entries entries_;
    const JunkFileTest* junk_;
    std::shared_ptr<const Win32HeldRoot> root_;
    std::atomic<std::size_t> lastFound_{0};
    std::once_flag byNameBuilt_;
    std::vector<std::size_t> byName_; // indexes of entries_.subFolders by name
    mutable std::once_flag pathBuilt_;
    mutable std::string path_;
};

class Win32FileSystem : public FileSystem {
  public:
    char PathSeparator() const override { return '\\'; }

    // A root reached through a junction or link counts: the user chose that path. The scan
    // below it never enters one.
    bool FolderExists(const std::string& path) override {
        DWORD attributes = AttributesOf(LongPath(path));
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool FileExists(const std::string& path) override {
        DWORD attributes = AttributesOf(LongPath(path));
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::string GetParentFolderName(const std::string& path) override {
        return ParentFolderName(WindowsPathSyntax(), path);
    }

    std::string BuildPath(const std::string& path, const std::string& name) override {
        return ::BuildPath(WindowsPathSyntax(), path, name);
    }

    std::unique_ptr<Folder> GetFolder(const std::string& path,
                                      const JunkFileTest* junk = nullptr) override {
        auto root = std::make_shared<PathLevel>();
        root->wideName = LongPath(path);
        root->name = path;
        if (root->wideName.empty()) {
            return nullptr;
        }
        HeldFolder held;
        DWORD attributes = 0;
        FolderIdentity identity;
        if (held.OpenRoot(path) != ERROR_SUCCESS ||
            held.Read(attributes, identity) != ERROR_SUCCESS) {
            return nullptr;
        }
        std::unique_ptr<Win32Folder> folder = Win32Folder::Open(std::move(root), junk);
        if (folder) {
            folder->HoldAsRoot(std::make_shared<Win32HeldRoot>(std::move(held), path, identity));
        }
        return folder;
    }
};

} // namespace

std::unique_ptr<FileSystem> CreateSystemFileSystem() {
    return std::make_unique<Win32FileSystem>();
}
