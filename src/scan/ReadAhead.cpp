// The threads' side of the read-ahead: what they read, in which order, and within which
// budget. The walk's side is in ReadAheadWalk.cpp.

#include "scan/ReadAhead.h"

#include <algorithm>
#include <new>
#include <system_error>

using read_ahead::NodeState;
using read_ahead::Place;
using read_ahead::Precedes;

struct ReadAhead::Reading {
    std::shared_ptr<Node> node;
    // The parent may be gone once the lock is let go: what the reading needs of it is copied.
    std::shared_ptr<Folder> parent;
    std::string name;
    ListingRules::ExclusionState exclusions; // at the parent, then at the folder read
    bool openReadOnly = false;
    bool attributesRead = false;
    std::optional<std::uint32_t> attributes;
    std::unique_ptr<Folder> folder; // kept only with subfolders
    bool opened = false;
    FolderListing listing;
};

ReadAhead::Batch::Batch() = default;
ReadAhead::Batch::~Batch() = default;

namespace {

// Reads the subfolder `name` of `parent` as the walk would: where the walk may test its
// attributes (`readAttributes`), those first, and a subfolder the walk will not open
// (one whose attributes cannot be read, or, unless `openReadOnly`, a read-only one) is not
// opened; then its entries.
void Read(Folder& parent, const std::string& name, bool readAttributes, bool openReadOnly,
          const ListingExclusions& exclusions, std::optional<std::uint32_t>& attributes,
          std::unique_ptr<Folder>& folder, FolderListing& listing) {
    // A mount point, like any subfolder not opened, is left to the walk to find again.
    if (readAttributes) {
        TestedSubFolder tested = parent.OpenTestedSubFolder(name, openReadOnly);
        attributes = tested.attributes;
        folder = std::move(tested.opened.folder);
    } else {
        folder = parent.OpenSubFolder(name).folder;
    }
    if (folder) {
        listing = ReadListing(*folder, exclusions);
    }
}

} // namespace

ReadAhead::ReadAhead(ReadAheadSettings settings, char separator, const ListingRules* rules)
    : settings_(std::move(settings)), budget_(std::max<std::size_t>(settings_.budget, 1)),
      separator_(separator), rules_(rules) {}

ReadAhead::~ReadAhead() {
    Cancel();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

// Threads are a help: one the system will not start (memory, a limit on processes) is
// done without, down to none, when the walk reads every folder itself.
// A thread counts as started before it runs: counted after, it could wait (or read) while
// uncounted, and the pool would seem idle too early, or never.
void ReadAhead::StartThreads() {
    try {
        threads_.reserve(settings_.threads); // so that keeping a started thread cannot throw
        for (unsigned count = 0; count < settings_.threads; ++count) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++startedThreads_;
            }
            threads_.push_back(settings_.startThread ? settings_.startThread([this] { Work(); })
                                                     : std::thread([this] { Work(); }));
        }
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (startedThreads_ != threads_.size()) {
        startedThreads_ = static_cast<unsigned>(threads_.size());
        ReportIdle(false);
    }
}

void ReadAhead::NoteReadOnlyOption(int value) {
    readOnlyOption_.store(value, std::memory_order_relaxed);
}

void ReadAhead::Cancel() {
    cancelled_ = true;
    std::lock_guard<std::mutex> lock(mutex_);
    workToDo_.notify_all();
}

void ReadAhead::Work() {
    Batch batch;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (!cancelled_ && !CanHandOut()) {
            if (!batch.leftovers.empty()) {
                lock.unlock();
                batch.leftovers.clear();
                lock.lock();
                continue;
            }
            CountWaiting(true);
            workToDo_.wait(lock, [this] {
                if (cancelled_ || CanHandOut()) {
                    return true;
                }
                // Woken for a folder the walk took meanwhile: all may be waiting again.
                ReportIdle(false);
                return false;
            });
            CountWaiting(false);
        }
        if (cancelled_) {
            return;
        }
        ReadNext(lock, batch, settings_.batch);
    }
}

