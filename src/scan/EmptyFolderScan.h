#pragma once

#include "scan/FolderListing.h"
#include "scan/ReadAhead.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class FileSystem;
class HeldRoot;
class ListingRules;

// What the scan met that a user may want to hear of, beside the rows.
enum class ScanNote {
    Excluded,   // a folder an exclusion keeps: never entered, and content for its parent
    Protected,  // a protected folder (ListingRules), kept as an excluded one is
    Unreadable, // a folder that could not be opened or read: its parent is not empty
};

// A topmost empty folder the scan found.
struct FoundFolder {
    std::string_view relativePath; // below the root, without a leading separator
    bool holdsJunk = false;        // junk files lie in its subtree
};

// Where the scan reports what it finds, in the walk's order.
class ScanSink {
  public:
    virtual ~ScanSink() = default;
    // Each topmost empty folder; its text lasts for the call only.
    virtual void FolderFound(const FoundFolder& folder) = 0;
    // Each folder the walk meets that ScanNote names, relative to the root. The root's own
    // failure is RootUnreadable's.
    virtual void FolderNoted(ScanNote, std::string_view /*relativePath*/) {}
};

// What the scan needs of the window it runs in.
class ScanHost {
  public:
    virtual ~ScanHost() = default;
    // Lets pending window events run (a Stop click among them), then returns.
    virtual void DoEvents() = 0;
    virtual bool StopRequested() const = 0;
    // The Value of the check box "Delete Read Only Folder": 0 or 1. Read at every test.
    virtual int ReadOnlyOptionValue() const = 0;
};

// The engine behind Find: reports every topmost empty folder below the root folder to the
// sink, which numbers and shows them.
class EmptyFolderScan {
  public:
    // `rootFolder` is the root's path without a trailing separator; found folders are
    // relative to it. `readAhead` says how many threads read folders ahead of the walk; what
    // is found is the same whatever it says. `rules` (exclusions, junk files; none when
    // nullptr) must outlive the scan.
    EmptyFolderScan(FileSystem& fileSystem, ScanSink& sink, ScanHost& host, std::string rootFolder,
                    ReadAheadSettings readAhead = {}, const ListingRules* rules = nullptr);

    // Scans the folder at `folderPath` (the root) and returns SubtreeEmpty.
    bool ScanFolder(const std::string& folderPath);

    // Reports only folders at most `levels` below the root (1: the root's own subfolders).
    // Deeper folders are still read, to judge the folders above them.
    void LimitDepth(std::size_t levels) { maxDepth_ = levels; }

    // True when the last ScanFolder could not open the root or read its contents (and so
    // found nothing); false when it was stopped before opening it.
    bool RootUnreadable() const { return rootUnreadable_; }

    // The root the last ScanFolder read, held open: the removal of its rows reaches them
    // from that very folder. nullptr when none was read.
    const std::shared_ptr<const HeldRoot>& ScannedRoot() const { return scannedRoot_; }

    // True when the last ScanFolder ran short of what the system rations (on Linux,
    // descriptors or memory) and ended there: its rows are right but may be incomplete,
    // and its result says nothing.
    bool RanShort() const { return ranShort_; }

  private:
    // Whether listings are read with the rules: folders to keep or an age limit to apply.
    bool ListsWithRules() const {
        return rules_ && (rules_->KeepsFolders() || rules_->HasAgeLimit());
    }

    struct Walk;

    FileSystem& fileSystem_;
    ScanSink& sink_;
    ScanHost& host_;
    std::string rootFolder_;
    ReadAheadSettings readAhead_;
    const ListingRules* rules_;
    std::optional<std::size_t> maxDepth_;
    bool rootUnreadable_ = false;
    std::shared_ptr<const HeldRoot> scannedRoot_;
    bool ranShort_ = false;
};
