// The scan on an in-memory tree: random trees give the rows of a plain recursive walk, and
// threads reading ahead change nothing the walk decides (rows, notes, result, event-pump
// calls) whatever fails, changes (when a folder is opened, so that whoever opens it reads
// it changed), is stopped or toggled.

#include "scan/ListingRules.h"
#include "scan/ReadAheadTrigger.h"
#include "scan/ScanRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <random>

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

// The walk alone, one listing at a time, a budget below the threads, threads taking several
// folders a turn, the defaults, and the default's threads started early and late. Fresh for
// each scan: its clock counts readings.
std::vector<ReadAheadSettings> Settings() {
    return {WalkAlone,  {2, 1},      {3, 2}, {8, 3},         {16, 64},
            {2, 16, 4}, {1, 24, 12}, {},     SwitchingAt(0), SwitchingAt(30)};
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

// Also with junk names and deep path patterns: the threads, and the walk reading what no
// thread has, must carry the patterns' state down as a match on whole paths finds it.
TEST(EmptyFolderScan, RandomTreesGiveThePlainWalksRows) {
    ListingRules rules;
    rules.AddExclude("**/x y*/d*");
    rules.AddExclude("/d*/*/*1");
    rules.AddCommonJunk();
    std::ptrdiff_t junkRows = 0, excluded = 0;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        FakeFileSystem fileSystem;
        AddAwkwardTree(fileSystem, seed, 400);
        for (int option : {0, 1}) {
            for (const ListingRules* with : std::array<const ListingRules*, 2>{nullptr, &rules}) {
                const Scanned expected = PlainWalk(fileSystem, option, with);
                ASSERT_GE(expected.rows.size(), 5u) << "seed " << seed << " makes a dull tree";
                junkRows +=
                    std::count_if(expected.rows.begin(), expected.rows.end(),
                                  [](const std::string& row) { return row.ends_with(" junk"); });
                excluded +=
                    std::count_if(expected.notes.begin(), expected.notes.end(),
                                  [](const std::string& note) { return note.starts_with("0 "); });
                for (const ReadAheadSettings& settings : Settings()) {
                    FakeScanHost host;
                    host.readOnlyOptionValue = option;
                    EXPECT_EQ(Scan(fileSystem, fileSystem.RootPath(), host, settings, with),
                              expected)
                        << "seed " << seed << ", option " << option << (with ? ", rules, " : ", ")
                        << settings.threads << " threads, budget " << settings.budget;
                }
            }
        }
        // The default starts its threads only once readings are slow, taking over the folders
        // the walk holds then, and does without those the system will not start.
        for (int startable : {static_cast<int>(DefaultScanThreads), 0, 1, 3}) {
            const int slowFrom = std::array{1000000, 0, 3, 50, 200}[(seed + startable) % 5];
            ReadAheadSettings settings = SwitchingAt(slowFrom);
            int started = 0;
            settings.startThread = StartingAtMost(startable, started);
            FakeScanHost host;
            EXPECT_EQ(ScanFake(fileSystem, host, settings), PlainWalk(fileSystem, 0))
                << "slow from " << slowFrom << ", " << startable << " startable";
            EXPECT_EQ(started, slowFrom < 1000000 ? startable : 0) << "slow from " << slowFrom;
        }
    }
    EXPECT_GT(junkRows, 8);
    EXPECT_GT(excluded, 8);
}

TEST(ReadAheadTrigger, StartsTheThreadsOnceEightOfTheLast64ReadingsWereSlow) {
    ReadAheadTrigger trigger;
    // One slow reading in ten, never 8 in any 64, then 64 fast ones.
    for (int reading = 0; reading < 1064; ++reading) {
        ASSERT_FALSE(trigger.Note(reading < 1000 && reading % 10 == 0, std::nullopt)) << reading;
    }
    for (int slow = 1; slow < 8; ++slow) {
        EXPECT_FALSE(trigger.Note(true, std::nullopt));
    }
    EXPECT_TRUE(trigger.Note(true, std::nullopt));
    EXPECT_TRUE(ReadAheadTrigger::Slow(std::chrono::microseconds(41)) &&
                !ReadAheadTrigger::Slow(std::chrono::microseconds(40)));
    // Where the system counts the thread's waits, a slow reading without one is a preemption,
    // and the first slow one, with no count before it, counts: every eighth waits from the
    // first on, the rest are preempted.
    ReadAheadTrigger counting;
    std::uint64_t waits = 5;
    for (int reading = 0; reading < 56; ++reading) {
        ASSERT_FALSE(counting.Note(true, reading % 8 == 0 ? ++waits : waits)) << reading;
    }
    EXPECT_TRUE(counting.Note(true, ++waits));
}

