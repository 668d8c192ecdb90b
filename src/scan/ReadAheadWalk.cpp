// The walk's side of the read-ahead: the Folder objects the walk holds, which answer from
// what the threads read, and read for themselves what no thread has.

#include "scan/ReadAhead.h"

using read_ahead::NodeState;

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
    std::size_t JunkFilesCount() override { return node_->listing.junkFiles; }
    std::optional<std::size_t> SubFoldersCount() override { return node_->listing.subFolders; }
    std::optional<std::vector<std::string>> SubFolderNames() override {
        return node_->listing.names;
    }

    std::optional<std::uint32_t> SubFolderAttributes(std::string_view name) override {
        std::optional<std::size_t> at = Find(name);
        if (!at) {
            return node_->folder ? node_->folder->SubFolderAttributes(name) : std::nullopt;
        }
        return readAhead_.Attributes(*node_, *at, name);
    }

    OpenedSubFolder OpenSubFolder(std::string_view name) override {
        std::optional<std::size_t> at = Find(name);
        if (!at) {
            return node_->folder ? node_->folder->OpenSubFolder(name) : OpenedSubFolder{};
        }
        return readAhead_.Take(node_, *at, name);
    }

    const std::vector<std::string>& Excluded() const { return node_->listing.excluded; }

    // Known while its folder is kept: always for the root.
    std::shared_ptr<const HeldRoot> HoldRoot() const override {
        return node_->folder ? node_->folder->HoldRoot() : nullptr;
    }

    // The walk asks this of a folder it holds a frame for, whose folder is kept.
    bool WalkRanShort() const override { return node_->folder && node_->folder->WalkRanShort(); }

  private:
    // The walk asks for subfolders in the listing's order, so the search starts at the one
    // after the last it opened.
    std::optional<std::size_t> Find(std::string_view name) const {
        std::size_t count = node_->listing.NameCount();
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

std::vector<std::string> ReadAhead::ExcludedNames(const Folder& folder) {
    const auto* handedOut = dynamic_cast<const WalkFolder*>(&folder);
    return handedOut ? handedOut->Excluded() : std::vector<std::string>();
}

std::unique_ptr<Folder> ReadAhead::Start(std::unique_ptr<Folder> root) {
    ListingRules::ExclusionState exclusions =
        rules_ ? rules_->RootState() : ListingRules::ExclusionState();
    FolderListing listing = ReadListing(*root, {rules_, &exclusions});
    root_ = std::make_shared<Node>(nullptr, 0);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Keep(*root_, root, std::move(listing), std::move(exclusions));
        root_->state = NodeState::Walked;
    }
    if (root) {
        root_->folder = std::move(root); // for its path and identity
    }
    if (root_->listing.NameCount() > 0) {
        StartThreads();
    }
    return std::make_unique<WalkFolder>(*this, root_);
}

// The walk's folders become nodes as if their listings had been read ahead and taken:
// each one above the innermost has the next one as its subfolder under way.
std::vector<std::unique_ptr<Folder>> ReadAhead::Adopt(std::vector<WalkedFolder> walked) {
    std::vector<std::unique_ptr<Folder>> folders;
    folders.reserve(walked.size());
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Node* parent = nullptr;
        for (std::size_t level = 0; level < walked.size(); ++level) {
            WalkedFolder& folder = walked[level];
            auto node = std::make_shared<Node>(parent, parent ? walked[level - 1].next : 0);
            node->listing.files = folder.holdsFiles ? 1 : 0;
            node->listing.subFolders = folder.names.size();
            node->listing.names = std::move(folder.names);
            node->folder = std::move(folder.folder);
            node->exclusions = std::move(folder.exclusions);
            node->state = NodeState::Walked;
            const bool innermost = level + 1 == walked.size();
            node->nextRead = folder.next + (innermost ? 0 : 1);
            node->nextWalked = node->nextRead;
            node->openedBelow = !innermost;
            if (parent) {
                parent->children.push_back(node);
            } else {
                root_ = node;
            }
            Queue(*node);
            folders.push_back(std::make_unique<WalkFolder>(*this, node));
            parent = node.get();
        }
    }
    StartThreads();
    return folders;
}

