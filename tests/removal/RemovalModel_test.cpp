// The removal against a plain model of what it must do: random trees (deep, several rows per
// parent, read-only folders with every mode bit, junk files, exclusions by name and by path)
// and random changes made between a row's check and its first deletion. What stands on disk
// afterwards and each row's result are compared with the model, over the fake primitives,
// the Linux ones as root and the Linux ones as `nobody`.
#include "fakes/FakeHeldFolders.h"
#include "platform/FileSystem.h"
#include "removal/FolderRemovalHook.h"
#include "removal/RemovalTestTree.h"
#include "removal/ScannedRootRemoval.h"
#include "scan/ListingRules.h"
#include "support/ChildProcess_posix.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <grp.h>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using enum RemovalOutcome;

// ---- The tree and the run, as the model sees them ----

struct Entry {
    EntryKind kind = EntryKind::Folder;
    std::uint32_t mode = 0755; // of a folder
};
// Every entry below the root by its '/'-separated path; a folder sorts before what it holds
// and, as no name has a character below '/', in the order of a walk.
using Snapshot = std::map<std::string, Entry>;

// A change made once the row's subtree is checked.
struct Change {
    enum Kind { AddFile, BecomesLink, JunkBecomesReal } kind;
    std::string path; // the folder that gains the file, the folder linked, the junk file
};

struct Scenario {
    Snapshot tree;
    std::vector<std::string> rows;
    bool junk = false;
    std::vector<std::string> excludes;     // as given to ListingRules
    std::string excludedName;              // what the name patterns match: "keep" or none
    std::string excludedPath;              // what the anchored pattern matches, or none
    std::map<std::size_t, Change> changes; // by row
};

std::string Parent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}
std::string Name(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}
bool Within(const std::string& path, const std::string& folder) {
    return path == folder || path.starts_with(folder + "/");
}

// The common junk names, matched regardless of case.
bool IsJunkName(const std::string& path) {
    std::string name = Name(path);
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name == "thumbs.db" || name == "desktop.ini" || name == ".ds_store" ||
           name.starts_with("._");
}

// ---- The generator ----

const char* const FolderNames[] = {"a", "b", "c", "d", "keep"};
const char* const JunkNames[] = {"Thumbs.db", "._b", "DESKTOP.INI", ".DS_Store"};
const char* const RealNames[] = {"f.txt", "Thumbs.dbx", "x._b"};
const std::uint32_t ReadOnlyModes[] = {0555, 0500, 01555, 02555, 04555, 06555, 07555, 0511};
const std::uint32_t WritableModes[] = {0755, 0700, 01777, 02775, 0711};

class Generator {
  public:
    explicit Generator(unsigned seed) : random_(seed) {}

    Scenario Make() {
        Scenario scenario;
        scenario.tree["elsewhere"] = {EntryKind::Folder, 0755};
        scenario.tree["elsewhere/e.txt"] = {EntryKind::File, 0};
        folders_ = 0;
        Grow(scenario.tree, "", 0);
        std::vector<std::string> folders;
        for (const auto& [path, entry] : scenario.tree) {
            if (entry.kind == EntryKind::Folder && !Within(path, "elsewhere")) {
                folders.push_back(path);
            }
        }
        for (const std::string& folder : folders) {
            const bool nested =
                std::any_of(scenario.rows.begin(), scenario.rows.end(),
                            [&](const std::string& row) { return Within(folder, row); });
            if (!nested && Chance(0.35)) {
                scenario.rows.push_back(folder);
            }
        }
        if (Chance(0.25)) {
            std::shuffle(scenario.rows.begin(), scenario.rows.end(), random_);
        }
        scenario.junk = Chance(0.75);
        if (Chance(0.3)) {
            scenario.excludes.push_back(Pick({"keep", "k*", "*ee*", "kee?", "keep/"}));
            scenario.excludedName = "keep";
        }
        if (Chance(0.3) && !folders.empty()) {
            scenario.excludedPath = folders[Below(folders.size())];
            scenario.excludes.push_back("/" + scenario.excludedPath);
        }
        for (std::size_t row = 0; row < scenario.rows.size(); ++row) {
            if (Chance(0.5)) {
                scenario.changes[row] = PlanChange(scenario, scenario.rows[row]);
            }
        }
        return scenario;
    }

