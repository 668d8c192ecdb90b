#pragma once

#include "platform/HeldFolders.h"
#include "platform/HeldRoot.h"
#include "platform/HeldTrash.h"
#include "removal/FolderRemovalHook.h"
#include "scan/ListingRules.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A folder tree in memory, held as the real primitives hold one: a held folder stays
// reachable from the folder above it in the walk even once it is moved or deleted (then
// emptied) in the tree. Only a writable folder's entries can be removed; `before` runs
// ahead of every operation, where a test stages a race; `log` records what changed.
class FakeTree {
  public:
    struct Node {
        EntryKind kind = EntryKind::Folder;
        bool mountPoint = false;
        bool writable = true;
        bool denied = false;    // neither opened nor listed nor removed
        bool immutable = false; // its entries are never removed, whatever its bits
        std::uint64_t id = 0;
        std::map<std::string, std::shared_ptr<Node>> children;
    };

    FakeTree() : root(NewNode(EntryKind::Folder)) {}

    bool rootIsFileSystemTop = false; // as the root's hold tells

    std::shared_ptr<Node> NewNode(EntryKind kind) {
        auto node = std::make_shared<Node>();
        node->kind = kind;
        node->id = ++lastId;
        return node;
    }

    // The node at a '/'-separated path below the root; nullptr when there is none.
    std::shared_ptr<Node> At(std::string_view path) const {
        std::shared_ptr<Node> node = root;
        for (std::size_t start = 0; node && start < path.size();) {
            const std::size_t end = std::min(path.find('/', start), path.size());
            auto child = node->children.find(std::string(path.substr(start, end - start)));
            node = child == node->children.end() ? nullptr : child->second;
            start = end + 1;
        }
        return node;
    }
    bool Exists(std::string_view path) const { return At(path) != nullptr; }

    // Adds an entry and the folders on the way to it; a trailing '/' makes a folder.
    std::shared_ptr<Node> Add(std::string path, EntryKind kind = EntryKind::File) {
        if (!path.empty() && path.back() == '/') {
            path.pop_back();
            kind = EntryKind::Folder;
        }
        std::shared_ptr<Node> node = root;
        for (std::size_t start = 0; start <= path.size();) {
            std::size_t end = std::min(path.find('/', start), path.size());
            const bool last = end == path.size();
            std::shared_ptr<Node>& child = node->children[path.substr(start, end - start)];
            if (!child) {
                child = NewNode(last ? kind : EntryKind::Folder);
            }
            node = child;
            start = end + 1;
        }
        return node;
    }
    void Make(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            Add(path);
        }
    }

    // Deletes the entry with everything below it, as remove_all does; what a walk still
    // holds of it stays, empty.
    bool Remove(std::string_view path) {
        std::shared_ptr<Node> node = Detach(path);
        if (node) {
            Empty(*node);
        }
        return node != nullptr;
    }
    // Moves the entry to `to`, a name in the root.
    void Move(std::string_view path, const std::string& to) { root->children[to] = Detach(path); }

    // A trash the fake offers: its entries go to `files`, its records to `records`.
    struct Trash {
        TrashFacts facts;
        FolderStatus readyFailure;
        FolderStatus moveFailure; // what every move answers, when set
        std::shared_ptr<Node> files = std::make_shared<Node>();
        std::map<std::string, std::string> records;
    };

    std::uint64_t lastId = 0;
    std::shared_ptr<Node> root;
    std::map<TrashKind, Trash> trashes; // a kind not here is missing
    std::function<void(std::string_view operation, const std::string& path)> before;
    std::vector<std::string> log; // "descend x/a", "rmdir x", "unlink x/f", "chmod x"
    FolderStatus shortage;        // what the next TakeShortage answers

  private:
    std::shared_ptr<Node> Detach(std::string_view path) {
        const std::size_t slash = path.rfind('/');
        std::shared_ptr<Node> folder =
            slash == std::string_view::npos ? root : At(path.substr(0, slash));
        std::shared_ptr<Node> node = At(path);
        if (folder && node) {
            folder->children.erase(std::string(path.substr(slash + 1)));
        }
        return node;
    }
    static void Empty(Node& node) {
        for (auto& [name, child] : node.children) {
            Empty(*child);
        }
        node.children.clear();
    }
};

// The primitives over a FakeTree, answering as the Linux ones do.
class FakeHeldFolders : public HeldFolders {
  public:
    explicit FakeHeldFolders(FakeTree& tree) : tree_(tree) { levels_.push_back({tree.root, ""}); }

