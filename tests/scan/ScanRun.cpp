#include "scan/ScanRun.h"

#include "scan/EmptyFolderScan.h"
#include "scan/ListingRules.h"
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
                                  ReadAheadSettings settings, const ListingRules* rules) {
    FakeScanHost host;
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

struct Walked {
    bool empty;
    bool holdsJunk; // in the folder or an empty subfolder's subtree
};

// Appends the rows the folder decides. Files of a junk name are no content; excluded
// subfolders are, noted when their parent is read.
Walked Walk(const FakeFileSystem::Node& folder, const std::string& path, int option,
            const ListingRules* rules, Scanned& scanned) {
    bool holdsFiles = false;
    bool holdsJunk = false;
    std::vector<const FakeFileSystem::Node*> subFolders;
    for (const auto& child : folder.children) {
        if (child->isFolder) {
            subFolders.push_back(child.get());
        } else {
            (rules && rules->IsJunkName(child->name) ? holdsJunk : holdsFiles) = true;
        }
    }
    // Subfolders in the natural order, whatever order the fake holds them in.
    std::sort(subFolders.begin(), subFolders.end(),
              [](const auto* a, const auto* b) { return NaturallyBefore(a->name, b->name); });
    auto pathOf = [&](const auto* child) {
        return path.empty() ? child->name : path + "/" + child->name;
    };
    std::erase_if(subFolders, [&](const auto* child) {
        const bool excluded = rules && rules->Excludes(pathOf(child));
        if (excluded) {
            scanned.notes.push_back("0 " + pathOf(child)); // ScanNote::Excluded
            holdsFiles = true;
        }
        return excluded;
    });
    bool notEmpty = holdsFiles;
    std::vector<std::string> candidates;
    for (const FakeFileSystem::Node* child : subFolders) {
        const std::string childPath = pathOf(child);
        // Beside files a read-only folder is scanned as any other.
        const std::string unreadable = "2 " + childPath; // ScanNote::Unreadable
        if (!holdsFiles && option != 1) {
            if (child->failAttributes) {
                scanned.notes.push_back(unreadable);
                return {false, holdsJunk};
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
            return {false, holdsJunk};
        }
        if (child->failContents && !child->mountPoint) {
            scanned.notes.push_back(unreadable);
        }
        const Walked walked = child->mountPoint || child->failContents
                                  ? Walked{false, false}
                                  : Walk(*child, childPath, option, rules, scanned);
        if (walked.empty) {
            (holdsFiles ? scanned.rows : candidates)
                .push_back(childPath + (walked.holdsJunk ? " junk" : ""));
            holdsJunk = holdsJunk || walked.holdsJunk;
        } else {
            notEmpty = true;
        }
    }
    // An empty folder stands for its empty subfolders.
    if (notEmpty) {
        scanned.rows.insert(scanned.rows.end(), candidates.begin(), candidates.end());
    }
    return {!notEmpty, holdsJunk};
}

} // namespace

Scanned PlainWalk(FakeFileSystem& tree, int readOnlyOption, const ListingRules* rules) {
    Scanned scanned;
    scanned.doEventsCalls = 1;
    scanned.subtreeEmpty = Walk(tree.Root(), "", readOnlyOption, rules, scanned).empty;
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
        // Every fourth an AppleDouble file's, junk to the common junk names.
        std::string name = std::string(index % 4 ? "f" : "._f").append(std::to_string(index));
        tree.entries.push_back(folder < 0 ? name : tree.folders[folder] + "/" + name);
    }
    return tree;
}
