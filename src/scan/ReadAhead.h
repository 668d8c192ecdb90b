#pragma once

#include "platform/FileSystem.h"
#include "scan/ReadAheadTree.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>
#include <vector>

// Threads reading ahead of the scan's walk, chosen by measurement on the 200,000-folder tree
// of bench/run on a 2-core machine (bench/threads; figures from a busy machine). Cold cache:
// 2 threads 16.8 s, 4 15.7 s, 8 11.4 s, 16 10.3 s, 32 10.4 s, 64 9.8 s: the disk wants
// many requests at once, but beyond 16 it gains little. Warm cache: the two cores are the
// limit, and each thread more costs CPU time (2 threads 3.1 s of it, 16 3.8 s, 64 4.9 s)
// for the same wall time. 16 takes nearly all of the cold gain for little warm cost.
inline constexpr unsigned DefaultScanThreads = 16;

// As a thread count: DefaultScanThreads, started only once the walk alone finds the file
// system slow (ReadAheadTrigger). An explicit count starts its threads at once.
inline constexpr unsigned AdaptiveScanThreads = 0;

// Listings read ahead and not yet taken by the walk: enough to keep every thread busy,
// while memory (and on Linux the descriptors held open) stays bounded whatever the size
// of the tree.
inline constexpr std::size_t DefaultReadAheadBudget = 1024;

// Folders a thread may take in one turn while the walk keeps up without waiting: one lock
// and one wake-up for them all rather than for each. A thread lists them one after the
// other, so the walk could come to wait for the last of a batch; 8 keeps that short. Each
// may keep its folder open until the turn ends, besides the budget's.
inline constexpr std::size_t DefaultReadAheadBatch = 8;

struct ReadAheadSettings {
    ReadAheadSettings(unsigned threadCount = AdaptiveScanThreads,
                      std::size_t listingBudget = DefaultReadAheadBudget,
                      std::size_t batchSize = DefaultReadAheadBatch)
        : threads(threadCount == AdaptiveScanThreads ? DefaultScanThreads : threadCount),
          budget(listingBudget), batch(batchSize), adaptive(threadCount == AdaptiveScanThreads) {}

    // 1: the walk reads every folder itself and no thread is started.
    unsigned threads;
    std::size_t budget;
    std::size_t batch; // the most folders a thread reads in one turn
    // The walk reads alone until ReadAheadTrigger says the threads would help.
    bool adaptive;
    // For tests: the clock that times the walk's own readings while it reads alone.
    // Empty: std::chrono::steady_clock.
    std::function<std::chrono::steady_clock::time_point()> clock;
    // For tests: told, under the read-ahead's lock, whether every thread waits with nothing
    // it may read, each time that may have changed.
    std::function<void(bool idle)> onIdle;
    // For tests: starts a thread running `work`, or throws as std::thread does when the
    // system will not start one. Empty: std::thread.
    std::function<std::thread(std::function<void()> work)> startThread;
};

// A pool of threads that opens and lists folders ahead of the scan's walk and hands each
// listing over when the walk opens that folder. The walk sees ordinary Folder objects and
// takes every decision itself, on its own thread, in its own order; the threads only read:
// a folder's entries, and before it is opened, where the walk tests it, its attributes.
//
// Order: the threads read the folders the walk will reach first (depth-first order) first.
// Budget: at most `budget` folders are read ahead and wait for the walk; when that is full,
// a folder the walk reaches earlier takes the place of the one handed out last (which the
// walk then reads again itself). The folder the walk opens is always read, by the walk
// itself when no thread has it, so a full budget never blocks it; while a thread reads it,
// the walk reads what waits for a thread. Whatever the walk passes without opening (a
// subfolder it skips, the rest of a folder whose scan ended early) is dropped at once.
// Failures: a thread keeps only listings read without any failure; the walk reads a folder
// that failed again itself, so that every failure is judged as the walk judges it.
// Hand-over: a thread takes one folder a turn, or while the walk keeps up without waiting a
// batch of them (ReadAheadSettings::batch), and hands them over under one lock; a folder the
// walk waits for is handed over as soon as it is read.
class ReadAhead {
  public:
    // `separator`: the file system's path separator. The exclusions of `rules` (none when
    // nullptr) apply to every listing read, so no thread opens an excluded folder.
    ReadAhead(ReadAheadSettings settings, char separator, const ListingRules* rules = nullptr);
    // Cancels and joins the threads.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Takes the root, opened by the walk, lists it on the calling thread and starts the
    // threads below it. Every Folder the result hands out must be gone before this object.
    std::unique_ptr<Folder> Start(std::unique_ptr<Folder> root);