// The subfolder `index` of `parent` once no thread reads it any more, or nullptr when none
// was handed out. The subfolders before it are passed for good: what was read of them goes.
// While a thread reads it, the walk reads what waits for a thread rather than sleep.
std::shared_ptr<ReadAhead::Node> ReadAhead::Reach(Node& parent, std::size_t index,
                                                  std::unique_lock<std::mutex>& lock,
                                                  std::vector<std::shared_ptr<Node>>& passed,
                                                  Batch& batch) {
    while (!parent.children.empty() && parent.children.front()->index < index) {
        passed.push_back(parent.children.pop_front());
        Drop(*passed.back());
    }
    if (parent.children.empty() || parent.children.front()->index != index) {
        return nullptr;
    }
    std::shared_ptr<Node> child = parent.children.front();
    if (child->state == NodeState::Reading) {
        handedOutSinceWalkWaited_ = 0; // the walk waits
    }
    while (child->state == NodeState::Reading && !cancelled_ && CanHandOut()) {
        ReadNext(lock, batch, 1);
    }
    if (child->state == NodeState::Reading) {
        walkWaitsFor_ = child.get();
        listingReady_.wait(lock, [&] { return child->state != NodeState::Reading; });
        walkWaitsFor_ = nullptr;
    }
    return child;
}

// A thread that handed the subfolder out read its attributes before opening it. Otherwise
// the walk reads them itself, and keeps the subfolder from the threads, so that nobody
// opens it before: the walk reads it itself too.
std::optional<std::uint32_t> ReadAhead::Attributes(Node& parent, std::size_t index,
                                                   std::string_view name) {
    std::vector<std::shared_ptr<Node>> passed; // released after the lock
    Batch batch;                               // likewise
    std::unique_lock<std::mutex> lock(mutex_);
    std::shared_ptr<Node> child = Reach(parent, index, lock, passed, batch);
    if (child && child->attributesRead) {
        return child->attributes;
    }
    if (!child) {
        child = Claim(parent, index);
    }
    lock.unlock();
    std::optional<std::uint32_t> attributes = parent.folder->SubFolderAttributes(name);
    lock.lock();
    child->attributesRead = true;
    child->attributes = attributes;
    return attributes;
}

OpenedSubFolder ReadAhead::Take(const std::shared_ptr<Node>& parentNode, std::size_t index,
                                std::string_view name) {
    Node& parent = *parentNode;
    std::vector<std::shared_ptr<Node>> passed; // released after the lock
    Batch batch;                               // likewise
    std::unique_lock<std::mutex> lock(mutex_);
    std::shared_ptr<Node> child = Reach(parent, index, lock, passed, batch);
    parent.nextWalked = index + 1;
    if (!child || child->state == NodeState::Failed) {
        return ReadForWalk(parent, std::move(child), index, name, lock);
    }
    Unhold(*child);
    child->state = NodeState::Walked;
    WakeThread();
    return {std::make_unique<WalkFolder>(*this, std::move(child))};
}

// Reads a subfolder that no thread has read, or whose reading failed, on the walk's own
// thread, as the walk would without read-ahead; its subfolders are then read ahead.
OpenedSubFolder ReadAhead::ReadForWalk(Node& parent, std::shared_ptr<Node> child, std::size_t index,
                                       std::string_view name, std::unique_lock<std::mutex>& lock) {
    if (!child) {
        child = Claim(parent, index);
    }
    handedOutSinceWalkWaited_ = 0; // no thread was ahead of the walk here
    child->state = NodeState::Reading;
    lock.unlock();
    OpenedSubFolder opened = parent.folder->OpenSubFolder(name);
    FolderListing listing;
    ListingRules::ExclusionState exclusions;
    if (opened.folder) {
        exclusions = SubFolderExclusions(parent.exclusions, name);
        listing = ReadListing(*opened.folder, {rules_, &exclusions});
    }
    lock.lock();
    if (!opened.folder) {
        parent.children.pop_front();
        return opened;
    }
    Keep(*child, opened.folder, std::move(listing), std::move(exclusions));
    child->state = NodeState::Walked;
    WakeThread(true);
    return {std::make_unique<WalkFolder>(*this, std::move(child))};
}

// Makes the subfolder `index` of `parent`, which no thread handed out, one that the walk
// reads itself.
std::shared_ptr<ReadAhead::Node> ReadAhead::Claim(Node& parent, std::size_t index) {
    auto child = std::make_shared<Node>(&parent, index);
    child->state = NodeState::Failed;
    parent.children.push_front(child);
    if (parent.nextRead <= index) {
        Unqueue(parent);
        parent.nextRead = index + 1;
        Queue(parent);
    }
    return child;
}

// The walk is done with the folder: nothing below it will be asked for again.
void ReadAhead::Leave(Node& node) {
    if (node.listing.NameCount() == 0) {
        return; // nothing below it was ever handed out
    }
    std::vector<std::shared_ptr<Node>> passed; // released after the lock
    std::shared_ptr<Folder> folder;            // likewise
    std::lock_guard<std::mutex> lock(mutex_);
    passed = node.children.TakeAll();
    for (const std::shared_ptr<Node>& child : passed) {
        Drop(*child);
    }
    Unqueue(node);
    folder = std::move(node.folder);
    WakeThread();
}
