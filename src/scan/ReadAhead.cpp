#include "scan/ReadAhead.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {

enum class NodeState {
    Reading, // by a thread, or by the walk itself
    Listed,  // read ahead, waiting for the walk
    Failed,  // a thread's reading failed: the walk reads it again itself
    Walked,  // taken by the walk
};

} // namespace

// The subfolders of a folder that were handed out or taken, by index: a vector taken from
// the front. (std::deque allocates a block even while empty, for every folder.)
class ReadAhead::ChildList {
  public:
    using Item = std::shared_ptr<Node>;

    bool empty() const { return head_ == items_.size(); }
    const Item& front() const { return items_[head_]; }
    const Item& back() const { return items_.back(); }
    auto begin() const { return items_.begin() + static_cast<std::ptrdiff_t>(head_); }
    auto end() const { return items_.end(); }

    void push_back(Item item) { items_.push_back(std::move(item)); }
    void push_front(Item item) {
        if (head_ > 0) {
            items_[--head_] = std::move(item);
        } else {
            items_.insert(items_.begin(), std::move(item));
        }
    }
    Item pop_front() {
        Item item = std::move(items_[head_++]);
        if (head_ * 2 >= items_.size()) {
            items_.erase(items_.begin(), begin());
            head_ = 0;
        }
        return item;
    }
    Item pop_back() {
        Item item = std::move(items_.back());
        items_.pop_back();
        return item;
    }
    void erase(const Node* node) {
        for (auto at = begin(); at != end(); ++at) {
            if (at->get() == node) {
                items_.erase(at);
                return;
            }
        }
    }
    std::vector<Item> TakeAll() {
        std::vector<Item> all(std::make_move_iterator(begin()), std::make_move_iterator(end()));
        items_.clear();
        head_ = 0;
        return all;
    }

  private:
    std::vector<Item> items_;
    std::size_t head_ = 0;
};

// One folder the read-ahead knows of. Its parent owns it until the walk passes it.
struct ReadAhead::Node {
    Node(Node* parentNode, std::size_t indexInParent)
        : parent(parentNode), index(indexInParent), depth(parentNode ? parentNode->depth + 1 : 0) {}

    // Releases a deep subtree one level after the other instead of by nested destructors.
    ~Node() {
        std::vector<std::shared_ptr<Node>> rest = children.TakeAll();
        while (!rest.empty()) {
            std::shared_ptr<Node> node = std::move(rest.back());
            rest.pop_back();
            if (node.use_count() == 1) {
                for (std::shared_ptr<Node>& child : node->children.TakeAll()) {
                    rest.push_back(std::move(child));
                }
            }
        }
    }

    const std::string& Name(std::size_t at) const { return (*listing.names)[at]; }
    std::size_t SubFolders() const { return listing.names ? listing.names->size() : 0; }

    Node* const parent;
    const std::size_t index; // among the parent's subfolders
    const std::size_t depth;
    NodeState state = NodeState::Reading;
    bool dropped = false; // the walk will never take it
    // A subfolder of it was opened: a change made there (one that vanished, say) could show
    // if it were read again, so it is never evicted.
    bool openedBelow = false;
    std::optional<std::set<Node*, ByNextRead>::iterator> queued;
    // Its neighbours in the list of folders held (handed out, not yet taken), in place order.
    bool held = false;
    Node* heldBefore = nullptr;
    Node* heldAfter = nullptr;
    // Kept while the walk may still open subfolders of it.
    std::shared_ptr<Folder> folder;
    FolderListing listing;
    // Subfolders handed out or taken, by index, that the walk has not passed yet.
    ChildList children;
    std::size_t nextRead = 0;   // the next subfolder to hand out
    std::size_t nextWalked = 0; // where the walk's next subfolder is looked up
};

// A place in the walk's depth-first order: the subfolder `index` of `parent`.
struct ReadAhead::Place {
    const Node* parent;
    std::size_t index;
    std::size_t depth; // of that subfolder

    static Place Of(const Node& node) { return {node.parent, node.index, node.depth}; }
    static Place NextRead(const Node& node) { return {&node, node.nextRead, node.depth + 1}; }
    Place Up() const { return {parent->parent, parent->index, depth - 1}; }