  private:
    bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }
    std::size_t Below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }
    template <typename T, std::size_t N>
    T Pick(const T (&items)[N]) {
        return items[Below(N)];
    }
    const char* Pick(std::initializer_list<const char*> items) {
        return items.begin()[Below(items.size())];
    }

    void Grow(Snapshot& tree, const std::string& folder, int depth) {
        const std::string prefix = folder.empty() ? "" : folder + "/";
        const std::size_t entries = depth >= 8 ? 0 : Below(depth < 2 ? 5 : 4);
        for (std::size_t at = 0; at < entries; ++at) {
            const double what = std::uniform_real_distribution<double>(0, 1)(random_);
            if (what < 0.6 && folders_ < 40) {
                const std::string path = prefix + Pick(FolderNames);
                if (!tree.contains(path)) {
                    ++folders_;
                    tree[path] = {EntryKind::Folder,
                                  Chance(0.4) ? Pick(ReadOnlyModes) : Pick(WritableModes)};
                    Grow(tree, path, depth + 1);
                }
            } else if (what < 0.95) {
                tree[prefix + Pick(JunkNames)] = {EntryKind::File, 0};
            } else if (what < 0.98) {
                tree[prefix + Pick(RealNames)] = {EntryKind::File, 0};
            } else {
                tree[prefix + Pick({"lnk", "Thumbs.db", "._l"})] = {
                    Chance(0.5) ? EntryKind::Link : EntryKind::Other, 0};
            }
        }
    }

    Change PlanChange(const Scenario& scenario, const std::string& row) {
        std::vector<std::string> folders;
        std::vector<std::string> junk;
        for (const auto& [path, entry] : scenario.tree) {
            if (Within(path, row) && entry.kind == EntryKind::Folder) {
                folders.push_back(path);
            } else if (Within(path, row) && entry.kind == EntryKind::File) {
                junk.push_back(path); // a real file stops the row before the change anyway
            }
        }
        const std::size_t kind = Below(3);
        if (kind == 2 && !junk.empty()) {
            return {Change::JunkBecomesReal, junk[Below(junk.size())]};
        }
        return {kind == 1 ? Change::BecomesLink : Change::AddFile, folders[Below(folders.size())]};
    }

    std::mt19937 random_;
    int folders_ = 0;
};

// ---- The model ----

struct Prediction {
    std::vector<std::set<RemovalOutcome>> outcomes; // what each row may end with
    std::vector<bool> changed;                      // whether its change was made
    Snapshot must;                                  // what must stand afterwards, as it is
    Snapshot may;                                   // what may stand afterwards, as it is
};

// `modesBind`: a read-only parent keeps an empty row from going at once (the fake, nobody).
Prediction Predict(const Scenario& scenario, bool modesBind) {
    auto isJunk = [&](const std::string& path, const Entry& entry) {
        return scenario.junk && entry.kind == EntryKind::File && IsJunkName(path);
    };
    auto excluded = [&](const std::string& path) {
        return Name(path) == scenario.excludedName || path == scenario.excludedPath;
    };
    Prediction prediction;
    Snapshot now = scenario.tree;
    for (std::size_t row = 0; row < scenario.rows.size(); ++row) {
        const std::string& listed = scenario.rows[row];
        std::set<RemovalOutcome>& outcome = prediction.outcomes.emplace_back();
        prediction.changed.push_back(false);
        for (std::string up = listed; !up.empty(); up = Parent(up)) {
            if (excluded(up)) {
                outcome.insert(Excluded);
            }
        }
        if (!outcome.empty()) {
            continue;
        }
        bool empty = true;
        for (const auto& [path, entry] : now) {
            if (path == listed || !Within(path, listed)) {
                continue;
            }
            empty = false;
            bool inExcluded = false; // an excluded folder is not entered
            for (std::string up = Parent(path); up != listed; up = Parent(up)) {
                inExcluded = inExcluded || excluded(up);
            }
            if (inExcluded) {
                continue;
            }
            if (entry.kind == EntryKind::Folder && excluded(path)) {
                outcome.insert(HoldsExcluded);
            } else if (entry.kind != EntryKind::Folder && !isJunk(path, entry)) {
                outcome.insert(GainedFile);
            }
        }
        if (!outcome.empty()) {
            continue; // nothing is deleted before the whole subtree is checked
        }
        const bool hooked = !empty || (modesBind && !Parent(listed).empty() &&
                                       (now[Parent(listed)].mode & 0200) == 0);
        auto change = scenario.changes.find(row);
        if (!hooked || change == scenario.changes.end()) {
            std::erase_if(now, [&](const auto& entry) { return Within(entry.first, listed); });
            outcome.insert(Removed);
            continue;
        }
        prediction.changed.back() = true;
        // The folder where the removal stops: it, the folders above it up to the row and
        // the files beside them stay; the rest of the row may be gone.
        std::string stop;
        const std::string& at = change->second.path;
        const std::string moved = "moved" + std::to_string(row);
        switch (change->second.kind) {
        case Change::AddFile:
            now[at + "/new.txt"] = {EntryKind::File, 0};
            stop = at;
            outcome.insert(GainedFile);
            break;
        case Change::JunkBecomesReal:
            now[Parent(at) + "/real.txt"] = {EntryKind::File, 0};
            now.erase(at);
            stop = Parent(at);
            outcome.insert(GainedFile);
            break;
        case Change::BecomesLink:
            for (auto entry = now.begin(); entry != now.end();) {
                if (Within(entry->first, at)) {
                    Snapshot& to = at == listed && entry->first != at ? prediction.may : now;
                    to[moved + entry->first.substr(at.size())] = entry->second;
                    entry = now.erase(entry);
                } else {
                    ++entry;
                }
            }
            now[at] = {EntryKind::Link, 0};
            stop = at == listed ? "" : Parent(at);
            outcome.insert(BecameLink);
            break;
        }
        for (auto entry = now.begin(); entry != now.end();) {
            const std::string& path = entry->first;
            const bool stays = path == at || (!stop.empty() && Within(stop, path)) ||
                               (!stop.empty() && entry->second.kind != EntryKind::Folder &&
                                Within(stop, Parent(path)) && Within(Parent(path), listed));
            if (Within(path, listed) && !stays) {
                prediction.may.insert(*entry);
                entry = now.erase(entry);
            } else {
                ++entry;
            }
        }
    }
    prediction.must = std::move(now);
    return prediction;
}

