// Threads reading ahead of the walk change nothing the walk decides: on random trees with
// failures and read-only folders, when folders change while the scan runs, when the option
// is toggled and when the walk is stopped at any call of the event pump, the rows, the
// result and the event-pump calls are those of the walk reading every folder itself.
//
// Changes happen at a fixed point that does not depend on who reads first: when a folder is
// opened, the change touches only that folder and what lies below it. Whoever opens it, a
// thread ahead of time or the walk, it is then read as it is after the change, and nothing
// read before depends on it.

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeScanHost.h"
#include "platform/MemoryResultList.h"
#include "scan/EmptyFolderScan.h"
#include "scan/RandomTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <random>
#include <set>
#include <thread>

namespace {

struct Outcome {
    std::vector<std::string> rows;
    bool subtreeEmpty = false;
    bool rootUnreadable = false;
    int doEventsCalls = 0;

    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* os) {
    *os << outcome.rows.size() << " rows, subtree empty " << outcome.subtreeEmpty
        << ", root unreadable " << outcome.rootUnreadable << ", " << outcome.doEventsCalls
        << " event-pump calls:";
    for (const std::string& row : outcome.rows) {
        *os << "\n  " << row;
    }
}

Outcome Scan(FakeFileSystem& fileSystem, FakeScanHost& host, ReadAheadSettings settings) {
    MemoryResultList list;
    EmptyFolderScan scan(fileSystem, list, host, fileSystem.RootPath(), settings);
    Outcome outcome;
    outcome.subtreeEmpty = scan.ScanFolder(fileSystem.RootPath());
    outcome.rootUnreadable = scan.RootUnreadable();
    outcome.doEventsCalls = host.doEventsCalls;
    for (const MemoryResultList::Row& row : list.Rows()) {
        outcome.rows.push_back(row.text + " " + row.subItem1);
    }
    return outcome;
}

// A random tree of the benchmark's shape in which some folders are read-only, fail or are
// mount points.
void AddAwkwardTree(FakeFileSystem& fileSystem, unsigned seed, int folders) {
    RandomTree tree = MakeRandomTree(seed, folders, folders / 3);
    for (const std::string& entry : tree.entries) {
        fileSystem.Add(entry);
    }
    std::mt19937 random(seed * 7919);
    for (const std::string& folder : tree.folders) {
        FakeFileSystem::Node& node = *fileSystem.Find(folder);
        switch (random() % 100) {
        case 0:
        case 1:
        case 2:
            node.attributes |= FolderAttributeReadOnly;
            break;
        case 3:
            node.failContents = true;
            break;
        case 4:
            node.failOpen = true;
            break;
        case 5:
            node.failAttributes = true;
            break;
        case 6:
            node.mountPoint = true;
            break;
        default:
            break;
        }
    }
}

// Thread counts and budgets worth trying: one listing at a time, a budget smaller than the
// threads, and the defaults.
const ReadAheadSettings Parallel[] = {{2, 1}, {3, 2}, {8, 3}, {16, 64}, {}};

std::string Describe(const ReadAheadSettings& settings) {
    return std::to_string(settings.threads) + " threads, budget " + std::to_string(settings.budget);
}

TEST(ReadAhead, RandomTreesGiveTheWalksRows) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        for (int option : {0, 1}) {
            FakeFileSystem fileSystem;
            AddAwkwardTree(fileSystem, seed, 400);
            FakeScanHost alone;
            alone.readOnlyOptionValue = option;
            Outcome expected = Scan(fileSystem, alone, {1});
            ASSERT_GE(expected.rows.size(), 5u) << "seed " << seed << " makes a dull tree";
            for (const ReadAheadSettings& settings : Parallel) {
                FakeScanHost host;
                host.readOnlyOptionValue = option;
                EXPECT_EQ(Scan(fileSystem, host, settings), expected)
                    << "seed " << seed << ", option " << option << ", " << Describe(settings);
            }
        }
    }
}

// What can happen to a folder while a scan runs, each applied when the folder is opened.
// Each may run more than once (a folder may be read again) and comes to the same end.
enum class Change {
    Vanishes,
    BecomesALink, // a link counts as content, like a file
    LosesReadPermission,
    CannotBeOpened,
    GainsAFile,
    SubfolderVanishes,
    SubfolderBecomesReadOnly,
    Count
};

struct Changing {
    std::string folder;
    Change change;
    std::string subfolder; // its first subfolder before the scan, for the last two changes
};

