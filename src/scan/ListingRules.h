#pragma once

#include "platform/FileSystem.h"
#include "scan/PathGlobs.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Rules that change what a folder's listing counts as content; without any (nullptr), the
// scan and the removal take every folder as it is.
// - A protected folder (on unless turned off) or an excluded one counts as content, like a
//   file: it is never entered, listed or removed, and no folder above it counts as empty.
//   Protected: version-control metadata (.git, .hg, .svn, .bzr, _darcs, CVS, .jj,
//   .pijul), trash folders (.Trash, .Trash-*, $RECYCLE.BIN, RECYCLER), System Volume
//   Information, lost+found at the top of a file system, and every subfolder of a Maildir
//   (a folder holding cur, new and tmp): programs need them even empty.
// - A regular file with a junk name counts as no content; the removal deletes it. A link,
//   a device, a pipe, a socket or a folder of that name is not junk.
// On Windows (separator '\\') names and patterns compare without regard to case; on Linux
// patterns and protected names are case-sensitive, junk names never are. Case is folded for
// ASCII letters only.
class ListingRules final : public JunkFileTest {
  public:
    explicit ListingRules(char separator = '/')
        : separator_(separator), excludes_(separator != '\\', separator == '\\') {}

    // Where the exclusions stand at a folder, for its subfolders: a walk carries it down, so
    // that each folder's own name is matched, never its whole path again.
    using ExclusionState = PathGlobs::State;

    // A glob with fnmatch's rules ('*', '?', '[...]'; on Linux '\' escapes), matched
    // against a folder's path relative to the root ('/' between names on both platforms)
    // and against its name. '*' and '?' never match '/'; "**" matches any depth, and "**/"
    // also none. A leading '/' or "./" matches against the path only; a trailing '/' is
    // ignored.
    void AddExclude(std::string_view pattern);
    // An exact file name.
    void AddJunkName(std::string_view name);
    // Thumbs.db, desktop.ini, .DS_Store, ._* and "Icon\r".
    void AddCommonJunk();
    // A folder modified at `cutoff` or later (seconds since 1970, UTC) counts as content, as
    // a file does: neither it nor a folder above it is empty, though its subfolders may be.
    // Removing a folder's subfolders changes its time, so the whole subtree is judged.
    void SetChangedSince(std::int64_t cutoff) { changedSince_ = cutoff; }

    // Turns the protected folders off: they are taken as any other folder.
    void ProtectNothing() { protects_ = false; }

    bool HasExcludes() const { return !excludes_.Empty(); }
    bool Protects() const { return protects_; }
    // Whether any folder is kept out of a walk: excluded or protected.
    bool KeepsFolders() const { return HasExcludes() || protects_; }
    bool HasJunk() const { return !junkNames_.empty() || !junkPrefixes_.empty(); }

    ExclusionState RootState() const { return excludes_.Root(); }
    // The state at the subfolder `name` of the folder whose state is `folder`.
    ExclusionState SubFolderState(const ExclusionState& folder, std::string_view name) const {
        return excludes_.Below(folder, name);
    }
    // The state at the folder at `relativePath` (relative to the root, either separator on
    // Windows).
    ExclusionState FolderState(std::string_view relativePath) const;

    // True when the subfolder `name` of the folder whose state is `folder` is excluded.
    bool ExcludesSubFolder(const ExclusionState& folder, std::string_view name) const {
        return excludes_.Matches(folder, name);
    }
    // The same for the folder at `relativePath`.
    bool Excludes(std::string_view relativePath) const;
    // True when the folder or a folder on the way to it from the root is excluded.
    bool ExcludesOrLiesIn(std::string_view relativePath) const;
    // True when the subfolder `name` of a folder is protected by its name. lost+found is,
    // only where `parentIsFileSystemTop()` says its folder is the top of a file system (asked
    // for that name alone: it may cost a system call).
    template <typename IsTop>
    bool ProtectsSubFolder(std::string_view name, IsTop parentIsFileSystemTop) const {
        return protects_ &&
               (IsProtectedName(name) || (SameName(name, "lost+found") && parentIsFileSystemTop()));
    }
    // True when the folder at `relativePath`, or a folder on the way to it, is protected by
    // its name; `rootIsFileSystemTop()` as above, for the root.
    template <typename IsTop>
    bool ProtectsOrLiesIn(std::string_view relativePath, IsTop rootIsFileSystemTop) const {
        if (!protects_) {
            return false;
        }
        std::vector<std::string_view> names = Names(relativePath);
        return ProtectsSubFolder(names.front(), rootIsFileSystemTop) ||
               std::any_of(names.begin() + 1, names.end(),
                           [&](std::string_view name) { return IsProtectedName(name); });
    }
    // A Maildir's own folders, one bit each: a folder whose subfolders' bits add up to
    // MaildirBits is a Maildir, and all its subfolders are protected. 0 for any other name,
    // and whenever nothing is protected.
    static constexpr unsigned MaildirBits = 7;
    unsigned MaildirBit(std::string_view name) const;
    bool MarksMaildir(const std::vector<std::string>& subFolderNames) const;
    bool IsJunkName(std::string_view name) const;
    bool IsJunkFile(std::string_view name) const override { return IsJunkName(name); }
    // What the scan hands to GetFolder: nullptr when no name is junk, so that no folder asks.
    const JunkFileTest* JunkTest() const { return HasJunk() ? this : nullptr; }
    bool HasAgeLimit() const { return changedSince_.has_value(); }
    // `modified`: the folder's modification time, nullopt when it cannot be read (which
    // counts as changed).
    bool ChangedRecently(std::optional<std::int64_t> modified) const {
        return changedSince_ && (!modified || *modified >= *changedSince_);
    }

  private:
    // The names of a relative path, from the root.
    std::vector<std::string_view> Names(std::string_view relativePath) const;

    const char* Separators() const { return separator_ == '\\' ? "\\/" : "/"; }
    // Names of folders compare as the platform's file systems do: without case on Windows.
    bool SameName(std::string_view name, std::string_view other) const;
    bool IsProtectedName(std::string_view name) const;

    char separator_;
    PathGlobs excludes_;
    std::vector<std::string> junkNames_;    // ASCII lower case
    std::vector<std::string> junkPrefixes_; // likewise
    std::optional<std::int64_t> changedSince_;
    bool protects_ = true;
};