    // True when the walk reaches `a` before `b`: a folder before what lies below it, and a
    // folder's whole subtree before its next sibling.
    static bool Precedes(Place a, Place b) {
        Place x = a;
        Place y = b;
        while (x.depth > y.depth) {
            x = x.Up();
        }
        while (y.depth > x.depth) {
            y = y.Up();
        }
        if (x.parent == y.parent && x.index == y.index) {
            return a.depth < b.depth;
        }
        while (x.parent != y.parent) {
            x = x.Up();
            y = y.Up();
        }
        return x.index < y.index;
    }
};

bool ReadAhead::ByNextRead::operator()(const Node* a, const Node* b) const {
    return Place::Precedes(Place::NextRead(*a), Place::NextRead(*b));
}

// What the walk holds of a folder: answers from its listing, and its subfolders through
// the read-ahead.
class ReadAhead::WalkFolder final : public Folder {
  public:
    WalkFolder(ReadAhead& readAhead, std::shared_ptr<Node> node)
        : readAhead_(readAhead), node_(std::move(node)) {}
    ~WalkFolder() override { readAhead_.Leave(*node_); }

    // The walk builds its own paths; this one is made only when asked.
    const std::string& Path() const override {
        if (path_.empty()) {
            if (node_->folder || !node_->parent) {
                path_ = node_->folder->Path();
            } else {
                path_ = node_->parent->folder->Path();
                if (path_.empty() || path_.back() != readAhead_.separator_) {
                    path_ += readAhead_.separator_;
                }
                path_ += node_->parent->Name(node_->index);
            }
        }
        return path_;
    }

    std::optional<std::size_t> FilesCount() override { return node_->listing.files; }
    std::optional<std::size_t> SubFoldersCount() override { return node_->listing.subFolders; }
    std::optional<std::vector<std::string>> SubFolderNames() override {
        return node_->listing.names;
    }

    std::optional<std::uint32_t> SubFolderAttributes(std::string_view name) override {
        std::optional<std::size_t> at = Find(name);
        const auto& attributes = node_->listing.attributes;
        if (at && *at < attributes.size() && attributes[*at]) {
            return attributes[*at];
        }
        // Not read ahead, or its reading failed: the walk reads it itself.
        return node_->folder ? node_->folder->SubFolderAttributes(name) : std::nullopt;
    }

    std::unique_ptr<Folder> OpenSubFolder(std::string_view name) override {
        std::optional<std::size_t> at = Find(name);
        if (!at) {
            return node_->folder ? node_->folder->OpenSubFolder(name) : nullptr;
        }
        return readAhead_.Take(node_, *at, name);
    }

  private:
    // The walk asks for subfolders in enumeration order, so the search starts at the one
    // after the last it opened.
    std::optional<std::size_t> Find(std::string_view name) const {
        std::size_t count = node_->SubFolders();
        for (std::size_t step = 0; step < count; ++step) {
            std::size_t at = (node_->nextWalked + step) % count;
            if (node_->Name(at) == name) {
                return at;
            }
        }
        return std::nullopt;
    }

    ReadAhead& readAhead_;
    std::shared_ptr<Node> node_;
    mutable std::string path_;
};

ReadAhead::ReadAhead(ReadAheadSettings settings, char separator)
    : settings_(std::move(settings)), budget_(std::max<std::size_t>(settings_.budget, 1)),
      separator_(separator) {}

ReadAhead::~ReadAhead() {
    Cancel();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

std::unique_ptr<Folder> ReadAhead::Start(std::unique_ptr<Folder> root) {
    FolderListing listing = ReadListing(*root, readOnlyOption_ != 1, cancelled_);
    root_ = std::make_shared<Node>(nullptr, 0);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Keep(*root_, root, std::move(listing));
        root_->state = NodeState::Walked;
    }
    if (root) {
        root_->folder = std::move(root); // for its Path()
    }
    if (root_->SubFolders() > 0) {
        for (unsigned count = 0; count < settings_.threads; ++count) {
            threads_.emplace_back([this] { Work(); });
        }
    }
    return std::make_unique<WalkFolder>(*this, root_);
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
    Leftovers leftovers;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (!cancelled_ && !CanHandOut()) {
            if (!leftovers.Empty()) {
                lock.unlock();
                leftovers = {};
                lock.lock();
                continue;
            }
            CountWaiting(true);
            workToDo_.wait(lock, [this] { return cancelled_ || CanHandOut(); });
            CountWaiting(false);
        }
        if (cancelled_) {
            return;
        }
        ReadNext(lock, leftovers);
    }
}

