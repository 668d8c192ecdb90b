// The scan on an in-memory tree, where the order of entries, failures and changes while the
// scan runs are under control. Random trees give the rows of a plain recursive walk, and
// threads reading ahead change nothing the walk decides (rows, result, event-pump calls)
// whatever fails, changes, is stopped or toggled. Changes happen when a folder is opened and
// touch only it and what lies below: whoever opens it, a thread ahead of time or the walk,
// reads it as it is after the change, and nothing read before depends on it.

#include "scan/ListingRules.h"
#include "scan/ReadAheadTrigger.h"
#include "scan/ScanRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <random>
#include <system_error>
#include <thread>

namespace {

// The default, whose walk reads alone until its readings of folders, timed by a clock that
// is slow from the `reading`-th on, start the threads (ReadAheadTrigger).
ReadAheadSettings SwitchingAt(int reading) {
    ReadAheadSettings settings;
    auto calls = std::make_shared<int>(0);
    auto now = std::make_shared<std::chrono::steady_clock::time_point>();
    settings.clock = [=] {
        // Two calls a reading: its start and its end.
        *now +=
            ++*calls > 2 * reading ? std::chrono::milliseconds(1) : std::chrono::microseconds(1);
        return *now;
    };
    return settings;
}

// The walk alone, then thread counts and budgets worth trying: one listing at a time, a
// budget smaller than the threads, the defaults, and the default's threads started early
// and late in the walk. Fresh each time: a clock counts the readings of one scan.
std::vector<ReadAheadSettings> Settings() {
    return {WalkAlone, {2, 1}, {3, 2}, {8, 3}, {16, 64}, {}, SwitchingAt(0), SwitchingAt(30)};
}

Scanned ScanFake(FakeFileSystem& fileSystem, FakeScanHost& host, ReadAheadSettings settings) {
    return Scan(fileSystem, fileSystem.RootPath(), host, std::move(settings));
}

// A random tree in which some folders are read-only, fail or are mount points.
RandomTree AddAwkwardTree(FakeFileSystem& fileSystem, unsigned seed, int folders) {
    RandomTree tree = MakeRandomTree(seed, folders, folders / 3);
    for (const std::string& entry : tree.entries) {
        fileSystem.Add(entry);
    }
    std::mt19937 random(seed * 7919);
    for (const std::string& folder : tree.folders) {
        FakeFileSystem::Node& node = *fileSystem.Find(folder);
        unsigned draw = random() % 100;
        node.attributes |= draw < 3 ? FolderAttributeReadOnly : 0;
        node.failContents = draw == 3;
        node.failOpen = draw == 4;
        node.failAttributes = draw == 5;
        node.mountPoint = draw == 6;
    }
    return tree;
}

TEST(EmptyFolderScan, RandomTreesGiveThePlainWalksRows) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        FakeFileSystem fileSystem;
        AddAwkwardTree(fileSystem, seed, 400);
        for (int option : {0, 1}) {
            Scanned expected = PlainWalk(fileSystem, option);
            ASSERT_GE(expected.rows.size(), 5u) << "seed " << seed << " makes a dull tree";
            for (const ReadAheadSettings& settings : Settings()) {
                FakeScanHost host;
                host.readOnlyOptionValue = option;
                EXPECT_EQ(ScanFake(fileSystem, host, settings), expected)
                    << "seed " << seed << ", option " << option << ", " << settings.threads
                    << " threads, budget " << settings.budget;
            }
        }
    }
}

