#include "scan/EmptyFolderScan.h"

#include "platform/FileSystem.h"
#include "scan/ListingRules.h"
#include "scan/ReadAheadTrigger.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// The walk keeps its folders under way on a stack of frames instead of the call stack, so
// that a tree tens of thousands of folders deep cannot overflow it. A frame holds what one
// recursive ScanFolder call holds; rows come in the same order as from the recursive form.

namespace {

struct Candidate {
    std::size_t index; // position in the frame's `names`
    bool holdsJunk;
};

struct Frame {
    std::unique_ptr<Folder> folder;
    std::vector<std::string> names;    // its subfolders, in the order walked
    std::vector<Candidate> candidates; // its empty subfolders
    std::size_t next = 0;              // position in `names` of the subfolder to examine
    std::size_t pathLength = 0;        // its path is the walk's path up to this length
    // Where the exclusions stand at it, when the walk reads its listing itself.
    ListingRules::ExclusionState exclusions;
    bool holdsFiles = false;
    bool notEmpty = false;
    bool holdsJunk = false; // junk files in it or in an empty subfolder's subtree
};

// What the steps after opening a folder decided.
enum class Opening { Empty, NotEmpty, Unreadable, Descend };

} // namespace

struct EmptyFolderScan::Walk {
    EmptyFolderScan& scan;
    ReadAhead* readAhead; // nullptr: the walk reads every folder itself
    char separator;
    std::string path; // of the innermost folder under way
    std::vector<Frame> frames;
    bool openedJunk = false; // whether the folder Open decided at once holds junk files
    // While the walk reads alone with threads in reserve: where they start, with what, and
    // what tells when.
    std::optional<ReadAhead>* reserve = nullptr;
    ReadAheadSettings reserveSettings{1};
    ReadAheadTrigger trigger{};
    std::string reported{}; // the full path of the folder last reported, kept for its buffer

    bool Run(std::unique_ptr<Folder> root) {
        Opening opening = Open(std::move(root), ReadsWithRules() ? scan.rules_->RootState()
                                                                 : ListingRules::ExclusionState());
        if (opening != Opening::Descend) {
            scan.rootUnreadable_ = opening == Opening::Unreadable;
            return opening == Opening::Empty;
        }
        for (;;) {
            if (scan.ranShort_) {
                return false;
            }
            Frame& frame = frames.back();
            std::optional<bool> subtreeEmpty =
                frame.next == frame.names.size() ? Finish(frame) : Examine(frame);
            if (!subtreeEmpty) {
                continue;
            }
            const bool holdsJunk = frame.holdsJunk;
            frames.pop_back();
            if (frames.empty()) {
                return *subtreeEmpty;
            }
            path.resize(frames.back().pathLength);
            Deliver(frames.back(), *subtreeEmpty, holdsJunk);
        }
    }

    // The counts decide a folder without subfolders at once; any other gets a frame.
    Opening Open(std::unique_ptr<Folder> folder, ListingRules::ExclusionState exclusions) {
        FolderListing listing = ReadsWithRules() ? ReadListing(*folder, {scan.rules_, &exclusions})
                                                 : ReadListing(*folder);
        if (scan.rules_ && scan.rules_->KeepsFolders()) {
            NoteKept(*folder, readAhead ? ReadAhead::ExcludedNames(*folder) : listing.excluded);
        }
        if (!listing.subFolders) {
            RanShort(*folder);
            return Opening::Unreadable;
        }
        openedJunk = listing.junkFiles > 0;
        if (*listing.subFolders == 0) {
            return *listing.files == 0 ? Opening::Empty : Opening::NotEmpty;
        }
        if (!listing.names) {
            RanShort(*folder);
            return Opening::Unreadable;
        }
        Frame& frame = frames.emplace_back();
        frame.folder = std::move(folder);
        frame.names = std::move(*listing.names);
        frame.pathLength = path.size();
        frame.holdsFiles = *listing.files > 0;
        frame.holdsJunk = openedJunk;
        frame.exclusions = std::move(exclusions);
        return Opening::Descend;
    }

