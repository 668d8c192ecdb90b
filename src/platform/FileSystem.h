#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Attribute bits of a folder, as Windows reports them. On Linux a folder whose owner-write
// permission bit is clear counts as read-only.
inline constexpr std::uint32_t FolderAttributeReadOnly = 1;
inline constexpr std::uint32_t FolderAttributeDirectory = 16;

class Folder;
class HeldRoot;

// Tells junk files apart by their names, for the walk that hands it to GetFolder. A folder
// asks it of its regular files only, never of a link, a folder or any other entry.
class JunkFileTest {
  public:
    virtual bool IsJunkFile(std::string_view name) const = 0;

  protected:
    ~JunkFileTest() = default;
};

// What Folder::OpenSubFolder found.
struct OpenedSubFolder {
    std::unique_ptr<Folder> folder; // nullptr when it was not opened
    // Not opened because another file system (or a bind mount) is mounted there: the
    // subfolder is content, like a file, and is never entered.
    bool mountPoint = false;
};

// What Folder::OpenTestedSubFolder found.
struct TestedSubFolder {
    std::optional<std::uint32_t> attributes; // nullopt when they could not be read
    OpenedSubFolder opened;                  // empty when it was not to be opened
};

// A folder opened by FileSystem::GetFolder or Folder::OpenSubFolder. Every failure is
// answered with nullopt or nullptr; nothing throws. Different folders may be used from
// different threads at once, and one folder may open subfolders from several threads.
//
// Safety: a symbolic link, junction or other reparse point is never a subfolder. It
// counts among the files, so its folder is never taken for an empty one, and it is never
// entered. On Windows a cloud placeholder counts among the files too, and so does a volume
// mount point (a reparse point); on Linux a mount point is found when it is opened.
class Folder {
  public:
    virtual ~Folder() = default;

    // The full path: as given to GetFolder, or the parent's path, the separator and the name.
    virtual const std::string& Path() const = 0;

    // The number of files directly in the folder, hidden and system files included.
    virtual std::optional<std::size_t> FilesCount() = 0;

    // The regular files directly in the folder that the JunkFileTest of GetFolder takes for
    // junk: they count here, not in FilesCount. Read with FilesCount; 0 without a test.
    virtual std::size_t JunkFilesCount() { return 0; }

    // The number of direct subfolders, hidden and system ones included.
    virtual std::optional<std::size_t> SubFoldersCount() = 0;

    // The names of the direct subfolders, each once, in the platform's order.
    virtual std::optional<std::vector<std::string>> SubFolderNames() = 0;

    // The attribute bits of the named direct subfolder.
    virtual std::optional<std::uint32_t> SubFolderAttributes(std::string_view name) = 0;

    // Opens the named direct subfolder relative to this one, never through a link and
    // never onto another mount.
    virtual OpenedSubFolder OpenSubFolder(std::string_view name) = 0;

    // Reads the attribute bits of the named direct subfolder and opens it as OpenSubFolder
    // does, unless they cannot be read, or it is read-only and `openReadOnly` is false. A
    // platform may open it first and read them from the open folder, which is cheaper.
    virtual TestedSubFolder OpenTestedSubFolder(std::string_view name, bool openReadOnly) {
        TestedSubFolder tested;
        tested.attributes = SubFolderAttributes(name);
        if (tested.attributes &&
            (openReadOnly || !(*tested.attributes & FolderAttributeReadOnly))) {
            tested.opened = OpenSubFolder(name);
        }
        return tested;
    }

    // For a folder opened by GetFolder (the root of a walk): a hold on the very folder read,
    // which outlives this object, so that the rows listed below it are removed from it.
    // nullptr for the folders below, or when the root could not be held.
    virtual std::shared_ptr<const HeldRoot> HoldRoot() const = 0;

    // True once a folder of this walk (every folder opened from the same GetFolder, on any
    // thread) could not be opened or read for want of what the system rations (on Linux,
    // descriptors or memory), not because of the folder: the walk's answer since then
    // would be a wrong one.
    virtual bool WalkRanShort() const { return false; }

    // When the folder itself was last modified, in seconds since 1970 (UTC); nullopt when
    // unknown.
    virtual std::optional<std::int64_t> ModifiedTime() const { return std::nullopt; }
};

// The file-system operations the window and the scan need.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The separator of this platform's paths: '\\' on Windows, '/' on Linux.
    virtual char PathSeparator() const = 0;

    // True when a folder exists at the path. A link to a folder counts: the root a user
    // picks may be reached through one. The scan below the root never follows a link.
    virtual bool FolderExists(const std::string& path) = 0;

    // True when a file exists at the path.
    virtual bool FileExists(const std::string& path) = 0;

    // The path of the folder that holds the item at the path.
    virtual std::string GetParentFolderName(const std::string& path) = 0;

    // The path and the name joined with one separator; none added when the path ends with one.
    virtual std::string BuildPath(const std::string& path, const std::string& name) = 0;

    // Opens the folder at a full path; nullptr when it cannot be opened. A drive or file-system
    // root whose trailing separator was removed ("C:", or "" for "/") opens that root.
    // `junk`, when given, tells junk files apart in it and every subfolder opened from it
    // (JunkFilesCount); it must outlive those folders.
    virtual std::unique_ptr<Folder> GetFolder(const std::string& path,
                                              const JunkFileTest* junk = nullptr) = 0;

    // How many open folders may be alive at once besides those of a walk down one path;
    // nullopt when nothing limits them. (On Linux each holds a descriptor, and a reading
    // may hold a second one for a moment.)
    virtual std::optional<std::size_t> SpareOpenFolders() const { return std::nullopt; }

    // How often the calling thread has waited so far for something other than a processor
    // (on Linux its voluntary context switches, as a read from disk makes; a preemption is
    // not one); nullopt where unknown. Only a change between two calls means anything.
    virtual std::optional<std::uint64_t> WaitsOfThisThread() const { return std::nullopt; }
};

// The platform's real file system.
std::unique_ptr<FileSystem> CreateSystemFileSystem();