// Hands out the next folder to read and reads it without the lock. What the reading before
// left is released meanwhile; what this one leaves (a folder without subfolders, a listing
// dropped meanwhile) is kept for the next turn, so that nothing is released under the lock.
void ReadAhead::ReadNext(std::unique_lock<std::mutex>& lock, Leftovers& leftovers) {
    std::shared_ptr<Node> node = HandOut();
    std::shared_ptr<Folder> parent = node->parent->folder;
    std::string name = node->parent->Name(node->index);
    bool withAttributes = readOnlyOption_ != 1;
    WakeThread();
    lock.unlock();

    leftovers = {};
    std::unique_ptr<Folder> folder = parent->OpenSubFolder(name);
    FolderListing listing;
    if (folder) {
        listing = ReadListing(*folder, withAttributes, cancelled_);
    }
    parent.reset();

    lock.lock();
    Settle(node, folder, std::move(listing));
    if (walkWaitsFor_ == node.get()) {
        listingReady_.notify_one();
    }
    WakeThread();
    leftovers.node = std::move(node);
    leftovers.folder = std::move(folder);
}

bool ReadAhead::CanHandOut() const {
    if (queue_.empty()) {
        return false;
    }
    if (heldCount_ < budget_) {
        return true;
    }
    // Full: a folder the walk reaches earlier may take the place of the last one listed.
    const Node* last = heldLast_;
    return last->state == NodeState::Listed && !last->openedBelow &&
           Place::Precedes(Place::NextRead(**queue_.begin()), Place::Of(*last));
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
    parent.children.push_back(child);
    parent.openedBelow = true;
    parent.nextRead = NextToRead(parent, parent.nextRead + 1);
    if (parent.nextRead < parent.SubFolders()) {
        parent.queued = queue_.insert(std::move(entry)).position;
    }
    Hold(*child);
    return child;
}

// Forgets the last folder listed, and any later sibling of it handed out (none of them is
// held, since it is the last), so that it is read again when its turn comes.
void ReadAhead::Evict(Node& last) {
    Node& parent = *last.parent;
    std::size_t index = last.index;
    while (!parent.children.empty() && parent.children.back()->index >= index) {
        Drop(*parent.children.pop_back());
    }
    Unqueue(parent);
    parent.nextRead = NextToRead(parent, index);
    Queue(parent);
}

void ReadAhead::Settle(const std::shared_ptr<Node>& node, std::unique_ptr<Folder>& folder,
                       FolderListing&& listing) {
    if (node->dropped) {
        return;
    }
    if (folder && listing.Readable()) {
        Keep(*node, folder, std::move(listing));
        node->state = NodeState::Listed;
        return;
    }
    Unhold(*node);
    node->state = NodeState::Failed;
    node->parent->children.erase(node.get());
}

// Takes the listing, and the folder when the walk may still open subfolders of it.
void ReadAhead::Keep(Node& node, std::unique_ptr<Folder>& folder, FolderListing&& listing) {
    node.listing = std::move(listing);
    // A folder without subfolders needs its folder no more (on Linux: its descriptor).
    if (node.SubFolders() > 0) {
        node.folder = std::move(folder);
    }
    node.nextRead = NextToRead(node, 0);
    Queue(node);
}

std::unique_ptr<Folder> ReadAhead::Take(const std::shared_ptr<Node>& parentNode, std::size_t index,
                                        std::string_view name) {
    Node& parent = *parentNode;
    std::vector<std::shared_ptr<Node>> passed; // released after the lock
    Leftovers leftovers;                       // likewise
    std::unique_lock<std::mutex> lock(mutex_);
    // The walk has passed the subfolders before this one for good.
    while (!parent.children.empty() && parent.children.front()->index < index) {
        passed.push_back(parent.children.pop_front());
        Drop(*passed.back());
    }
    parent.nextWalked = index + 1;
    std::shared_ptr<Node> child;
    if (!parent.children.empty() && parent.children.front()->index == index) {
        child = parent.children.front();
    }
    // While a thread reads it, the walk reads what waits for a thread rather than sleep.
    while (child && child->state == NodeState::Reading && !cancelled_ && CanHandOut()) {
        ReadNext(lock, leftovers);
    }
    if (child && child->state == NodeState::Reading) {
        walkWaitsFor_ = child.get();
        listingReady_.wait(lock, [&] { return child->state != NodeState::Reading; });
        walkWaitsFor_ = nullptr;
    }
    if (!child || child->state == NodeState::Failed) {
        return ReadForWalk(parent, index, name, lock);
    }
    Unhold(*child);
    child->state = NodeState::Walked;
    WakeThread();
    return std::make_unique<WalkFolder>(*this, std::move(child));
}