// What can happen to a folder while a scan runs, applied when it is opened (maybe again,
// to the same end): it vanishes, becomes a link (content), loses its read permission, cannot
// be opened, gains a file, or its first subfolder vanishes or becomes read-only.
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
    const auto change = changing.change;
    node->failContents |= change == 2;
    node->failOpen |= change == 3;
    if (change == 6 && subfolder) {
        subfolder->attributes |= FolderAttributeReadOnly;
    }
    if (change == 4) {
        fileSystem.Add(changing.folder + "/new.txt");
    } else if (change <= 1 || change == 5) {
        fileSystem.Remove(change == 5 ? changing.subfolder : changing.folder);
    }
    if (change == 1) {
        fileSystem.Add(changing.folder);
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

// The user toggles the check box and (odd seeds) stops the scan at random event-pump calls.
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

// Protected folders are content, never opened nor listed (names without case, as on
// Windows); lost+found only at the top of a file system; a Maildir keeps all it holds.
// Nor is a read-only folder beside no files opened, by the walk or a thread.
TEST(EmptyFolderScan, ProtectedFoldersAreContentNeverOpened) {
    FakeFileSystem fileSystem;
    for (const char* entry :
         {"repo/.GIT/refs/heads/", "bin/$Recycle.Bin/S-1/", "mail/Maildir/cur/",
          "mail/Maildir/new/", "mail/Maildir/tmp/", "mail/Maildir/.Sent/", "half/cur/", "half/new/",
          "half/RO/x/", "lost+found/", "deep/lost+found/", "f", "trash/.Trash-1000/files/"}) {
        fileSystem.Add(entry);
    }
    fileSystem.Find("half/RO")->attributes |= FolderAttributeReadOnly;
    for (bool top : {false, true}) {
        fileSystem.rootIsFileSystemTop = top;
        std::vector<std::string> expected{"0 deep", "1 half/cur", "2 half/new", "3 lost+found"};
        expected.resize(top ? 3 : 4);
        ListingRules rules('\\');
        for (const ReadAheadSettings& settings : Settings()) {
            fileSystem.opened.clear();
            EXPECT_EQ(ScanRows(fileSystem, fileSystem.RootPath(), settings, &rules), expected)
                << settings.threads << " threads, top " << top;
            for (const std::string& path : fileSystem.opened) {
                for (const char* kept :
                     {".GIT", "$Recycle.Bin", ".Trash-1000", "Maildir\\", "RO"}) {
                    EXPECT_EQ(path.find(kept), std::string::npos) << path;
                }
                EXPECT_FALSE(top && path == fileSystem.RootPath() + "\\lost+found");
            }
        }
        rules.ProtectNothing();
        EXPECT_EQ(ScanRows(fileSystem, fileSystem.RootPath(), WalkAlone, &rules),
                  (std::vector<std::string>{"0 bin", "1 deep", "2 half/cur", "3 half/new",
                                            "4 lost+found", "5 mail", "6 repo", "7 trash"}));
    }
}

// Folders named R... (a capital) are read-only.
TEST(EmptyFolderScan, StopKeepsTheRowsFoundAndTheOptionIsReadAnewAtEveryTest) {
    struct Case {
        std::vector<std::string> entries;
        int option;
        int stopAt;   // the event-pump call (the root's is 1) that sets the stop flag
        int toggleAt; // the call that toggles the check box
        std::vector<std::string> rows;
        bool FakeFileSystem::Node::*rootFails = nullptr; // and is reported unreadable
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
        {{"A/"}, 0, 0, 0, {}, &FakeFileSystem::Node::failOpen},
        {{"A/"}, 0, 0, 0, {}, &FakeFileSystem::Node::failContents},
    };
    for (const Case& test : cases) {
        FakeFileSystem fileSystem;
        for (const std::string& entry : test.entries) {
            fileSystem.Add(entry).attributes |= entry[0] == 'R' ? FolderAttributeReadOnly : 0;
        }
        if (test.rootFails) {
            fileSystem.Root().*test.rootFails = true;
        }
        FakeScanHost host;
        host.readOnlyOptionValue = test.option;
        StopAndToggle(host, test.stopAt, test.toggleAt);
        Scanned scanned = ScanFake(fileSystem, host, WalkAlone);
        EXPECT_EQ(scanned.rows, test.rows) << test.entries[0] << ", stop at " << test.stopAt;
        EXPECT_EQ(scanned.rootUnreadable, test.rootFails != nullptr);
        EXPECT_FALSE(test.rootFails && scanned.subtreeEmpty);
    }
}

} // namespace
