#include "scan/ReadAheadTree.h"

namespace read_ahead {

bool ByNextRead::operator()(const Node* a, const Node* b) const {
    return Precedes(Place::NextRead(*a), Place::NextRead(*b));
}

void ChildList::push_front(Item item) {
    if (head_ > 0) {
        items_[--head_] = std::move(item);
    } else {
        items_.insert(items_.begin(), std::move(item));
    }
}

ChildList::Item ChildList::pop_front() {
    Item item = std::move(items_[head_++]);
    if (head_ * 2 >= items_.size()) {
        items_.erase(items_.begin(), begin());
        head_ = 0;
    }
    return item;
}

ChildList::Item ChildList::pop_back() {
    Item item = std::move(items_.back());
    items_.pop_back();
    return item;
}

std::vector<ChildList::Item> ChildList::TakeAll() {
    std::vector<Item> all(std::make_move_iterator(begin()), std::make_move_iterator(end()));
    items_.clear();
    head_ = 0;
    return all;
}

// Releases a deep subtree one level after the other instead of by nested destructors.
Node::~Node() {
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

bool Precedes(Place a, Place b) {
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

} // namespace read_ahead
