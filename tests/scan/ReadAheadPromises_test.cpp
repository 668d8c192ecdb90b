// What the read-ahead promises besides the walk's rows: it reads ahead at all, the folders
// the walk reaches first first, never more than its budget, and Cancel ends every thread.
// Names sort as they were added, so the walk's order is the same however it sorts them.

#include "scan/ScanRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// Eight folders of five below the root and a file, so that the eight are the rows: every
// folder is opened by someone. Returns their paths in the walk's order.
std::vector<std::string> AddWideTree(FakeFileSystem& fileSystem) {
    fileSystem.Add("file.txt");
    std::vector<std::string> order;
    for (char outer = 'a'; outer <= 'h'; ++outer) {
        const std::string folder(1, outer);
        order.push_back(fileSystem.RootPath() + '\\' + folder);
        for (char inner = 'a'; inner <= 'e'; ++inner) {
            fileSystem.Add(folder + '/' + inner + '/');
            order.push_back(fileSystem.RootPath() + '\\' + folder + '\\' + inner);
        }
    }
    return order;
}

std::size_t OpenedSoFar(FakeFileSystem& fileSystem) {
    auto lock = fileSystem.Lock();
    return fileSystem.opened.size();
}

// Holds the walk at its first subfolder (or at every one) until every thread waits with
// nothing it may read.
class WalkHeldUntilIdle {
  public:
    explicit WalkHeldUntilIdle(ReadAheadSettings& settings, bool atEveryFolder = false) {
        settings.onIdle = [this](bool allIdle) {
            std::lock_guard<std::mutex> lock(mutex_);
            idle_ = allIdle;
            changed_.notify_all();
        };
        host.onDoEvents = [this, atEveryFolder] {
            if (host.doEventsCalls == 2 || (atEveryFolder && host.doEventsCalls > 2)) {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait_for(lock, std::chrono::seconds(30), [&] { return idle_; });
                if (then) {
                    then();
                }
            }
        };
    }

    FakeScanHost host;
    std::function<void()> then; // runs while the walk is held

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool idle_ = false;
};

// With the walk held before its first subfolder, a thread reads exactly `budget` folders,
// the first ones it will reach, each once. One thread only: a second one would take the next
// sibling while the first reads a folder, ahead of that folder's subtree.
TEST(ReadAhead, ReadsTheBudgetOfFoldersTheWalkReachesFirst) {
    for (std::size_t budget : {1u, 2u, 5u, 13u, 47u}) {
        FakeFileSystem fileSystem;
        const std::vector<std::string> order = AddWideTree(fileSystem);
        ReadAheadSettings settings{4, budget};
        int started = 0;
        settings.startThread = StartingAtMost(1, started);
        WalkHeldUntilIdle walk(settings);
        std::multiset<std::string> live;
        std::vector<std::string> opened;
        walk.then = [&] {
            auto lock = fileSystem.Lock();
            live = fileSystem.livePaths;
            opened = fileSystem.opened;
        };
        EXPECT_EQ(ScanFake(fileSystem, walk.host, settings).rows.size(), 8u);

        std::multiset<std::string> expected{fileSystem.RootPath()};
        expected.insert(order.begin(), order.begin() + std::min(budget, order.size()));
        EXPECT_EQ(std::multiset<std::string>(opened.begin(), opened.end()), expected)
            << "budget " << budget;
        // What it keeps open for the walk, it read for it (a folder without subfolders
        // keeps only its listing).
        EXPECT_TRUE(std::includes(expected.begin(), expected.end(), live.begin(), live.end()));
    }
}