// Hands out the next subfolders, at most `most`, and reads them without the lock. What the
// turn before left is released meanwhile; what this one leaves (a folder whose listing is
// not kept, a node dropped meanwhile) waits for the next turn, so that nothing is released
// under the lock.
void ReadAhead::ReadNext(std::unique_lock<std::mutex>& lock, Batch& batch, std::size_t most) {
    // The walk tests the attributes of the subfolders of a folder without files, before it
    // opens them, while the option does not let read-only folders count. The option may
    // change meanwhile: they are read whatever it says, always before the opening.
    const bool openReadOnly = readOnlyOption_ == 1;
    for (std::size_t count = BatchSize(most); count > 0 && CanHandOut(); --count) {
        Reading& reading = batch.readings.emplace_back();
        reading.node = HandOut();
        const Node& parent = *reading.node->parent;
        reading.parent = parent.folder;
        reading.name = parent.Name(reading.node->index);
        reading.exclusions = parent.exclusions;
        reading.attributesRead = parent.listing.files == 0u;
        reading.openReadOnly = openReadOnly;
    }
    WakeThread();
    lock.unlock();

    batch.leftovers.clear();
    std::vector<Reading>& readings = batch.readings;
    std::size_t settled = 0;
    for (std::size_t at = 0; at < readings.size(); ++at) {
        // Read even once cancelled: the walk may still take what was handed out before its
        // Stop, which it would have read itself before seeing the Stop, and opens nothing more.
        Reading& reading = readings[at];
        reading.exclusions = SubFolderExclusions(reading.exclusions, reading.name);
        Read(*reading.parent, reading.name, reading.attributesRead, reading.openReadOnly,
             {rules_, &reading.exclusions}, reading.attributes, reading.folder, reading.listing);
        reading.parent.reset();
        reading.opened = reading.folder != nullptr;
        // Without subfolders, nobody needs the folder open: closed here, not under the lock.
        if (reading.listing.NameCount() == 0) {
            reading.folder.reset();
        }
        // The walk already waits for a folder of this batch that is read: what is read so
        // far is handed over at once, not after the rest.
        const Node* waitedFor = walkWaitsFor_.load(std::memory_order_relaxed);
        if (waitedFor && at + 1 < readings.size() &&
            std::any_of(readings.begin() + static_cast<std::ptrdiff_t>(settled),
                        readings.begin() + static_cast<std::ptrdiff_t>(at + 1),
                        [&](const Reading& done) { return done.node.get() == waitedFor; })) {
            lock.lock();
            SettleReadings(readings, settled, at + 1);
            lock.unlock();
            settled = at + 1;
        }
    }
    lock.lock();
    SettleReadings(readings, settled, readings.size());
    WakeThread();
    std::swap(batch.readings, batch.leftovers);
}

void ReadAhead::SettleReadings(std::vector<Reading>& readings, std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to; ++at) {
        Settle(*readings[at].node, readings[at]);
        if (walkWaitsFor_.load(std::memory_order_relaxed) == readings[at].node.get()) {
            listingReady_.notify_one();
        }
    }
}

// One folder a turn while the walk had to wait lately: it may soon wait for any folder
// handed out, and those of one batch are read one after the other. Once the walk has kept
// up for a budget's worth of hand-outs, and the threads are half the budget ahead, a thread
// takes its share of the room left, up to `most`.
std::size_t ReadAhead::BatchSize(std::size_t most) const {
    if (handedOutSinceWalkWaited_ < budget_ || heldCount_ * 2 < budget_ || heldCount_ >= budget_) {
        return 1;
    }
    const std::size_t share = (budget_ - heldCount_) / std::max(startedThreads_, 1u);
    return std::clamp<std::size_t>(share, 1, std::max<std::size_t>(most, 1));
}

bool ReadAhead::CanHandOut() const {
    if (queue_.empty()) {
        return false;
    }
    if (heldCount_ < budget_) {
        return true;
    }
    // Full: a folder the walk reaches earlier may take the place of the last one handed out
    // (which mostly is the one the walk reaches last), once that one is listed.
    const Node* last = heldLast_;
    return last->state == NodeState::Listed && !last->openedBelow &&
           Precedes(Place::NextRead(**queue_.begin()), Place::Of(*last));
}

std::shared_ptr<ReadAhead::Node> ReadAhead::HandOut() {
    if (heldCount_ >= budget_) {
        Evict(*heldLast_);
    }
    Node& parent = **queue_.begin();
    // The parent's entry moves to its next subfolder's place, in the same allocation.
    auto entry = queue_.extract(queue_.begin());
    parent.queued.reset();
    auto child = std::make_shared<Node>(&parent, parent.nextRead);
    ++handedOutSinceWalkWaited_;
    parent.children.push_back(child);
    parent.openedBelow = true;
    if (++parent.nextRead < parent.listing.NameCount()) {
        parent.queued = queue_.insert(std::move(entry)).position;
    }
    Hold(*child);
    return child;
}

