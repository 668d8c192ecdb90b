// The scan over the platform's real file system, on trees made in a temporary folder: the
// same rules as on the in-memory tree, plus what only a real file system has (hidden files,
// read-only folders, its own enumeration order), checked against a plain recursive scan
// written with std::filesystem on random trees.

#include "scan/EmptyFolderScan.h"
#include "platform/FileSystem.h"
#include "scan/RandomTree.h"
#include "scan/RealTreeScan.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <random>

namespace fs = std::filesystem;

namespace {

TEST(ScanRealTree, HiddenFileMakesItsSubtreeNotEmpty) {
    TempFolder temp;
    MakeTree(temp.Path(), {"f", "A/B/", "C/"});
    if (!MakeHiddenFile(temp.Path() / "A" / "B" / "h")) {
        GTEST_SKIP() << "no hidden file can be made here";
    }
    auto fileSystem = CreateSystemFileSystem();
    EXPECT_EQ(PathsOnly(ScanRows(*fileSystem, temp.Text(), 0)), std::vector<std::string>{"C"});
}

// The rules written as plainly as possible, over std::filesystem (whose order is the
// platform's own); a link of any kind is content.
bool ReferenceScan(const fs::path& folder, const fs::path& root, int option,
                   std::vector<std::string>& paths) {
    bool holdsFiles = false;
    std::vector<fs::path> subFolders;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_directory() && !entry.is_symlink()) {
            subFolders.push_back(entry.path());
        } else {
            holdsFiles = true;
        }
    }
    auto relative = [&](const fs::path& path) {
        std::string text = PathText(path.lexically_relative(root));
        std::replace(text.begin(), text.end(), '\\', '/');
        return text;
    };
    if (holdsFiles) {
        for (const fs::path& sub : subFolders) {
            if (ReferenceScan(sub, root, option, paths)) {
                paths.push_back(relative(sub));
            }
        }
        return false;
    }
    bool notEmpty = false;
    std::vector<std::string> candidates;
    for (const fs::path& sub : subFolders) {
        if (option != 1 && IsReadOnlyFolder(sub)) {
            notEmpty = true;
        } else if (ReferenceScan(sub, root, option, paths)) {
            candidates.push_back(relative(sub));
        } else {
            notEmpty = true;
        }
    }
    if (notEmpty) {
        paths.insert(paths.end(), candidates.begin(), candidates.end());
    }
    return !notEmpty;
}

// A tree of `folders` folders, each placed below a random earlier one, some holding a file,
// some read-only: the shapes come from chance, not from the rules.
std::vector<fs::path> MakeRandomlyNamedTree(const fs::path& root, unsigned seed, int folders) {
    std::mt19937 random(seed);
    std::vector<fs::path> all{root};
    std::vector<fs::path> readOnly;
    const char* names[] = {"a", "b", "Dir", "x y", "\xC3\xBC", "long-folder-name-beyond-sso"};
    for (int index = 0; index < folders; ++index) {
        const fs::path& parent = all[random() % all.size()];
        std::string name = std::string(names[random() % 6]) + std::to_string(index);
        fs::path folder = parent / fs::u8path(name);
        fs::create_directory(folder);
        all.push_back(folder);
    }
    for (std::size_t index = 1; index < all.size(); ++index) {
        unsigned draw = random() % 100;
        if (draw < 8) {
            WriteFile(all[index] / "file", "x");
        } else if (draw < 12) {
            readOnly.push_back(all[index]);
        }
    }
    for (const fs::path& folder : readOnly) {
        MakeReadOnly(folder);
    }
    return readOnly;
}

// A tree of the benchmark's shape with some read-only folders.
std::vector<fs::path> MakeBenchmarkShapedTree(const fs::path& root, unsigned seed) {
    RandomTree tree = MakeRandomTree(seed, 600, 200);
    MakeTree(root, tree.entries);
    std::vector<fs::path> readOnly;
    for (std::size_t index = seed; index < tree.folders.size(); index += 37) {
        readOnly.push_back(root / fs::u8path(tree.folders[index]));
        MakeReadOnly(readOnly.back());
    }
    return readOnly;
}

// The rows of the plain recursive scan, in its order, and the same with threads reading
// ahead, whatever their number and budget, and with the walk alone.
TEST(ScanRealTree, AgreesWithPlainRecursiveScanOnRandomTrees) {
    auto fileSystem = CreateSystemFileSystem();
    for (unsigned seed : {1u, 2u, 3u}) {
        for (bool benchmarkShaped : {false, true}) {
            TempFolder temp;
            std::vector<fs::path> readOnly = benchmarkShaped
                                                 ? MakeBenchmarkShapedTree(temp.Path(), seed)
                                                 : MakeRandomlyNamedTree(temp.Path(), seed, 250);
            for (int option : {0, 1}) {
                std::string context = "seed " + std::to_string(seed) + ", option " +
                                      std::to_string(option) +
                                      (benchmarkShaped ? ", benchmark's shape" : "");
                std::vector<std::string> expected;
                ReferenceScan(temp.Path(), temp.Path(), option, expected);
                std::vector<std::string> rows = ScanRows(*fileSystem, temp.Text(), option);
                std::vector<std::string> numbered;
                for (const std::string& path : expected) {
                    numbered.push_back(std::to_string(numbered.size()) + " " + path);
                }
                EXPECT_EQ(rows, numbered) << context;
                EXPECT_GE(rows.size(), 5u) << context << " made a dull tree";
                for (const ReadAheadSettings& settings :
                     {WalkAlone, ReadAheadSettings(2, 1), ReadAheadSettings(8, 16)}) {
                    EXPECT_EQ(ScanRows(*fileSystem, temp.Text(), option, settings), rows)
                        << context << ", " << settings.threads << " threads";
                }
            }
            for (const fs::path& folder : readOnly) {
                ClearReadOnly(folder);
            }
        }
    }
}

} // namespace