// The folders open at once stay within the walk's own (the root, w, x and the one it opens),
// the budget and one a thread reads, and within the file system's limit (on Linux, the
// descriptors: past it a folder not opened would pass for one gone). The walk waits at every
// folder until the threads run out of work.
TEST(ReadAhead, KeepsWithinItsBudgetAndTheLimitOnOpenFolders) {
    FakeFileSystem fileSystem;
    for (int w = 0; w < 20; ++w) {
        std::string folder = std::string("w").append(std::to_string(w));
        fileSystem.Add(folder + "/f");
        for (int x = 0; x < 5; ++x) {
            fileSystem.Add(std::string(folder).append("/x").append(std::to_string(x)) + "/inner/");
        }
    }
    struct Case {
        unsigned threads;
        std::size_t budget;
        std::optional<std::size_t> spare;
    };
    // Room for two folders per thread and three more; then for the budget and a batch of
    // folders per thread besides, which the walk may pass while a thread reads them.
    for (const Case& test : {Case{2, 1, {}},
                             {5, 3, {}},
                             {2, 8, {}},
                             {4, 64, 2 * 4 + 3},
                             {2, 16, 16 + (DefaultReadAheadBatch + 1) * 2}}) {
        fileSystem.spareOpenFolders = test.spare;
        fileSystem.peakLiveFolders = 0;
        ReadAheadSettings settings{test.threads, test.budget};
        WalkHeldUntilIdle walk(settings, true);
        EXPECT_EQ(ScanFake(fileSystem, walk.host, settings).rows.size(), 20u * 5u);
        EXPECT_LE(fileSystem.peakLiveFolders,
                  4 + static_cast<int>(test.spare.value_or(test.budget + test.threads)))
            << test.threads << " threads, budget " << test.budget;
    }
}

// A folder a thread could not read (on Linux, short of descriptors for a moment) is read
// again by the walk, as if nothing had failed. The walk held, the threads read a to h first.
TEST(ReadAhead, TheWalkReadsAgainWhatAThreadFailedToRead) {
    FakeFileSystem fileSystem;
    AddWideTree(fileSystem);
    for (char folder = 'a'; folder <= 'h'; ++folder) {
        fileSystem.Find(std::string(1, folder))->failReadings = 1;
    }
    ReadAheadSettings settings{4, 64};
    WalkHeldUntilIdle walk(settings);
    const Scanned scanned = ScanFake(fileSystem, walk.host, settings);
    EXPECT_EQ(scanned.rows.size(), 8u);
    EXPECT_EQ(scanned.notes, std::vector<std::string>{});
}

// On a slow file system the default finds the readings slow and starts its threads, which
// read several folders at once where the walk alone reads one at a time. (No clock is
// asked: the openings under way at once are counted.)
TEST(ReadAhead, ReadsSeveralFoldersAtOnceOnASlowFileSystem) {
    FakeFileSystem fileSystem;
    AddWideTree(fileSystem);
    fileSystem.latency = std::chrono::microseconds(500);
    FakeScanHost host, plainHost;
    const Scanned alone = ScanFake(fileSystem, plainHost, WalkAlone);
    EXPECT_EQ(fileSystem.peakOpenings, 1);
    EXPECT_EQ(ScanFake(fileSystem, host), alone);
    EXPECT_GT(fileSystem.peakOpenings, 1);
}

// Cancel wakes every thread, those waiting for work with the budget full and those still
// reading: the read-ahead's end joins them all. Many times, for a lost wake-up to show.
TEST(ReadAhead, CancelEndsEveryThread) {
    FakeFileSystem fileSystem;
    AddWideTree(fileSystem);
    std::promise<void> finished;
    std::future<void> done = finished.get_future();
    std::thread rounds([&] {
        for (int round = 0; round < 300; ++round) {
            const std::size_t budget = 1 + static_cast<std::size_t>(round % 3);
            ReadAhead readAhead(ReadAheadSettings{6, budget}, '\\');
            const std::size_t before = fileSystem.opened.size();
            std::unique_ptr<Folder> root =
                readAhead.Start(fileSystem.GetFolder(fileSystem.RootPath()));
            // Every other round, once the budget is read: the threads wait for work.
            while (round % 2 == 0 && OpenedSoFar(fileSystem) < before + 1 + budget) {
                std::this_thread::yield();
            }
            readAhead.Cancel();
            root.reset();
        }
        finished.set_value();
    });
    if (done.wait_for(std::chrono::minutes(2)) != std::future_status::ready) {
        rounds.detach();
        FAIL() << "a thread read ahead still waits after Cancel";
    }
    rounds.join();
}

} // namespace