// ---- The trees the removal runs on ----

class Tree {
  public:
    virtual ~Tree() = default;
    // Makes the entry; a folder's mode is set once all is made, and read back.
    virtual void Make(const std::string& path, const Entry& entry) = 0;
    virtual std::uint32_t SetMode(const std::string& folder, std::uint32_t mode) = 0;
    virtual void MakeChange(const Change& change, const std::string& moved) = 0;
    virtual Snapshot Read() = 0;
    virtual std::shared_ptr<const HeldRoot> Root() = 0;
    virtual std::unique_ptr<FolderRemoval> Removal(AfterFolderCheckedHook hook) = 0;
    virtual std::uint32_t ModeMask() const = 0; // the bits Read tells
};

class FakeBackedTree : public Tree {
  public:
    void Make(const std::string& path, const Entry& entry) override { tree.Add(path, entry.kind); }
    std::uint32_t SetMode(const std::string& folder, std::uint32_t mode) override {
        tree.At(folder)->writable = (mode & 0200) != 0;
        return mode;
    }
    void MakeChange(const Change& change, const std::string& moved) override {
        switch (change.kind) {
        case Change::AddFile:
            tree.Add(change.path + "/new.txt");
            break;
        case Change::JunkBecomesReal: {
            auto& children = tree.At(Parent(change.path))->children;
            children["real.txt"] = children[Name(change.path)];
            children.erase(Name(change.path));
            break;
        }
        case Change::BecomesLink:
            tree.Move(change.path, moved);
            tree.Add(change.path, EntryKind::Link);
            break;
        }
    }
    Snapshot Read() override {
        Snapshot snapshot;
        ReadBelow(*tree.root, "", snapshot);
        return snapshot;
    }
    std::shared_ptr<const HeldRoot> Root() override { return std::make_shared<FakeTreeRoot>(tree); }
    std::unique_ptr<FolderRemoval> Removal(AfterFolderCheckedHook hook) override {
        return CreateFolderRemoval(nullptr, std::move(hook));
    }
    std::uint32_t ModeMask() const override { return 0200; }

    FakeTree tree;

  private:
    static void ReadBelow(const FakeTree::Node& node, const std::string& prefix, Snapshot& out) {
        for (const auto& [name, child] : node.children) {
            const bool folder = child->kind == EntryKind::Folder;
            out[prefix + name] = {child->kind, folder && child->writable ? 0200u : 0u};
            ReadBelow(*child, prefix + name + "/", out);
        }
    }
};

class RealTree : public Tree {
  public:
    explicit RealTree(fs::path root) : root_(std::move(root)) { fs::create_directory(root_); }