    // Examines the frame's next subfolder. Returns the frame's own result when a failure
    // ends it, nullopt while it goes on (a pushed frame for the subfolder among them).
    std::optional<bool> Examine(Frame& frame) {
        const std::string& name = frame.names[frame.next];
        // A folder without files does not count as empty because of a read-only subfolder,
        // unless the option lets read-only folders count. The option is read anew each time.
        const bool testReadOnly = !frame.holdsFiles && ReadOnlyOptionValue() != 1;
        const bool timed = reserve != nullptr && !readAhead;
        auto readingStarted = std::chrono::steady_clock::time_point();
        std::optional<std::chrono::nanoseconds> readingTime;
        TestedSubFolder tested;
        if (testReadOnly) {
            // Tested as it is opened: a platform may read the attributes from the folder it
            // opened, which costs less than by name. Once stopped, nothing more is opened.
            if (scan.host_.StopRequested()) {
                tested.attributes = frame.folder->SubFolderAttributes(name);
            } else {
                readingStarted = timed ? Now() : readingStarted;
                tested = frame.folder->OpenTestedSubFolder(name, false);
            }
            if (!tested.attributes) {
                RanShort(*frame.folder);
                Note(ScanNote::Unreadable, name);
                return false;
            }
            if (*tested.attributes & FolderAttributeReadOnly) {
                frame.notEmpty = true;
                ++frame.next;
                return std::nullopt;
            }
            if (timed) {
                readingTime = Now() - readingStarted;
            }
        }
        // What a recursive call for the subfolder does before it opens it.
        scan.host_.DoEvents();
        if (scan.host_.StopRequested()) {
            if (readAhead) {
                readAhead->Cancel();
            }
            Deliver(frame, false);
            return std::nullopt;
        }
        if (!testReadOnly) {
            readingStarted = timed ? Now() : readingStarted;
            tested.opened = frame.folder->OpenSubFolder(name);
        }
        OpenedSubFolder& child = tested.opened;
        if (child.mountPoint) {
            // Content, as a link is: never entered or listed, and its folder is not empty.
            Deliver(frame, false);
            return std::nullopt;
        }
        if (!child.folder) {
            // A subfolder that cannot be opened (gone, or now a link) ends its parent's scan.
            RanShort(*frame.folder);
            Note(ScanNote::Unreadable, name);
            return false;
        }
        path += separator;
        path += name;
        Opening opening =
            Open(std::move(child.folder), ReadsWithRules()
                                              ? scan.rules_->SubFolderState(frame.exclusions, name)
                                              : ListingRules::ExclusionState());
        const bool startReadingAhead =
            timed && NoteReading(readingTime ? *readingTime : Now() - readingStarted);
        if (opening != Opening::Descend) {
            path.resize(frame.pathLength);
            if (opening == Opening::Unreadable) {
                Note(ScanNote::Unreadable, name);
            }
            Deliver(frame, opening == Opening::Empty, openedJunk);
        }
        // `frame` may have moved since: a frame for the subfolder was pushed.
        if (startReadingAhead) {
            StartReadingAhead();
        }
        return std::nullopt;
    }

    std::chrono::steady_clock::time_point Now() const {
        return reserveSettings.clock ? reserveSettings.clock() : std::chrono::steady_clock::now();
    }

    // Notes how long the walk's reading of a folder took; true when the threads in reserve
    // should start. Only a slow reading asks the system whether the walk waited for it: a
    // reading the walk was merely preempted in is no sign of a disk.
    bool NoteReading(std::chrono::nanoseconds took) {
        const bool slow = ReadAheadTrigger::Slow(took);
        return trigger.Note(slow, slow ? scan.fileSystem_.WaitsOfThisThread() : std::nullopt);
    }

    // The threads in reserve take over the folders under way and read ahead below them;
    // the walk goes on with what they hand it, as if they had been there from the start.
    void StartReadingAhead() {
        ReadAhead& started = reserve->emplace(std::move(reserveSettings), separator,
                                              scan.ListsWithRules() ? scan.rules_ : nullptr);
        started.NoteReadOnlyOption(scan.host_.ReadOnlyOptionValue());
        std::vector<ReadAhead::WalkedFolder> walked;
        walked.reserve(frames.size());
        for (Frame& frame : frames) {
            walked.push_back({std::move(frame.folder), frame.names, frame.next, frame.holdsFiles,
                              std::move(frame.exclusions)});
        }
        std::vector<std::unique_ptr<Folder>> folders = started.Adopt(std::move(walked));
        for (std::size_t level = 0; level < frames.size(); ++level) {
            frames[level].folder = std::move(folders[level]);
        }
        readAhead = &started;
    }

    // Whether the walk applies exclusions and the age limit to the listings it reads; the
    // read-ahead's folders answer with listings its threads read with them.
    bool ReadsWithRules() const { return !readAhead && scan.ListsWithRules(); }
    // After a failure: when the walk ran short of what the system rations, the failure is
    // not the folder's, and nothing the walk would conclude from it holds. It ends at once.
    void RanShort(const Folder& folder) {
        if (folder.WalkRanShort()) {
            scan.ranShort_ = true;
            if (readAhead) {
                readAhead->Cancel();
            }
        }
    }

    // The subfolders the listing of `folder`, at `path`, kept out of the walk: protected or
    // excluded, told apart as the listing did.
    void NoteKept(const Folder& folder, const std::vector<std::string>& kept) {
        const ListingRules& rules = *scan.rules_;
        const bool maildir = rules.MarksMaildir(kept);
        for (const std::string& name : kept) {
            const bool isProtected =
                maildir || rules.ProtectsSubFolder(name, [&] { return IsFileSystemTop(folder); });
            scan.sink_.FolderNoted(isProtected ? ScanNote::Protected : ScanNote::Excluded,
                                   Below(path.size(), name));
        }
    }

