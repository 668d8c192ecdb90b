#pragma once

// The folders ReadAhead knows of, and their order: the inner parts of ReadAhead.

#include "platform/FileSystem.h"
#include "scan/FolderListing.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace read_ahead {

struct Node;

// Orders folders with subfolders left to read by the place, in the walk's order, of the
// next one.
struct ByNextRead {
    bool operator()(const Node* a, const Node* b) const;
};

// The subfolders of a folder that were handed out or taken, by index: a vector taken from
// the front. (std::deque allocates a block even while empty, for every folder.)
class ChildList {
  public:
    using Item = std::shared_ptr<Node>;

    bool empty() const { return head_ == items_.size(); }
    const Item& front() const { return items_[head_]; }
    const Item& back() const { return items_.back(); }
    auto begin() const { return items_.begin() + static_cast<std::ptrdiff_t>(head_); }
    auto end() const { return items_.end(); }

    void push_back(Item item) { items_.push_back(std::move(item)); }
    void push_front(Item item);
    Item pop_front();
    Item pop_back();
    std::vector<Item> TakeAll();

  private:
    std::vector<Item> items_;
    std::size_t head_ = 0;
};

enum class NodeState {
    Reading, // by a thread, or by the walk itself
    Listed,  // read ahead, waiting for the walk
    Failed,  // not opened, or its reading failed: the walk reads it again itself
    Walked,  // taken by the walk
};

// One folder the read-ahead knows of. Its parent owns it until the walk passes it.
struct Node {
    Node(Node* parentNode, std::size_t indexInParent)
        : parent(parentNode), index(indexInParent), depth(parentNode ? parentNode->depth + 1 : 0) {}
    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    const std::string& Name(std::size_t at) const { return (*listing.names)[at]; }

    Node* const parent;
    const std::size_t index; // among the parent's subfolders
    const std::size_t depth;
    NodeState state = NodeState::Reading;
    bool dropped = false; // the walk will never take it
    // A subfolder of it was opened: a change made there (one that vanished, say) could show
    // if it were read again, so it is never evicted.
    bool openedBelow = false;
    // Its attribute bits, read just before it was opened where the walk tests them.
    bool attributesRead = false;
    std::optional<std::uint32_t> attributes;
    // Kept while the walk may still open subfolders of it.
    std::shared_ptr<Folder> folder;
    FolderListing listing;
    ListingRules::ExclusionState exclusions; // where they stand at it, for its subfolders
    // Subfolders handed out or taken, by index, that the walk has not passed yet.
    ChildList children;
    std::size_t nextRead = 0;   // the next subfolder to hand out
    std::size_t nextWalked = 0; // where the walk's next subfolder is looked up
    // In the queue of folders with subfolders left to read.
    std::optional<std::set<Node*, ByNextRead>::iterator> queued;
    // In the list of folders held (handed out, not yet taken), in the order handed out.
    bool held = false;
    Node* heldBefore = nullptr;
    Node* heldAfter = nullptr;
};

// A place in the walk's depth-first order: the subfolder `index` of `parent`.
struct Place {
    const Node* parent;
    std::size_t index;
    std::size_t depth; // of that subfolder

    static Place Of(const Node& node) { return {node.parent, node.index, node.depth}; }
    static Place NextRead(const Node& node) { return {&node, node.nextRead, node.depth + 1}; }
    Place Up() const { return {parent->parent, parent->index, depth - 1}; }
};

// True when the walk reaches `a` before `b`: a folder before what lies below it, and a
// folder's whole subtree before its next sibling.
bool Precedes(Place a, Place b);

} // namespace read_ahead