    void Make(const std::string& path, const Entry& entry) override {
        const fs::path at = root_ / path;
        if (entry.kind == EntryKind::Folder) {
            fs::create_directory(at);
        } else if (entry.kind == EntryKind::File) {
            WriteFile(at, "x");
        } else if (entry.kind == EntryKind::Link) {
            fs::create_directory_symlink(root_ / "elsewhere", at);
        } else {
            ::mkfifo(at.c_str(), 0600);
        }
    }
    std::uint32_t SetMode(const std::string& folder, std::uint32_t mode) override {
        ::chmod((root_ / folder).c_str(), mode);
        return PermissionBits(root_ / folder);
    }
    void MakeChange(const Change& change, const std::string& moved) override {
        const fs::path at = root_ / change.path;
        switch (change.kind) {
        case Change::AddFile:
            Writable(at, [&] { WriteFile(at / "new.txt", "new"); });
            break;
        case Change::JunkBecomesReal:
            Writable(at.parent_path(), [&] { fs::rename(at, at.parent_path() / "real.txt"); });
            break;
        case Change::BecomesLink:
            Writable(at.parent_path(), [&] {
                // Moving a folder to another parent needs its own write bit (for its "..").
                const std::uint32_t mode = PermissionBits(at);
                ::chmod(at.c_str(), mode | 0200);
                fs::rename(at, root_ / moved);
                ::chmod((root_ / moved).c_str(), mode);
                fs::create_directory_symlink(root_ / "elsewhere", at);
            });
            break;
        }
    }
    Snapshot Read() override {
        Snapshot snapshot;
        for (auto entry = fs::recursive_directory_iterator(root_);
             entry != fs::recursive_directory_iterator(); ++entry) {
            const fs::file_status status = entry->symlink_status();
            const std::string path = entry->path().lexically_relative(root_).generic_string();
            Entry& read = snapshot[path];
            read.kind = fs::is_directory(status)      ? EntryKind::Folder
                        : fs::is_symlink(status)      ? EntryKind::Link
                        : fs::is_regular_file(status) ? EntryKind::File
                                                      : EntryKind::Other;
            read.mode = read.kind == EntryKind::Folder ? PermissionBits(entry->path()) : 0;
        }
        return snapshot;
    }
    std::shared_ptr<const HeldRoot> Root() override {
        return CreateSystemFileSystem()->GetFolder(PathText(root_))->HoldRoot();
    }
    std::unique_ptr<FolderRemoval> Removal(AfterFolderCheckedHook hook) override {
        PosixRemovalOptions options;
        options.afterChecked = std::move(hook);
        return CreatePosixFolderRemoval(options);
    }
    std::uint32_t ModeMask() const override { return 07777; }

  private:
    template <typename Do>
    static void Writable(const fs::path& folder, Do change) {
        const std::uint32_t mode = PermissionBits(folder);
        ::chmod(folder.c_str(), mode | 0200);
        change();
        ::chmod(folder.c_str(), mode);
    }

    fs::path root_;
};

// ---- The comparison ----

std::string Describe(const Entry& entry) {
    std::ostringstream text;
    text << "kind " << static_cast<int>(entry.kind) << " mode " << std::oct << entry.mode;
    return text.str();
}