TEST(ReadAheadTrigger, StartsTheThreadsOnceEightOfTheLast64ReadingsWereSlow) {
    ReadAheadTrigger trigger;
    // One slow reading in ten: never 8 in any 64.
    for (int reading = 0; reading < 1000; ++reading) {
        ASSERT_FALSE(trigger.Note(reading % 10 == 0, std::nullopt)) << reading;
    }
    for (int fast = 0; fast < 64; ++fast) {
        ASSERT_FALSE(trigger.Note(false, std::nullopt));
    }
    for (int slow = 1; slow < 8; ++slow) {
        EXPECT_FALSE(trigger.Note(true, std::nullopt));
    }
    EXPECT_TRUE(trigger.Note(true, std::nullopt));
    EXPECT_EQ(ReadAheadTrigger::Slow(std::chrono::microseconds(41)), true);
    EXPECT_EQ(ReadAheadTrigger::Slow(std::chrono::microseconds(40)), false);
}

// Where the system counts the thread's waits, a slow reading without a wait is a preemption.
TEST(ReadAheadTrigger, CountsOnlySlowReadingsTheWalkWaitedIn) {
    ReadAheadTrigger trigger;
    std::uint64_t waits = 5;
    for (int reading = 0; reading < 200; ++reading) {
        ASSERT_FALSE(trigger.Note(true, waits)) << reading;
    }
    for (int slow = 1; slow < 8; ++slow) {
        EXPECT_FALSE(trigger.Note(true, ++waits));
    }
    EXPECT_TRUE(trigger.Note(true, ++waits));
}

// The default starts its threads only once readings are slow, and then takes over the
// folders the walk holds at that point without changing a row.
TEST(EmptyFolderScan, DefaultStartsThreadsOnlyOnceReadingsAreSlow) {
    FakeFileSystem fileSystem;
    AddAwkwardTree(fileSystem, 5, 400);
    const Scanned expected = PlainWalk(fileSystem, 0);
    for (int slowFrom : {1000000, 0, 3, 50, 200}) {
        ReadAheadSettings settings = SwitchingAt(slowFrom);
        int started = 0;
        settings.startThread = [&](std::function<void()> work) {
            ++started;
            return std::thread(std::move(work));
        };
        FakeScanHost host;
        EXPECT_EQ(ScanFake(fileSystem, host, settings), expected) << "slow from " << slowFrom;
        EXPECT_EQ(started, slowFrom < 1000000 ? static_cast<int>(DefaultScanThreads) : 0)
            << "slow from " << slowFrom;
    }
}

// A thread the system will not start (memory, a limit on processes) is done without, down
// to none: the rows stay the plain walk's, and nothing escapes the scan.
TEST(EmptyFolderScan, ThreadsThatCannotStartAreDoneWithout) {
    FakeFileSystem fileSystem;
    AddAwkwardTree(fileSystem, 3, 400);
    const Scanned expected = PlainWalk(fileSystem, 0);
    for (int startable : {0, 1, 3}) {
        ReadAheadSettings settings{8, 16};
        int started = 0;
        settings.startThread = [&](std::function<void()> work) {
            if (started == startable) {
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            }
            ++started;
            return std::thread(std::move(work));
        };
        FakeScanHost host;
        EXPECT_EQ(ScanFake(fileSystem, host, settings), expected) << startable << " started";
    }
}

// What can happen to a folder while a scan runs, applied when it is opened: it vanishes,
// becomes a link (content, like a file), loses its read permission, cannot be opened, gains
// a file, or its first subfolder before the scan vanishes or becomes read-only. A change
// may run more than once (a folder may be read again) and comes to the same end.
struct Changing {
    std::string folder;
    std::mt19937::result_type change;
    std::string subfolder;
};

void Apply(FakeFileSystem& fileSystem, const Changing& changing) {
    FakeFileSystem::Node* node = fileSystem.Find(changing.folder);
    FakeFileSystem::Node* subfolder =
        changing.subfolder.empty() ? nullptr : fileSystem.Find(changing.subfolder);
    if (!node || !node->isFolder) {
        return;
    }
    switch (changing.change) {
    case 0:
    case 1:
        fileSystem.Remove(changing.folder);
        if (changing.change == 1) {
            fileSystem.Add(changing.folder);
        }
        break;
    case 2:
        node->failContents = true;
        break;
    case 3:
        node->failOpen = true;
        break;
    case 4:
        fileSystem.Add(changing.folder + "/new.txt");
        break;
    case 5:
        fileSystem.Remove(changing.subfolder);
        break;
    default:
        if (subfolder) {
            subfolder->attributes |= FolderAttributeReadOnly;
        }
    }
}