// Reads a subfolder that no thread has read, on the walk's own thread, as the walk would
// without read-ahead; its subfolders are then read ahead.
std::unique_ptr<Folder> ReadAhead::ReadForWalk(Node& parent, std::size_t index,
                                               std::string_view name,
                                               std::unique_lock<std::mutex>& lock) {
    auto child = std::make_shared<Node>(&parent, index);
    parent.children.push_front(child);
    if (parent.nextRead <= index) {
        Unqueue(parent);
        parent.nextRead = NextToRead(parent, index + 1);
        Queue(parent);
    }
    bool withAttributes = readOnlyOption_ != 1;
    lock.unlock();
    std::unique_ptr<Folder> folder = parent.folder->OpenSubFolder(name);
    FolderListing listing;
    if (folder) {
        listing = ReadListing(*folder, withAttributes, cancelled_);
    }
    lock.lock();
    if (!folder) {
        parent.children.pop_front();
        return nullptr;
    }
    Keep(*child, folder, std::move(listing));
    child->state = NodeState::Walked;
    WakeThread(true);
    return std::make_unique<WalkFolder>(*this, std::move(child));
}

// The walk is done with the folder: nothing below it will be asked for again.
void ReadAhead::Leave(Node& node) {
    if (node.SubFolders() == 0) {
        return; // nothing below it was ever handed out
    }
    std::vector<std::shared_ptr<Node>> passed;
    std::shared_ptr<Folder> folder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        passed = node.children.TakeAll();
        for (const std::shared_ptr<Node>& child : passed) {
            Drop(*child);
        }
        Unqueue(node);
        folder = std::move(node.folder);
        WakeThread();
    }
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
    if (!node.dropped && !node.queued && node.nextRead < node.SubFolders()) {
        node.queued = queue_.insert(&node).first;
    }
}

void ReadAhead::Unqueue(Node& node) {
    if (node.queued) {
        queue_.erase(*node.queued);
        node.queued.reset();
    }
}

// Puts a folder handed out into the list of folders held, at its place. Mostly that is the
// last place, so the search starts there.
void ReadAhead::Hold(Node& node) {
    Node* before = heldLast_;
    while (before && Place::Precedes(Place::Of(node), Place::Of(*before))) {
        before = before->heldBefore;
    }
    Node* after = before ? before->heldAfter : heldFirst_;
    node.heldBefore = before;
    node.heldAfter = after;
    (before ? before->heldAfter : heldFirst_) = &node;
    (after ? after->heldBefore : heldLast_) = &node;
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

// The first subfolder from `from` on worth reading ahead. While the option is not 1, the
// walk skips the read-only subfolders of a folder without files, and ends that folder's
// scan at one whose attributes cannot be read.
std::size_t ReadAhead::NextToRead(const Node& node, std::size_t from) const {
    const FolderListing& listing = node.listing;
    std::size_t count = node.SubFolders();
    if (listing.files != 0u || readOnlyOption_ == 1 || listing.attributes.size() != count) {
        return from;
    }
    for (; from < count; ++from) {
        const std::optional<std::uint32_t>& attributes = listing.attributes[from];
        if (!attributes) {
            return count;
        }
        if (!(*attributes & FolderAttributeReadOnly)) {
            break;
        }
    }
    return from;
}

void ReadAhead::CountWaiting(bool waiting) {
    waitingThreads_ = waiting ? waitingThreads_ + 1 : waitingThreads_ - 1;
    ReportIdle(false);
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

void ReadAhead::ReportIdle(bool urgent) {
    if (settings_.onIdle) {
        settings_.onIdle(waitingThreads_ == settings_.threads && !ThreadWanted(urgent));
    }
}