    // Of the subfolder `name` of the folder at `path`.
    void Note(ScanNote note, const std::string& name) {
        scan.sink_.FolderNoted(note, Below(path.size(), name));
    }

    int ReadOnlyOptionValue() {
        int value = scan.host_.ReadOnlyOptionValue();
        if (readAhead) {
            readAhead->NoteReadOnlyOption(value);
        }
        return value;
    }

    // Takes the result of the frame's current subfolder.
    void Deliver(Frame& frame, bool subtreeEmpty, bool holdsJunk = false) {
        if (frame.holdsFiles) {
            if (subtreeEmpty) {
                Report(frame, frame.next, holdsJunk);
            }
        } else if (subtreeEmpty) {
            frame.candidates.push_back({frame.next, holdsJunk});
            frame.holdsJunk = frame.holdsJunk || holdsJunk;
        } else {
            frame.notEmpty = true;
        }
        ++frame.next;
    }

    // After the last subfolder. A folder that counts as empty drops its candidates: it
    // stands for them, and an ancestor lists it (or the root, which is never listed).
    bool Finish(const Frame& frame) {
        if (frame.holdsFiles) {
            return false;
        }
        if (!frame.notEmpty) {
            return true;
        }
        for (const Candidate& candidate : frame.candidates) {
            Report(frame, candidate.index, candidate.holdsJunk);
        }
        return false;
    }

    // Hands the frame's subfolder at `index` to the sink, unless it lies too deep.
    void Report(const Frame& frame, std::size_t index, bool holdsJunk) {
        std::string_view below = Below(frame.pathLength, frame.names[index]);
        if (scan.maxDepth_ && static_cast<std::size_t>(std::count(below.begin(), below.end(),
                                                                  separator)) >= *scan.maxDepth_) {
            return;
        }
        scan.sink_.FolderFound({below, holdsJunk});
    }

    // The path relative to the root of the subfolder `name` of the folder whose full path
    // is the walk's path up to `parentLength`; valid until the next call.
    std::string_view Below(std::size_t parentLength, std::string_view name) {
        reported.assign(path, 0, parentLength);
        reported += separator;
        reported += name;
        return std::string_view(reported).substr(
            std::min(scan.rootFolder_.size() + 1, reported.size()));
    }
};

EmptyFolderScan::EmptyFolderScan(FileSystem& fileSystem, ScanSink& sink, ScanHost& host,
                                 std::string rootFolder, ReadAheadSettings readAhead,
                                 const ListingRules* rules)
    : fileSystem_(fileSystem), sink_(sink), host_(host), rootFolder_(std::move(rootFolder)),
      readAhead_(readAhead), rules_(rules) {}

bool EmptyFolderScan::ScanFolder(const std::string& folderPath) {
    rootUnreadable_ = false;
    scannedRoot_.reset();
    ranShort_ = false;
    host_.DoEvents();
    if (host_.StopRequested()) {
        return false;
    }
    std::unique_ptr<Folder> root =
        fileSystem_.GetFolder(folderPath, rules_ ? rules_->JunkTest() : nullptr);
    if (!root) {
        rootUnreadable_ = true;
        return false;
    }
    scannedRoot_ = root->HoldRoot();
    // Declared before the walk, so that the walk lets go of its folders before the threads
    // are joined.
    std::optional<ReadAhead> readAhead;
    ReadAheadSettings settings = readAhead_;
    // Each reading under way, the walk's and each thread's (a folder and perhaps its parent
    // reopened), and each listing held keeps a folder open; so do the folders of a thread's
    // batch that the walk passed meanwhile. Where few may be, fewer threads read, down to
    // the walk alone, one folder at a time.
    if (std::optional<std::size_t> spare = fileSystem_.SpareOpenFolders();
        spare && settings.threads > 1) {
        std::size_t readers = *spare / 2;
        settings.threads =
            readers > 2
                ? static_cast<unsigned>(std::min<std::size_t>(settings.threads, readers - 1))
                : 1;
        if (*spare < settings.budget + (settings.batch + 1) * settings.threads) {
            settings.batch = 1;
        }
        std::size_t reading = (settings.batch + 1) * std::size_t{settings.threads};
        settings.budget = std::min(settings.budget, *spare > reading ? *spare - reading : 1);
    }
    const bool reserved = settings.threads > 1 && settings.adaptive;
    if (settings.threads > 1 && !settings.adaptive) {
        readAhead.emplace(std::move(settings), fileSystem_.PathSeparator(),
                          ListsWithRules() ? rules_ : nullptr);
        readAhead->NoteReadOnlyOption(host_.ReadOnlyOptionValue());
        root = readAhead->Start(std::move(root));
    }
    Walk walk{
        *this, readAhead ? &*readAhead : nullptr, fileSystem_.PathSeparator(), folderPath, {}};
    if (reserved) {
        walk.reserve = &readAhead;
        walk.reserveSettings = std::move(settings);
    }
    return walk.Run(std::move(root));
}