// Arranges for random folders of the tree to change when opened.
void AddChanges(FakeFileSystem& fileSystem, const RandomTree& tree, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Changing> changes;
    for (int count = 0; count < 25; ++count) {
        Changing& changing = changes.emplace_back(
            Changing{tree.folders[random() % tree.folders.size()], random() % 7, ""});
        for (const auto& child : fileSystem.Find(changing.folder)->children) {
            if (child->isFolder && changing.subfolder.empty()) {
                changing.subfolder = changing.folder + "/" + child->name;
            }
        }
    }
    std::string prefix = fileSystem.RootPath() + "\\";
    fileSystem.onOpen = [&fileSystem, changes, prefix](const std::string& path) {
        std::string relative = path.substr(std::min(prefix.size(), path.size()));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        for (const Changing& changing : changes) {
            if (changing.folder == relative) {
                Apply(fileSystem, changing);
            }
        }
    };
}

// The user stops the scan at call `stopAt` of the event pump (the root's is 1; 0: never)
// and toggles the check box at call `toggleAt`.
void StopAndToggle(FakeScanHost& host, int stopAt, int toggleAt) {
    host.onDoEvents = [&host, stopAt, toggleAt] {
        host.readOnlyOptionValue ^= host.doEventsCalls == toggleAt ? 1 : 0;
        host.stopRequested = stopAt > 0 && host.doEventsCalls >= stopAt;
    };
}

// Listings come in whatever order the disk keeps (FAT: the order made); the walk takes each
// folder's subfolders in the natural order, so rows and their numbers are the same on
// every disk, whoever reads the listing.
TEST(EmptyFolderScan, SubfoldersAreWalkedInTheNaturalOrder) {
    FakeFileSystem fileSystem;
    for (const char* entry : {"f", "IMG_10/", "img_9/", "IMG_2/", "b/f", "b/x10/", "b/x2/", "a/y/",
                              "a/r\xC3\xA9/", "a/re/", "a/f"}) {
        fileSystem.Add(entry);
    }
    const std::vector<std::string> expected = {"0 a/re",  "1 a/r\xC3\xA9", "2 a/y",   "3 b/x2",
                                               "4 b/x10", "5 IMG_2",       "6 img_9", "7 IMG_10"};
    for (const ReadAheadSettings& settings : Settings()) {
        EXPECT_EQ(ScanRows(fileSystem, fileSystem.RootPath(), 0, settings), expected)
            << settings.threads << " threads, budget " << settings.budget;
    }
}

// Folders change when opened, and the user toggles the check box and (odd seeds) stops the
// scan at a random call of the event pump.
TEST(EmptyFolderScan, ReadAheadGivesTheWalksRowsWhateverHappensMeanwhile) {
    for (unsigned seed = 1; seed <= 16; ++seed) {
        auto run = [seed](const ReadAheadSettings& settings, int stopAt, int toggleAt) {
            FakeFileSystem fileSystem;
            AddChanges(fileSystem, AddAwkwardTree(fileSystem, seed, 300), seed);
            FakeScanHost host;
            StopAndToggle(host, stopAt, toggleAt);
            return ScanFake(fileSystem, host, settings);
        };
        int calls = run(WalkAlone, 0, 0).doEventsCalls;
        std::mt19937 random(seed);
        int stopAt = seed % 2 == 1 ? 1 + static_cast<int>(random() % calls) : 0;
        int toggleAt = 1 + static_cast<int>(random() % calls);
        Scanned expected = run(WalkAlone, stopAt, toggleAt);
        for (const ReadAheadSettings& settings : Settings()) {
            EXPECT_EQ(run(settings, stopAt, toggleAt), expected)
                << "seed " << seed << ", stop at " << stopAt << ", toggle at " << toggleAt << ", "
                << settings.threads << " threads, budget " << settings.budget;
        }
    }
}

