#include "scan/ScanRun.h"

#include "scan/EmptyFolderScan.h"
#include "scan/NaturalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <system_error>

void PrintTo(const Scanned& scanned, std::ostream* os) {
    *os << scanned.rows.size() << " rows, subtree empty " << scanned.subtreeEmpty
        << ", root unreadable " << scanned.rootUnreadable << ", " << scanned.doEventsCalls
        << " event-pump calls:";
    for (const std::string& row : scanned.rows) {
        *os << "\n  " << row;
    }
    for (const std::string& note : scanned.notes) {
        *os << "\n  note " << note;
    }
}

namespace {

// Numbers the folders found as the window does.
class RowRecorder : public ScanSink {
  public:
    RowRecorder(char separator, Scanned& scanned) : separator_(separator), scanned_(scanned) {}
    void FolderFound(const FoundFolder& folder) override {
        scanned_.rows.push_back(std::to_string(scanned_.rows.size()) + " " +
                                Slashed(folder.relativePath) + (folder.holdsJunk ? " junk" : ""));
    }
    void FolderNoted(ScanNote note, std::string_view relativePath) override {
        scanned_.notes.push_back(std::to_string(static_cast<int>(note)) + " " +
                                 Slashed(relativePath));
    }

  private:
    std::string Slashed(std::string_view relativePath) const {
        std::string path(relativePath);
        std::replace(path.begin(), path.end(), separator_, '/');
        return path;
    }

    char separator_;
    Scanned& scanned_;
};

} // namespace

Scanned Scan(FileSystem& fileSystem, const std::string& root, FakeScanHost& host,
             ReadAheadSettings settings, const ListingRules* rules) {
    Scanned scanned;
    RowRecorder recorder(fileSystem.PathSeparator(), scanned);
    EmptyFolderScan scan(fileSystem, recorder, host, root, std::move(settings), rules);
    scanned.subtreeEmpty = scan.ScanFolder(root);
    scanned.rootUnreadable = scan.RootUnreadable();
    scanned.doEventsCalls = host.doEventsCalls;
    return scanned;
}

std::function<std::thread(std::function<void()>)> StartingAtMost(int startable, int& started) {
    return [startable, &started](std::function<void()> work) {
        if (started == startable) {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        ++started;
        return std::thread(std::move(work));
    };
}

std::vector<std::string> ScanRows(FileSystem& fileSystem, const std::string& root,
                                  int readOnlyOption, ReadAheadSettings settings,
                                  const ListingRules* rules) {
    FakeScanHost host;
    host.readOnlyOptionValue = readOnlyOption;
    return Scan(fileSystem, root, host, std::move(settings), rules).rows;
}

std::vector<std::string> PathsOnly(std::vector<std::string> rows) {
    for (std::size_t index = 0; index < rows.size(); ++index) {
        std::string number = std::to_string(index) + " ";
        EXPECT_EQ(rows[index].compare(0, number.size(), number), 0) << rows[index];
        rows[index] = rows[index].substr(std::min(number.size(), rows[index].size()));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

namespace {

// Returns whether the folder's subtree is empty; appends the rows it decides.
bool Walk(const FakeFileSystem::Node& folder, const std::string& path, int option,
          Scanned& scanned) {
    bool holdsFiles = std::any_of(folder.children.begin(), folder.children.end(),
                                  [](const auto& child) { return !child->isFolder; });
    bool notEmpty = holdsFiles;
    std::vector<std::string> candidates;
    // Subfolders in the natural order, whatever order the fake holds them in.
    std::vector<const FakeFileSystem::Node*> subFolders;
    for (const auto& child : folder.children) {
        if (child->isFolder) {
            subFolders.push_back(child.get());
        }
    }
    std::sort(subFolders.begin(), subFolders.end(),
              [](const auto* a, const auto* b) { return NaturallyBefore(a->name, b->name); });
    for (const FakeFileSystem::Node* child : subFolders) {
        std::string childPath = path.empty() ? child->name : path + "/" + child->name;
        // Beside files a read-only folder is scanned as any other.
        const std::string unreadable = "2 " + childPath; // ScanNote::Unreadable
        if (!holdsFiles && option != 1) {
            if (child->failAttributes) {
                scanned.notes.push_back(unreadable);
                return false;
            }
            if (child->attributes & FolderAttributeReadOnly) {
                notEmpty = true;
                continue;
            }
        }
        ++scanned.doEventsCalls;
        // A folder that cannot be opened ends its parent's scan; a mount point is content.
        if (child->failOpen && !child->mountPoint) {
            scanned.notes.push_back(unreadable);
            return false;
        }
        if (child->failContents && !child->mountPoint) {
            scanned.notes.push_back(unreadable);
        }
        if (!child->mountPoint && !child->failContents &&
            Walk(*child, childPath, option, scanned)) {
            (holdsFiles ? scanned.rows : candidates).push_back(childPath);
        } else {
            notEmpty = true;
        }
    }
    // An empty folder stands for its empty subfolders.
    if (notEmpty) {
        scanned.rows.insert(scanned.rows.end(), candidates.begin(), candidates.end());
    }
    return !notEmpty;
}

} // namespace

Scanned PlainWalk(FakeFileSystem& tree, int readOnlyOption) {
    Scanned scanned;
    scanned.doEventsCalls = 1;
    scanned.subtreeEmpty = Walk(tree.Root(), "", readOnlyOption, scanned);
    for (std::size_t index = 0; index < scanned.rows.size(); ++index) {
        scanned.rows[index] = std::to_string(index) + " " + scanned.rows[index];
    }
    return scanned;
}

RandomTree MakeRandomTree(unsigned seed, int folders, int files) {
    constexpr int MaxDepth = 12;
    const char* names[] = {"d", "x y", "\xC3\xBC", "name-beyond-sso"};
    std::mt19937 random(seed);
    RandomTree tree;
    auto anyFolder = [&] { return static_cast<int>(random() % (tree.folders.size() + 1)) - 1; };
    for (int index = 0; index < folders; ++index) {
        // -1 stands for the root.
        int parent = random() % 100 < 35 ? static_cast<int>(tree.folders.size()) - 1 : anyFolder();
        if (parent >= 0 && std::count(tree.folders[parent].begin(), tree.folders[parent].end(),
                                      '/') >= MaxDepth - 1) {
            parent = anyFolder();
        }
        std::string name = names[index % 4] + std::to_string(index);
        tree.folders.push_back(parent < 0 ? name : tree.folders[parent] + "/" + name);
        tree.entries.push_back(tree.folders.back() + "/");
    }
    for (int index = 0; index < files; ++index) {
        int folder = anyFolder();
        std::string name = std::string("f").append(std::to_string(index)).append(".txt");
        tree.entries.push_back(folder < 0 ? name : tree.folders[folder] + "/" + name);
    }
    return tree;
}