    // One folder of a walk that read alone so far, from the root down to the innermost.
    struct WalkedFolder {
        std::unique_ptr<Folder> folder;
        std::vector<std::string> names; // its subfolders, in the order walked
        // The subfolder the walk examines next; above the innermost folder, the one under
        // way (the next folder of the list).
        std::size_t next = 0;
        bool holdsFiles = false;
        ListingRules::ExclusionState exclusions; // where they stand at it
    };

    // Takes over the folders of a walk that read alone so far and starts the threads below
    // them, as Start does for a root. Returns the folders to walk on with, in the same
    // order; every one must be gone before this object.
    std::vector<std::unique_ptr<Folder>> Adopt(std::vector<WalkedFolder> walked);

    // The value of the read-only option as the walk last read it. While it is not 1, the
    // threads do not open a read-only subfolder of a folder without files: the walk will
    // not either.
    void NoteReadOnlyOption(int value);

    // Ends all reading at once: the walk opens nothing more (it was asked to stop).
    void Cancel();

    // The subfolders an exclusion took out of the listing of `folder`, one this object
    // handed out.
    static std::vector<std::string> ExcludedNames(const Folder& folder);

  private:
    using Node = read_ahead::Node;
    class WalkFolder;

    // What a thread read of one subfolder.
    struct Reading;
    // The folders of one turn, and what the turn before left to release without the lock.
    struct Batch {
        Batch();
        ~Batch();
        std::vector<Reading> readings;
        std::vector<Reading> leftovers;
    };

    // The threads' side (ReadAhead.cpp).
    void StartThreads();
    void Work();
    void ReadNext(std::unique_lock<std::mutex>& lock, Batch& batch, std::size_t most);
    std::size_t BatchSize(std::size_t most) const;
    void SettleReadings(std::vector<Reading>& readings, std::size_t from, std::size_t to);
    bool CanHandOut() const;
    std::shared_ptr<Node> HandOut();
    void Evict(Node& last);
    void Settle(Node& node, Reading& reading);
    void Keep(Node& node, std::unique_ptr<Folder>& folder, FolderListing&& listing,
              ListingRules::ExclusionState&& exclusions);
    ListingRules::ExclusionState SubFolderExclusions(const ListingRules::ExclusionState& folder,
                                                     std::string_view name) const;
    void Drop(Node& node);
    void Queue(Node& node);
    void Unqueue(Node& node);
    void Hold(Node& node);
    void Unhold(Node& node);
    bool ThreadWanted(bool urgent) const;
    void WakeThread(bool urgent = false);
    void CountWaiting(bool waiting);
    void ReportIdle(bool urgent);

    // The walk's side (ReadAheadWalk.cpp).
    std::shared_ptr<Node> Reach(Node& parent, std::size_t index, std::unique_lock<std::mutex>& lock,
                                std::vector<std::shared_ptr<Node>>& passed, Batch& batch);
    std::optional<std::uint32_t> Attributes(Node& parent, std::size_t index, std::string_view name);
    OpenedSubFolder Take(const std::shared_ptr<Node>& parent, std::size_t index,
                         std::string_view name);
    OpenedSubFolder ReadForWalk(Node& parent, std::shared_ptr<Node> child, std::size_t index,
                                std::string_view name, std::unique_lock<std::mutex>& lock);
    std::shared_ptr<Node> Claim(Node& parent, std::size_t index);
    void Leave(Node& node);

    const ReadAheadSettings settings_;
    const std::size_t budget_;
    const char separator_;
    const ListingRules* const rules_;
    std::mutex mutex_;
    std::condition_variable workToDo_;     // threads wait here for a folder to read
    std::condition_variable listingReady_; // the walk waits here for a folder being read
    std::atomic<bool> cancelled_{false};
    std::atomic<int> readOnlyOption_{0};
    std::shared_ptr<Node> root_;
    // Folders with subfolders not yet handed out, by the place of the next one.
    std::set<Node*, read_ahead::ByNextRead> queue_;
    // Folders handed out and not yet taken by the walk, a list in the order handed out.
    Node* heldFirst_ = nullptr;
    Node* heldLast_ = nullptr;
    std::size_t heldCount_ = 0;
    // Written under the lock; a thread reads it without, to hand over early what it read.
    std::atomic<const Node*> walkWaitsFor_{nullptr};
    // Hand-outs since the walk last waited for a folder or read one itself: batches are
    // taken only while the walk keeps up without waiting.
    std::size_t handedOutSinceWalkWaited_ = 0;
    unsigned waitingThreads_ = 0;
    unsigned startedThreads_ = 0;
    std::vector<std::thread> threads_;
};
