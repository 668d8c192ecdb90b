// The scan over the platform's real file system: random trees with read-only folders,
// hidden and junk files, with exclusions or without, against the plain walk over the tree
// read by std::filesystem (unsorted: rows in the natural order are the scan's doing).

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
        ListingRules rules(fileSystem->PathSeparator());
        rules.AddExclude("d*/x y*");
        rules.AddCommonJunk();
        for (int option : {0, 1}) {
            const ListingRules* with = option == 0 ? &rules : nullptr;
            Scanned expected = PlainWalk(loaded, option, with);
            EXPECT_GE(expected.rows.size(), 5u) << "seed " << seed << " makes a dull tree";
            for (const ReadAheadSettings& settings : {WalkAlone, ReadAheadSettings(2, 1), {}}) {
                FakeScanHost host;
                host.readOnlyOptionValue = option;
                EXPECT_EQ(Scan(*fileSystem, temp.Text(), host, settings, with), expected)
                    << "seed " << seed << ", option " << option << ", " << settings.threads
                    << " threads";
            }
        }
        for (const fs::path& folder : readOnly) {
            ClearReadOnly(folder);
        }
    }
}

} // namespace