// Paths matched deep down: the threads and the walk, which reads what no thread has, must
// carry where the patterns stand from each folder to its subfolders as the walk alone does.
TEST(EmptyFolderScan, ReadAheadExcludesWhatTheWalkExcludes) {
    ListingRules rules;
    rules.AddExclude("**/x y*/d*");
    rules.AddExclude("/d*/*/*1");
    for (unsigned seed = 1; seed <= 8; ++seed) {
        FakeFileSystem fileSystem;
        AddAwkwardTree(fileSystem, seed, 400);
        auto scan = [&](const ReadAheadSettings& settings, const ListingRules* with) {
            FakeScanHost host;
            return Scan(fileSystem, fileSystem.RootPath(), host, settings, with);
        };
        // The folders excluded are noted as such, whoever read their parent.
        Scanned expected = scan(WalkAlone, &rules);
        ASSERT_NE(expected.rows, scan(WalkAlone, nullptr).rows) << "seed " << seed;
        ASSERT_TRUE(std::any_of(expected.notes.begin(), expected.notes.end(),
                                [](const std::string& note) { return note.starts_with("0 "); }));
        for (const ReadAheadSettings& settings : Settings()) {
            EXPECT_EQ(scan(settings, &rules), expected)
                << "seed " << seed << ", " << settings.threads << " threads, budget "
                << settings.budget;
        }
    }
}

// Protected folders are content: never opened, by the walk or a thread, nor listed, and
// nothing above them is; names compare as on Windows, without case. lost+found is kept at
// the top of a file system only, and a Maildir keeps every folder in it.
TEST(EmptyFolderScan, ProtectedFoldersAreContentNeverOpened) {
    FakeFileSystem fileSystem;
    for (const char* entry :
         {"repo/.GIT/refs/heads/", "bin/$Recycle.Bin/S-1/", "mail/Maildir/cur/",
          "mail/Maildir/new/", "mail/Maildir/tmp/", "mail/Maildir/.Sent/", "half/cur/", "half/new/",
          "lost+found/", "deep/lost+found/", "f", "trash/.Trash-1000/files/"}) {
        fileSystem.Add(entry);
    }
    // Subfolders are walked in the natural order of their names.
    const std::vector<std::string> unprotected{"0 bin",  "1 deep", "2 half", "3 lost+found",
                                               "4 mail", "5 repo", "6 trash"};
    for (bool top : {false, true}) {
        fileSystem.rootIsFileSystemTop = top;
        std::vector<std::string> expected{"0 deep", "1 half"};
        if (!top) {
            expected.push_back("2 lost+found");
        }
        ListingRules rules('\\');
        for (const ReadAheadSettings& settings : Settings()) {
            fileSystem.opened.clear();
            EXPECT_EQ(ScanRows(fileSystem, fileSystem.RootPath(), 0, settings, &rules), expected)
                << settings.threads << " threads, top " << top;
            for (const std::string& path : fileSystem.opened) {
                for (const char* kept : {".GIT", "$Recycle.Bin", ".Trash-1000", "Maildir\\"}) {
                    EXPECT_EQ(path.find(kept), std::string::npos) << path;
                }
                EXPECT_FALSE(top && path == fileSystem.RootPath() + "\\lost+found");
            }
        }
        rules.ProtectNothing();
        EXPECT_EQ(ScanRows(fileSystem, fileSystem.RootPath(), 0, WalkAlone, &rules), unprotected);
    }
}