    char Separator() const override { return '/'; }
    std::size_t Depth() const override { return levels_.size() - 1; }

    FolderStatus Descend(const std::string& name) override {
        const std::string path = PathOf(name);
        Before("descend", path);
        std::shared_ptr<FakeTree::Node> child = Child(name);
        FolderStatus status = KindStatus(child.get(), FolderError::NotFolder);
        if (status.Ok() && child->mountPoint) {
            status = {FolderError::MountPoint, {}};
        }
        if (status.Ok()) {
            levels_.push_back({child, path});
            tree_.log.push_back("descend " + path);
        }
        return status;
    }

    void AscendTo(std::size_t depth) override {
        while (levels_.size() > depth + 1) {
            Restore(levels_.back());
            levels_.pop_back();
        }
    }

    FolderStatus ReadCurrent(FolderIdentity& identity,
                             std::optional<std::int64_t>& modified) override {
        identity = FolderIdentity{1, levels_.back().node->id, 0, 0};
        modified = 0; // long ago: no age limit keeps a fake folder
        return {};
    }

    std::optional<std::int64_t> ModifiedTimeOf(const std::string& name) override {
        return Child(name) ? std::optional<std::int64_t>(0) : std::nullopt;
    }

    FolderStatus ForEachEntry(const EachEntry& each) override {
        Before("list", levels_.back().path);
        if (levels_.back().node->denied) {
            return {FolderError::Denied, {}};
        }
        std::vector<std::pair<std::string, EntryKind>> entries;
        for (const auto& [name, child] : levels_.back().node->children) {
            entries.emplace_back(name, child->kind);
        }
        for (const auto& [name, kind] : entries) {
            if (!each(name, kind)) {
                break;
            }
        }
        return {};
    }

    FolderStatus RemoveEmptyFolder(const std::string& name) override {
        return Remove(name, "rmdir", [](const FakeTree::Node* child) {
            FolderStatus status = KindStatus(child, FolderError::NotFolder);
            if (status.Ok() && child->mountPoint) {
                status = {FolderError::InUse, {}};
            } else if (status.Ok() && !child->children.empty()) {
                status = {FolderError::NotEmpty, {}};
            }
            return status;
        });
    }

    FolderStatus DeleteRegularFile(const std::string& name) override {
        return Remove(name, "unlink", [](const FakeTree::Node* child) {
            return !child || child->kind == EntryKind::File
                       ? KindStatus(child, FolderError::None)
                       : FolderStatus{FolderError::NotFile, {}};
        });
    }

    bool AddOwnerWrite() override {
        Level& level = levels_.back();
        Before("chmod", level.path);
        if (level.node->writable || level.node->denied) {
            return false;
        }
        level.node->writable = level.ownerWriteAdded = true;
        tree_.log.push_back("chmod " + level.path);
        return true;
    }

    void RestoreModes() override {
        for (Level& level : levels_) {
            Restore(level);
        }
    }

    FolderStatus TakeShortage() override { return std::exchange(tree_.shortage, FolderStatus{}); }

    FolderStatus CurrentPath(std::string& path) override {
        path = "/fake" + (levels_.back().path.empty() ? "" : "/" + levels_.back().path);
        return {};
    }

    std::unique_ptr<HeldTrash> OpenTrash(TrashKind kind, const std::string& /*homeTrash*/,
                                         FolderStatus& failure) override {
        auto trash = tree_.trashes.find(kind);
        if (trash == tree_.trashes.end()) {
            failure = {FolderError::Gone, {}};
            return nullptr;
        }
        return std::make_unique<FakeHeldTrash>(*this, trash->second);
    }

  private:
    struct Level {
        std::shared_ptr<FakeTree::Node> node;
        std::string path;
        bool ownerWriteAdded = false;
    };

    // A trash of the tree, for entries of the folder current when it was opened.
    class FakeHeldTrash : public HeldTrash {
      public:
        FakeHeldTrash(FakeHeldFolders& folders, FakeTree::Trash& trash)
            : folders_(folders), trash_(trash), level_(folders.levels_.back()) {}

        const TrashFacts& Facts() const override { return trash_.facts; }
        FolderStatus Ready() override { return trash_.readyFailure; }

        FolderStatus Claim(const std::string&, const std::string& trashName,
                           const std::string& record) override {
            if (!trash_.records.emplace(trashName, record).second) {
                return {FolderError::NotEmpty, {}};
            }
            return {};
        }