// Gives up what was read of a folder, keeping the attributes read before it was opened: the
// walk reads it again itself when it opens it.
void ReadAhead::Evict(Node& last) {
    Unqueue(last);
    Unhold(last);
    last.listing = {};
    last.folder.reset();
    last.state = NodeState::Failed;
}

// A folder not opened, or whose reading failed, stays among its parent's subfolders with
// its attributes: the walk reads it again itself when it opens it.
void ReadAhead::Settle(Node& node, Reading& reading) {
    if (node.dropped) {
        return;
    }
    node.attributesRead = reading.attributesRead;
    node.attributes = reading.attributes;
    if (reading.opened && reading.listing.Readable()) {
        Keep(node, reading.folder, std::move(reading.listing), std::move(reading.exclusions));
        node.state = NodeState::Listed;
    } else {
        Unhold(node);
        node.state = NodeState::Failed;
    }
}

// Takes the listing, and the folder and where the exclusions stand at it when the walk may
// still open subfolders of it.
void ReadAhead::Keep(Node& node, std::unique_ptr<Folder>& folder, FolderListing&& listing,
                     ListingRules::ExclusionState&& exclusions) {
    node.listing = std::move(listing);
    // A folder without subfolders needs its folder no more (on Linux: its descriptor).
    if (node.listing.NameCount() > 0) {
        node.folder = std::move(folder);
        node.exclusions = std::move(exclusions);
    }
    Queue(node);
}

ListingRules::ExclusionState
ReadAhead::SubFolderExclusions(const ListingRules::ExclusionState& folder,
                               std::string_view name) const {
    return rules_ ? rules_->SubFolderState(folder, name) : ListingRules::ExclusionState();
}

// Marks a subtree as never to be taken: it leaves the queue and the budget, and a thread
// still reading in it throws its listing away.
void ReadAhead::Drop(Node& top) {
    std::vector<Node*> pending{&top};
    while (!pending.empty()) {
        Node& node = *pending.back();
        pending.pop_back();
        node.dropped = true;
        Unqueue(node);
        Unhold(node);
        for (const std::shared_ptr<Node>& child : node.children) {
            pending.push_back(child.get());
        }
    }
}

void ReadAhead::Queue(Node& node) {
    if (!node.dropped && !node.queued && node.nextRead < node.listing.NameCount()) {
        node.queued = queue_.insert(&node).first;
    }
}

void ReadAhead::Unqueue(Node& node) {
    if (node.queued) {
        queue_.erase(*node.queued);
        node.queued.reset();
    }
}

void ReadAhead::Hold(Node& node) {
    node.heldBefore = heldLast_;
    node.heldAfter = nullptr;
    (heldLast_ ? heldLast_->heldAfter : heldFirst_) = &node;
    heldLast_ = &node;
    node.held = true;
    ++heldCount_;
}

void ReadAhead::Unhold(Node& node) {
    if (!node.held) {
        return;
    }
    (node.heldBefore ? node.heldBefore->heldAfter : heldFirst_) = node.heldAfter;
    (node.heldAfter ? node.heldAfter->heldBefore : heldLast_) = node.heldBefore;
    node.heldBefore = nullptr;
    node.heldAfter = nullptr;
    node.held = false;
    --heldCount_;
}

// Whether a waiting thread should be woken. While the budget is nearly full a thread is
// woken only for a folder the walk reaches before the last one held, or when the walk had
// to read a folder itself (`urgent`); otherwise the threads sleep until the walk has taken
// a good part of what they read, and then read on in one go rather than one folder for
// each folder the walk takes.
bool ReadAhead::ThreadWanted(bool urgent) const {
    return CanHandOut() && (urgent || heldCount_ + budget_ / 4 <= budget_ || heldCount_ >= budget_);
}

void ReadAhead::WakeThread(bool urgent) {
    if (waitingThreads_ > 0 && ThreadWanted(urgent)) {
        workToDo_.notify_one();
    }
    ReportIdle(urgent);
}

void ReadAhead::CountWaiting(bool waiting) {
    waitingThreads_ = waiting ? waitingThreads_ + 1 : waitingThreads_ - 1;
    ReportIdle(false);
}

void ReadAhead::ReportIdle(bool urgent) {
    if (settings_.onIdle) {
        settings_.onIdle(waitingThreads_ == startedThreads_ && !ThreadWanted(urgent));
    }
}