// Runs the scenario on `tree`; what differs from the model, or "".
std::string RunAndCompare(Scenario scenario, Tree& tree, bool modesBind) {
    for (const auto& [path, entry] : scenario.tree) {
        tree.Make(path, entry);
    }
    for (auto entry = scenario.tree.rbegin(); entry != scenario.tree.rend(); ++entry) {
        if (entry->second.kind == EntryKind::Folder) {
            entry->second.mode = tree.SetMode(entry->first, entry->second.mode);
        }
    }
    const Prediction prediction = Predict(scenario, modesBind);

    std::ostringstream differences;
    std::size_t current = 0;
    std::vector<bool> changed(scenario.rows.size(), false);
    std::shared_ptr<const HeldRoot> root = tree.Root();
    std::unique_ptr<FolderRemoval> removal = tree.Removal([&](const std::string& folder) {
        if (folder != root->Path() + "/" + scenario.rows[current]) {
            differences << "the hook was told " << folder << " for " << scenario.rows[current]
                        << "\n";
        }
        if (auto change = scenario.changes.find(current); change != scenario.changes.end()) {
            tree.MakeChange(change->second, "moved" + std::to_string(current));
            changed[current] = true;
        }
    });
    ListingRules rules;
    if (scenario.junk) {
        rules.AddCommonJunk();
    }
    for (const std::string& pattern : scenario.excludes) {
        rules.AddExclude(pattern);
    }
    const bool anyRules = scenario.junk || !scenario.excludes.empty();
    ScannedRootRemoval run(*removal, root, anyRules ? &rules : nullptr);
    if (!run.HoldsScannedRoot()) {
        return "the root is not held: " + run.RootFailure();
    }
    for (current = 0; current < scenario.rows.size(); ++current) {
        const RemovalResult result = run.DeleteFolder(scenario.rows[current]);
        const std::set<RemovalOutcome>& expected = prediction.outcomes[current];
        if (!expected.contains(result.outcome) ||
            result.reason.empty() != (result.outcome == Removed)) {
            differences << "row " << scenario.rows[current] << ": outcome "
                        << static_cast<int>(result.outcome) << " (" << result.reason
                        << "), the model says " << static_cast<int>(*expected.begin()) << "\n";
        }
        if (changed[current] != prediction.changed[current]) {
            differences << "row " << scenario.rows[current] << ": the change was "
                        << (changed[current] ? "" : "not ") << "made\n";
        }
    }

    const Snapshot after = tree.Read();
    const std::uint32_t mask = tree.ModeMask();
    auto same = [&](const Entry& a, const Entry& b) {
        return a.kind == b.kind && (a.mode & mask) == (b.mode & mask);
    };
    for (const auto& [path, entry] : prediction.must) {
        auto found = after.find(path);
        if (found == after.end()) {
            differences << "gone: " << path << "\n";
        } else if (!same(found->second, entry)) {
            differences << path << " is " << Describe(found->second) << ", was " << Describe(entry)
                        << "\n";
        }
    }
    for (const auto& [path, entry] : after) {
        auto must = prediction.must.find(path);
        auto may = prediction.may.find(path);
        if (must == prediction.must.end() &&
            (may == prediction.may.end() || !same(may->second, entry))) {
            differences << "still there: " << path << " " << Describe(entry) << "\n";
        }
    }
    return differences.str();
}

std::string Show(const Scenario& scenario) {
    std::ostringstream text;
    for (const auto& [path, entry] : scenario.tree) {
        text << "  " << path << " " << Describe(entry) << "\n";
    }
    for (const std::string& row : scenario.rows) {
        text << "  row " << row << "\n";
    }
    for (const std::string& pattern : scenario.excludes) {
        text << "  exclude " << pattern << "\n";
    }
    for (const auto& [row, change] : scenario.changes) {
        text << "  change at row " << row << ": " << change.kind << " " << change.path << "\n";
    }
    text << "  junk " << scenario.junk << "\n";
    return text.str();
}

constexpr unsigned FakeRuns = 1000;
constexpr unsigned RealRuns = 80;

TEST(RemovalModel, FakePrimitivesDoWhatTheModelSays) {
    for (unsigned seed = 1; seed <= FakeRuns; ++seed) {
        const Scenario scenario = Generator(seed).Make();
        FakeBackedTree tree;
        ASSERT_EQ(RunAndCompare(scenario, tree, true), "") << "seed " << seed << "\n"
                                                           << Show(scenario);
    }
}

// The same runs on real trees; for `nobody` the tree is its own, and only the owner-write
// bit the removal adds lets it delete in a read-only folder.
std::string RunRealTrees(const fs::path& top, bool modesBind) {
    for (unsigned seed = 1; seed <= RealRuns; ++seed) {
        const Scenario scenario = Generator(seed).Make();
        RealTree tree(top / std::to_string(seed));
        if (std::string differences = RunAndCompare(scenario, tree, modesBind);
            !differences.empty()) {
            return "seed " + std::to_string(seed) + "\n" + differences + Show(scenario);
        }
    }
    return "";
}

TEST(RemovalModel, LinuxPrimitivesDoWhatTheModelSays) {
    TempFolder temp;
    EXPECT_EQ(RunRealTrees(temp.Path(), false), "");
}

TEST(RemovalModel, LinuxPrimitivesDoWhatTheModelSaysForAnUnprivilegedUser) {
    TempFolder temp;
    ::chmod(temp.Path().c_str(), 0777);
    const int status = InChild([&] {
        constexpr uid_t Nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) {
            return ChildUnavailable;
        }
        const std::string differences = RunRealTrees(temp.Path(), true);
        std::fputs(differences.c_str(), stderr);
        return differences.empty() ? 0 : 1;
    });
    if (status == ChildUnavailable) {
        GTEST_SKIP() << "cannot become nobody";
    }
    EXPECT_EQ(status, 0) << "see the differences above";
}

} // namespace
