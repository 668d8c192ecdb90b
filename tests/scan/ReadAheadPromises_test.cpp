// What the read-ahead promises besides the walk's rows: it reads ahead at all, the folders
// the walk reaches first first, never more than its budget, and Cancel ends every thread.
// Names sort as they were added, so the walk's order is the same however it sorts them.

#include "scan/ScanRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
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
// the first ones it will reach, each once; none of the rest is read. One thread only: while
// one reads a folder, another hands out the next sibling, whose subtree the walk reaches
// after the folder's.
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
        const Scanned scanned = ScanFake(fileSystem, walk.host, settings);
        EXPECT_EQ(scanned.rows.size(), 8u);

        std::multiset<std::string> expected{fileSystem.RootPath()};
        expected.insert(order.begin(), order.begin() + std::min(budget, order.size()));
        EXPECT_EQ(std::multiset<std::string>(opened.begin(), opened.end()), expected)
            << "budget " << budget;
        // What it keeps open for the walk, it read for it (a folder without subfolders
        // keeps only its listing).
        EXPECT_TRUE(std::includes(expected.begin(), expected.end(), live.begin(), live.end()));
    }
}

// Wherever the walk is, the folders open at once stay within the walk's own, the budget and
// one a thread reads.
TEST(ReadAhead, NeverHoldsMoreThanItsBudget) {
    for (std::size_t budget : {1u, 3u, 8u}) {
        for (unsigned threads : {2u, 5u}) {
            FakeFileSystem fileSystem;
            AddWideTree(fileSystem);
            fileSystem.Add("h/e/deeper/still/");
            ReadAheadSettings settings{threads, budget};
            FakeScanHost host;
            host.onDoEvents = [] { std::this_thread::yield(); };
            EXPECT_EQ(ScanFake(fileSystem, host, settings).rows.size(), 8u);
            // The walk holds at most the root, a folder, its subfolder and the one it opens.
            EXPECT_LE(fileSystem.peakLiveFolders, static_cast<int>(4 + budget + threads))
                << threads << " threads, budget " << budget;
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
    ReadAheadSettings settings{threads, 64};
    WalkHeldUntilIdle walk(settings, true);
    EXPECT_EQ(ScanFake(fileSystem, walk.host, settings).rows.size(), 20u * 5u);
    // Besides: the walk's path (the root, w, x) and the folder it opens.
    EXPECT_LE(fileSystem.peakLiveFolders, 4 + static_cast<int>(*fileSystem.spareOpenFolders));
}

// On a slow file system the threads read several folders at once where the walk alone reads
// one at a time: the default starts them once it finds the readings slow. (No clock is
// asked: the openings under way at once are counted.)
TEST(ReadAhead, ReadsSeveralFoldersAtOnceOnASlowFileSystem) {
    for (bool alone : {true, false}) {
        FakeFileSystem fileSystem;
        AddWideTree(fileSystem);
        fileSystem.latency = std::chrono::microseconds(500);
        FakeScanHost host;
        const Scanned scanned = ScanFake(fileSystem, host, alone ? WalkAlone : ReadAheadSettings{});
        FakeScanHost plainHost;
        EXPECT_EQ(scanned, ScanFake(fileSystem, plainHost, WalkAlone));
        EXPECT_EQ(fileSystem.peakOpenings > 1, !alone) << fileSystem.peakOpenings << " at once";
    }
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
