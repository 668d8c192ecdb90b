// The scan over the platform's real file system, on trees made in a temporary folder: random
// trees with read-only folders and hidden files against the plain walk over the same tree
// read with std::filesystem (whose order is the platform's own), and a table of exclusions
// and junk files.

#include "platform/FileSystem.h"
#include "scan/ListingRules.h"
#include "scan/ScanRun.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Copies the real tree below `folder` into `tree`; a link of any kind is content.
void Load(FakeFileSystem& tree, const fs::path& folder, const std::string& relative = "") {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        std::string path = relative + PathText(entry.path().filename());
        bool isFolder = entry.is_directory() && !entry.is_symlink();
        tree.Add(isFolder ? path + "/" : path).attributes |=
            isFolder && IsReadOnlyFolder(entry.path()) ? FolderAttributeReadOnly : 0;
        if (isFolder) {
            Load(tree, entry.path(), path + "/");
        }
    }
}

TEST(ScanRealTree, AgreesWithThePlainWalkOnRandomTrees) {
    auto fileSystem = CreateSystemFileSystem();
    for (unsigned seed : {1u, 2u, 3u}) {
        TempFolder temp;
        RandomTree tree = MakeRandomTree(seed, 600, 150);
        MakeTree(temp.Path(), tree.entries);
        std::vector<fs::path> readOnly;
        for (std::size_t index = seed; index < tree.folders.size(); index += 37) {
            readOnly.push_back(temp.Path() / fs::u8path(tree.folders[index]));
            MakeReadOnly(readOnly.back());
            MakeHiddenFile(temp.Path() / fs::u8path(tree.folders[index - seed]) / "h");
        }
        FakeFileSystem loaded;
        Load(loaded, temp.Path());
        for (int option : {0, 1}) {
            Scanned expected = PlainWalk(loaded, option);
            EXPECT_GE(expected.rows.size(), 5u) << "seed " << seed << " makes a dull tree";
            for (const ReadAheadSettings& settings : {WalkAlone, ReadAheadSettings(2, 1), {}}) {
                FakeScanHost host;
                host.readOnlyOptionValue = option;
                EXPECT_EQ(Scan(*fileSystem, temp.Text(), host, settings), expected)
                    << "seed " << seed << ", option " << option << ", " << settings.threads
                    << " threads";
            }
        }
        for (const fs::path& folder : readOnly) {
            ClearReadOnly(folder);
        }
    }
}

// Whatever order the file system returns names in (ext4 a hash's, FAT the order made),
// rows come in the natural order: IMG_2 before IMG_10.
TEST(ScanRealTree, RowsComeInTheNaturalOrder) {
    TempFolder temp;
    std::vector<std::string> entries = {"f"};
    std::vector<std::string> expected;
    for (int number = 1; number <= 12; ++number) {
        entries.insert(entries.begin() + 1, "IMG_" + std::to_string(number) + "/");
        expected.push_back(std::to_string(number - 1) + " IMG_" + std::to_string(number));
    }
    MakeTree(temp.Path(), entries);
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    for (const ReadAheadSettings& settings : {WalkAlone, ReadAheadSettings(4), {}}) {
        EXPECT_EQ(ScanRows(*fileSystem, temp.Text(), 0, settings), expected)
            << settings.threads << " threads";
    }
}

// Rows sorted, " junk" after a folder whose subtree holds junk files.
TEST(ListingRules, TheScanListsWhatTheRulesLeaveEmpty) {
    struct Case {
        std::vector<std::string> entries;
        std::vector<std::string> excludes;
        bool commonJunk;
        std::vector<std::string> rows;
    };
    // clang-format off
    const Case cases[] = {
        {{"f", "P/.git/", "E/"}, {".git"}, false, {"E"}}, // an excluded folder is content
        {{"f", "a/b/.git/objects/", "c/objects2/"}, {"**/objects"}, false, {"c"}},
        {{"f", "x/build/", "src/gen/", "y/gen/"}, {"build", "src/gen"}, false, {"y"}},
        {{"f", "J/Thumbs.db", "J/sub/._a", "K/"}, {}, true, {"J junk", "K"}},
        {{"f", "D/a/Thumbs.db", "D/b/"}, {}, true, {"D junk"}},
        {{"P/f", "J/Thumbs.db", "K/"}, {}, true, {"J junk", "K"}}, // listed together, each its own
        {{"f", "J/desktop.ini", "J/real.txt", "J/E/"}, {}, true, {"J/E"}},
        {{"f", "K/Thumbs.db/"}, {}, true, {"K"}}, // a folder of a junk name is a folder
        {{"f", "J/Thumbs.db", "K/"}, {}, false, {"K"}},
    };
    // clang-format on
    for (const Case& test : cases) {
        TempFolder temp;
        MakeTree(temp.Path(), test.entries);
        std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
        ListingRules rules(fileSystem->PathSeparator());
        for (const std::string& pattern : test.excludes) {
            rules.AddExclude(pattern);
        }
        if (test.commonJunk) {
            rules.AddCommonJunk();
        }
        for (unsigned threads : {1u, 4u}) {
            EXPECT_EQ(PathsOnly(ScanRows(*fileSystem, temp.Text(), 0, threads, &rules)), test.rows)
                << test.entries[1] << ", " << threads << " threads";
        }
    }
}

} // namespace