        FolderStatus MoveIn(const std::string& entry, const std::string& trashName,
                            const FolderIdentity& checked) override {
            const std::string path = level_.path.empty() ? entry : level_.path + "/" + entry;
            folders_.Before("trash", path);
            auto child = level_.node->children.find(entry);
            if (child == level_.node->children.end()) {
                return {FolderError::Gone, {}};
            }
            if (child->second->kind != EntryKind::Folder || child->second->id != checked.file) {
                return {FolderError::Changed, {}};
            }
            if (!trash_.moveFailure.Ok()) {
                return trash_.moveFailure;
            }
            if (!level_.node->writable || trash_.files->children.count(trashName) != 0) {
                return {level_.node->writable ? FolderError::NotEmpty : FolderError::Denied, {}};
            }
            trash_.files->children[trashName] = child->second;
            level_.node->children.erase(child);
            folders_.tree_.log.push_back("trash " + path + " as " + trashName);
            return {};
        }

        void Unclaim(const std::string&, const std::string& trashName) override {
            trash_.records.erase(trashName);
        }

      private:
        FakeHeldFolders& folders_;
        FakeTree::Trash& trash_;
        Level level_;
    };

    static FolderStatus KindStatus(const FakeTree::Node* node, FolderError notWanted) {
        if (!node) {
            return {FolderError::Gone, {}};
        }
        if (node->denied) {
            return {FolderError::Denied, {}};
        }
        if (node->kind == EntryKind::Link) {
            return {FolderError::Link, {}};
        }
        return {node->kind == EntryKind::Folder ? FolderError::None : notWanted, {}};
    }

    template <typename Check>
    FolderStatus Remove(const std::string& name, const char* operation, Check check) {
        const std::string path = PathOf(name);
        Before(operation, path);
        std::shared_ptr<FakeTree::Node> child = Child(name);
        FolderStatus status = check(child.get());
        if (status.Ok() && (!levels_.back().node->writable || levels_.back().node->immutable)) {
            status = {FolderError::Denied, {}};
        }
        if (status.Ok()) {
            levels_.back().node->children.erase(name);
            tree_.log.push_back(std::string(operation) + " " + path);
        }
        return status;
    }

    std::shared_ptr<FakeTree::Node> Child(const std::string& name) const {
        auto child = levels_.back().node->children.find(name);
        return child == levels_.back().node->children.end() ? nullptr : child->second;
    }
    std::string PathOf(const std::string& name) const {
        return levels_.back().path.empty() ? name : levels_.back().path + "/" + name;
    }
    void Before(std::string_view operation, const std::string& path) {
        if (tree_.before) {
            tree_.before(operation, path);
        }
    }
    void Restore(Level& level) {
        if (level.ownerWriteAdded) {
            level.node->writable = level.ownerWriteAdded = false;
        }
    }

    FakeTree& tree_;
    std::vector<Level> levels_;
};

// The root of a FakeTree as a scan holds it.
class FakeTreeRoot : public HeldRoot {
  public:
    explicit FakeTreeRoot(FakeTree& tree) : tree_(tree), identity_{1, tree.root->id, 0, 0} {}

    const std::string& Path() const override { return path_; }
    const FolderIdentity& Identity() const override { return identity_; }
    bool IsLinked() const override { return true; }
    bool IsFileSystemTop() const override { return tree_.rootIsFileSystemTop; }
    std::optional<FolderIdentity> IdentityAtPath(FolderStatus&) const override { return identity_; }
    std::unique_ptr<HeldFolders> HoldFolders(FolderStatus&) const override {
        return std::make_unique<FakeHeldFolders>(tree_);
    }

  private:
    FakeTree& tree_;
    std::string path_ = "/fake";
    FolderIdentity identity_;
};

// One run of the removal over a FakeTree, opened at its first row.
struct FakeRemovalRun {
    FakeTree tree;
    ListingRules rules;
    AfterFolderCheckedHook afterChecked;
    std::unique_ptr<FolderRemoval> removal;
    std::unique_ptr<RemovalRun> run;

    RemovalResult Remove(const std::string& row, bool toTrash = false) {
        if (!run) {
            removal = CreateFolderRemoval(nullptr, afterChecked);
            RemovalResult failure;
            run = removal->OpenRun(FakeTreeRoot(tree), failure, &rules);
        }
        return toTrash ? run->TrashFolder(row) : run->DeleteFolder(row);
    }
};