// Where the user stops the scan or toggles the check box, and what is listed then.
// Folders named R... (a capital) are read-only.
TEST(EmptyFolderScan, StopKeepsTheRowsFoundAndTheOptionIsReadAnewAtEveryTest) {
    struct Case {
        std::vector<std::string> entries;
        int option;
        int stopAt;   // the event-pump call (the root's is 1) that sets the stop flag
        int toggleAt; // the call that toggles the check box
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {{"A/"}, 0, 1, 0, {}}, // stopped before the root is opened
        // Root, a, then b stops: c and d are not examined.
        {{"f", "a/", "b/", "c/", "d/"}, 0, 3, 0, {"0 a"}},
        // The root's candidates found before the stop are still listed.
        {{"a/", "b/", "c/x/", "d/"}, 0, 4, 0, {"0 a", "1 b"}},
        // A folder under way lists what it had, where a full scan would list it instead.
        {{"f", "A/A1/", "A/A2/", "B/"}, 0, 4, 0, {"0 A/A1"}},
        // Unchecked at first: R1 is excluded, which makes the root not empty, and R3,
        // tested after the toggle at r2, counts. Checked at first: R3 is excluded.
        {{"R1/", "r2/", "R3/"}, 0, 0, 2, {"0 r2", "1 R3"}},
        {{"R1/", "r2/", "R3/"}, 1, 0, 2, {"0 R1", "1 r2"}},
    };
    for (const Case& test : cases) {
        FakeFileSystem fileSystem;
        for (const std::string& entry : test.entries) {
            fileSystem.Add(entry).attributes |= entry[0] == 'R' ? FolderAttributeReadOnly : 0;
        }
        FakeScanHost host;
        host.readOnlyOptionValue = test.option;
        StopAndToggle(host, test.stopAt, test.toggleAt);
        Scanned scanned = ScanFake(fileSystem, host, WalkAlone);
        EXPECT_EQ(scanned.rows, test.rows) << test.entries[0] << ", stop at " << test.stopAt;
        EXPECT_FALSE(scanned.rootUnreadable);
    }
}

TEST(EmptyFolderScan, RootThatCannotBeOpenedOrReadIsReported) {
    for (bool opens : {false, true}) {
        FakeFileSystem fileSystem;
        fileSystem.Add("A/");
        (opens ? fileSystem.Root().failContents : fileSystem.Root().failOpen) = true;
        FakeScanHost host;
        Scanned scanned = ScanFake(fileSystem, host, WalkAlone);
        EXPECT_TRUE(scanned.rootUnreadable && scanned.rows.empty() && !scanned.subtreeEmpty)
            << "opens " << opens;
    }
}

// The read-ahead keeps within the file system's limit on open folders (on Linux, the
// descriptors): beyond it a folder that could not be opened would pass for one that
// vanished. The walk waits at every folder until the threads run out of work.
TEST(EmptyFolderScan, ReadAheadKeepsWithinTheLimitOnOpenFolders) {
    FakeFileSystem fileSystem;
    for (int w = 0; w < 20; ++w) {
        std::string folder = std::string("w").append(std::to_string(w));
        fileSystem.Add(folder + "/f");
        for (int x = 0; x < 5; ++x) {
            fileSystem.Add(std::string(folder).append("/x").append(std::to_string(x)) + "/inner/");
        }
    }
    const unsigned threads = 4;
    // Room for two folders per thread (one it reads, one it has just read) and three more.
    fileSystem.spareOpenFolders = 2 * threads + 3;
    std::mutex mutex;
    std::condition_variable changed;
    bool idle = false;
    ReadAheadSettings settings{threads, 64};
    settings.onIdle = [&](bool allIdle) {
        std::lock_guard<std::mutex> lock(mutex);
        idle = allIdle;
        changed.notify_all();
    };
    FakeScanHost host;
    host.onDoEvents = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(30),
                         [&] { return idle || host.doEventsCalls < 2; });
    };
    EXPECT_EQ(ScanFake(fileSystem, host, settings).rows.size(), 20u * 5u);
    // Besides: the walk's path (the root, w, x) and the folder it opens.
    EXPECT_LE(fileSystem.peakLiveFolders, 4 + static_cast<int>(*fileSystem.spareOpenFolders));
}

} // namespace