void Apply(FakeFileSystem& fileSystem, const Changing& changing) {
    FakeFileSystem::Node* node = fileSystem.Find(changing.folder);
    if (!node || !node->isFolder) {
        return;
    }
    FakeFileSystem::Node* subfolder =
        changing.subfolder.empty() ? nullptr : fileSystem.Find(changing.subfolder);
    switch (changing.change) {
    case Change::Vanishes:
        fileSystem.Remove(changing.folder);
        break;
    case Change::BecomesALink:
        fileSystem.Remove(changing.folder);
        fileSystem.Add(changing.folder);
        break;
    case Change::LosesReadPermission:
        node->failContents = true;
        break;
    case Change::CannotBeOpened:
        node->failOpen = true;
        break;
    case Change::GainsAFile:
        fileSystem.Add(changing.folder + "/new.txt");
        break;
    case Change::SubfolderVanishes:
        if (subfolder) {
            fileSystem.Remove(changing.subfolder);
        }
        break;
    case Change::SubfolderBecomesReadOnly:
        if (subfolder) {
            subfolder->attributes |= FolderAttributeReadOnly;
        }
        break;
    case Change::Count:
        break;
    }
}

// Makes the tree of `seed` and arranges for random folders to change when opened.
void AddChangingTree(FakeFileSystem& fileSystem, unsigned seed) {
    RandomTree tree = MakeRandomTree(seed, 300, 100);
    for (const std::string& entry : tree.entries) {
        fileSystem.Add(entry);
    }
    std::mt19937 random(seed);
    std::vector<Changing> changes;
    for (int count = 0; count < 25; ++count) {
        Changing changing{tree.folders[random() % tree.folders.size()],
                          static_cast<Change>(random() % static_cast<int>(Change::Count)), ""};
        for (const auto& child : fileSystem.Find(changing.folder)->children) {
            if (child->isFolder) {
                changing.subfolder = changing.folder + "/" + child->name;
                break;
            }
        }
        changes.push_back(changing);
    }
    std::string prefix = fileSystem.RootPath() + "\\";
    fileSystem.onOpen = [&fileSystem, changes, prefix](const std::string& path) {
        if (path.compare(0, prefix.size(), prefix) != 0) {
            return;
        }
        std::string relative = path.substr(prefix.size());
        std::replace(relative.begin(), relative.end(), '\\', '/');
        for (const Changing& changing : changes) {
            if (changing.folder == relative) {
                Apply(fileSystem, changing);
            }
        }
    };
}

TEST(ReadAhead, FoldersChangingWhenOpenedGiveTheWalksRows) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        FakeFileSystem sequential;
        AddChangingTree(sequential, seed);
        FakeScanHost alone;
        Outcome expected = Scan(sequential, alone, {1});
        for (const ReadAheadSettings& settings : Parallel) {
            FakeFileSystem fileSystem;
            AddChangingTree(fileSystem, seed);
            FakeScanHost host;
            EXPECT_EQ(Scan(fileSystem, host, settings), expected)
                << "seed " << seed << ", " << Describe(settings);
        }
    }
}

// The user stops the scan, or toggles the check box, at a random call of the event pump.
TEST(ReadAhead, StopOrOptionToggledAtAnyCallGivesTheWalksRows) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        FakeFileSystem fileSystem;
        AddAwkwardTree(fileSystem, seed, 300);
        FakeScanHost whole;
        int calls = Scan(fileSystem, whole, {1}).doEventsCalls;
        std::mt19937 random(seed);
        int stopAt = 1 + static_cast<int>(random() % calls);
        int toggleAt = 1 + static_cast<int>(random() % calls);
        auto arrange = [&](FakeScanHost& host) {
            host.onDoEvents = [&host, stopAt, toggleAt, seed] {
                if (host.doEventsCalls == toggleAt) {
                    host.readOnlyOptionValue = 1 - host.readOnlyOptionValue;
                }
                host.stopRequested = seed % 2 == 1 && host.doEventsCalls >= stopAt;
            };
        };
        FakeScanHost alone;
        arrange(alone);
        Outcome expected = Scan(fileSystem, alone, {1});
        for (const ReadAheadSettings& settings : Parallel) {
            FakeScanHost host;
            arrange(host);
            EXPECT_EQ(Scan(fileSystem, host, settings), expected)
                << "seed " << seed << ", stop at " << stopAt << ", toggle at " << toggleAt << ", "
                << Describe(settings);
        }
    }
}

// The read-ahead keeps within the file system's limit on open folders (on Linux, the
// descriptors): beyond it a folder that could not be opened would pass for one that
// vanished. The walk waits at every folder until the threads run out of work.
TEST(ReadAhead, KeepsWithinTheLimitOnOpenFolders) {
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
    EXPECT_EQ(Scan(fileSystem, host, settings).rows.size(), 20u * 5u);
    // Besides: the walk's path (the root, w, x) and the folder it opens.
    EXPECT_LE(fileSystem.peakLiveFolders, 4 + static_cast<int>(*fileSystem.spareOpenFolders));
}

} // namespace
