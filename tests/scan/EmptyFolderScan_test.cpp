// The scan's rules on an in-memory tree: the order of rows, the read-only option, every
// failure and the stop flag, where the file system's order and failures are under control.
// The walk reads every folder itself here, so that what it opens can be checked too; the
// tables run with threads reading ahead as well.

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeScanHost.h"
#include "scan/EmptyFolderScan.h"
#include "platform/MemoryResultList.h"
#include "scan/RealTreeScan.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>

namespace {

struct Scanned {
    std::vector<std::string> rows; // "number path", path with '/'
    bool subtreeEmpty = false;
};

Scanned Scan(FakeFileSystem& fileSystem, FakeScanHost& host,
             ReadAheadSettings settings = WalkAlone) {
    MemoryResultList list;
    EmptyFolderScan scan(fileSystem, list, host, fileSystem.RootPath(), settings);
    Scanned scanned;
    scanned.subtreeEmpty = scan.ScanFolder(fileSystem.RootPath());
    for (const MemoryResultList::Row& row : list.Rows()) {
        std::string path = row.subItem1;
        std::replace(path.begin(), path.end(), '\\', '/');
        scanned.rows.push_back(row.text + " " + path);
    }
    return scanned;
}

// Rows numbered from 0 in the order given.
std::vector<std::string> Numbered(const std::vector<std::string>& paths) {
    std::vector<std::string> rows;
    for (const std::string& path : paths) {
        rows.push_back(std::to_string(rows.size()) + " " + path);
    }
    return rows;
}

bool WasOpened(const FakeFileSystem& fileSystem, const std::string& relative) {
    std::string path = fileSystem.RootPath() + "\\" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return std::find(fileSystem.opened.begin(), fileSystem.opened.end(), path) !=
           fileSystem.opened.end();
}

struct TreeCase {
    const char* name;
    std::vector<std::string> entries; // "a/b/" a folder, "a/f" a file, in enumeration order
    std::vector<std::string> rows;    // expected, in order
    int option = 0;
    std::vector<std::string> readOnly = {};
    std::vector<std::string> unreadable = {};     // contents cannot be read
    std::vector<std::string> unopenable = {};     // cannot be opened at all
    std::vector<std::string> attributesFail = {}; // attributes cannot be read
    std::vector<std::string> mountPoints = {};    // another file system is mounted there
};

// CTest shows the case's name, not its bytes.
void PrintTo(const TreeCase& c, std::ostream* os) {
    *os << c.name;
}

const TreeCase TreeCases[] = {
    {"FileAtRootListsEmptySubfoldersAtOnce", {"f", "A/", "B/C/"}, {"A", "B"}},
    {"FolderWithFileIsNeverListed", {"P/f", "E/"}, {"E"}},
    {"CandidatesComeAfterRowsOfNonEmptySiblings",
     {"Q/Q2/", "Q/Q1/f", "Q/Q1/X/"},
     {"Q/Q1/X", "Q/Q2"}},
    {"OnlyTopmostEmptyFolderIsListed", {"f", "A/B/C/", "A/D/"}, {"A"}},
    {"WholeSubtreeEmptyListsNothing", {"a/b/c/", "a/d/", "e/"}, {}},
    {"RootWithFileOnly", {"f"}, {}},
    {"EmptyRoot", {}, {}},
    {"CandidatesKeepEnumerationOrder", {"a/b/f", "a/c/d/", "a/e/"}, {"a/c", "a/e"}},
    {"ReadOnlyExcludedWithoutOption", {"x", "F/E/", "F/R/", "F/G/"}, {"F/E", "F/G"}, 0, {"F/R"}},
    {"ReadOnlyCountsWithOption", {"x", "F/E/", "F/R/", "F/G/"}, {"F"}, 1, {"F/R"}},
    {"ReadOnlyBesideFilesListedWhateverTheOption", {"f", "R/"}, {"R"}, 0, {"R"}},
    {"ReadOnlyFolderHoldingFileStillExcluded", {"x", "F/R/f", "F/E/"}, {"F/E"}, 0, {"F/R"}},
    {"UnreadableSubfolderCountsAsNotEmpty", {"f", "A/", "U/", "B/"}, {"A", "B"}, 0, {}, {"U"}},
    {"UnreadableSubfolderKeepsParentFromBeingEmpty",
     {"f", "X/U/", "X/E/"},
     {"X/E"},
     0,
     {},
     {"X/U"}},
    {"UnopenableSubfolderEndsParentScan",
     {"f", "P/P1/f", "P/P1/a/", "P/V/", "P/P2/", "Q/"},
     {"P/P1/a", "Q"},
     0,
     {},
     {},
     {"P/V"}},
    {"UnopenableSubfolderDropsParentCandidates",
     {"f", "P/A/", "P/V/", "P/C/", "Z/"},
     {"Z"},
     0,
     {},
     {},
     {"P/V"}},
    {"FailedAttributeReadEndsParentScan",
     {"f", "P/A/", "P/B/", "P/C/", "Z/"},
     {"Z"},
     0,
     {},
     {},
     {},
     {"P/B"}},
    {"AttributesNotNeededBesideFiles", {"f", "A/", "B/"}, {"A", "B"}, 0, {}, {}, {}, {"A"}},
    {"MountPointIsContentNeverEntered",
     {"x", "F/E/", "F/M/inner/", "F/G/"},
     {"F/E", "F/G"},
     0,
     {},
     {},
     {},
     {},
     {"F/M"}},
    {"MountPointBesideFilesIsNotListed", {"f", "M/", "A/"}, {"A"}, 0, {}, {}, {}, {}, {"M"}},
};

class TreeTest : public testing::TestWithParam<std::tuple<TreeCase, unsigned>> {};

TEST_P(TreeTest, ListsTheTopmostEmptyFolders) {
    const auto& [tree, threads] = GetParam();
    FakeFileSystem fileSystem;
    for (const std::string& entry : tree.entries) {
        fileSystem.Add(entry);
    }
    auto mark = [&](const std::vector<std::string>& paths, bool FakeFileSystem::Node::*flag) {
        for (const std::string& path : paths) {
            fileSystem.Find(path)->*flag = true;
        }
    };
    for (const std::string& path : tree.readOnly) {
        fileSystem.Find(path)->attributes |= FolderAttributeReadOnly;
    }
    mark(tree.unreadable, &FakeFileSystem::Node::failContents);
    mark(tree.unopenable, &FakeFileSystem::Node::failOpen);
    mark(tree.attributesFail, &FakeFileSystem::Node::failAttributes);
    mark(tree.mountPoints, &FakeFileSystem::Node::mountPoint);
    FakeScanHost host;
    host.readOnlyOptionValue = tree.option;

    EXPECT_EQ(Scan(fileSystem, host, {threads, 1}).rows, Numbered(tree.rows));
}

INSTANTIATE_TEST_SUITE_P(Trees, TreeTest,
                         testing::Combine(testing::ValuesIn(TreeCases), testing::Values(1u, 4u)),
                         [](const testing::TestParamInfo<TreeTest::ParamType>& testInfo) {
                             return std::string(std::get<0>(testInfo.param).name) + "_" +
                                    std::to_string(std::get<1>(testInfo.param)) + "threads";
                         });

TEST(EmptyFolderScan, RootResultIsTheWholeSubtree) {
    FakeFileSystem empty;
    empty.Add("a/b/");
    FakeScanHost host;
    EXPECT_TRUE(Scan(empty, host).subtreeEmpty);

    FakeFileSystem full;
    full.Add("a/b/f");
    EXPECT_FALSE(Scan(full, host).subtreeEmpty);
}

TEST(EmptyFolderScan, RowPathIsRelativeToRootWithoutLeadingSeparator) {
    FakeFileSystem fileSystem("D:\\Work");
    fileSystem.Add("f");
    fileSystem.Add("a/g");
    fileSystem.Add("a/b/");
    MemoryResultList list;
    FakeScanHost host;
    EmptyFolderScan scan(fileSystem, list, host, "D:\\Work", WalkAlone);
    scan.ScanFolder("D:\\Work");
    ASSERT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(list.Rows()[0].text, "0");
    EXPECT_EQ(list.SubItem1Text(0), "a\\b");
    EXPECT_FALSE(list.IsRemoved(0));
}

TEST(EmptyFolderScan, NumbersContinueFromRowsAlreadyInTheList) {
    FakeFileSystem fileSystem;
    fileSystem.Add("f");
    fileSystem.Add("A/");
    MemoryResultList list;
    list.AddRow("earlier");
    FakeScanHost host;
    EmptyFolderScan(fileSystem, list, host, fileSystem.RootPath(), WalkAlone)
        .ScanFolder(fileSystem.RootPath());
    ASSERT_EQ(list.RowCount(), 2u);
    EXPECT_EQ(list.Rows()[1].text, "1");
    EXPECT_EQ(list.SubItem1Text(1), "A");
}

TEST(EmptyFolderScan, ReadOnlySubfolderIsNotScanned) {
    FakeFileSystem fileSystem;
    fileSystem.Add("F/R/inner/");
    fileSystem.Find("F/R")->attributes |= FolderAttributeReadOnly;
    FakeScanHost host;
    Scan(fileSystem, host);
    EXPECT_FALSE(WasOpened(fileSystem, "F/R"));
}

TEST(EmptyFolderScan, SubfolderVanishingBeforeItsOpeningEndsParentScan) {
    FakeFileSystem fileSystem;
    for (const char* entry : {"f", "P/P1/f", "P/P1/a/", "P/V/", "P/P2/", "Q/"}) {
        fileSystem.Add(entry);
    }
    fileSystem.onOpen = [&](const std::string& path) {
        if (path == fileSystem.RootPath() + "\\P\\V") {
            fileSystem.Remove("P/V");
        }
    };
    FakeScanHost host;
    EXPECT_EQ(Scan(fileSystem, host).rows, Numbered({"P/P1/a", "Q"}));
    EXPECT_FALSE(WasOpened(fileSystem, "P/P2"));
}

TEST(EmptyFolderScan, RootThatCannotBeReadIsReported) {
    FakeFileSystem unopenable;
    unopenable.Root().failOpen = true;
    FakeFileSystem unreadable;
    unreadable.Root().failContents = true;
    for (FakeFileSystem* fileSystem : {&unopenable, &unreadable}) {
        MemoryResultList list;
        FakeScanHost host;
        EmptyFolderScan scan(*fileSystem, list, host, fileSystem->RootPath(), WalkAlone);
        EXPECT_FALSE(scan.ScanFolder(fileSystem->RootPath()));
        EXPECT_TRUE(scan.RootUnreadable());
        EXPECT_EQ(list.RowCount(), 0u);
    }
}

TEST(EmptyFolderScan, StopBeforeStartOpensNothing) {
    FakeFileSystem fileSystem;
    fileSystem.Add("A/");
    FakeScanHost host;
    host.stopRequested = true;
    MemoryResultList list;
    EmptyFolderScan scan(fileSystem, list, host, fileSystem.RootPath(), WalkAlone);
    EXPECT_FALSE(scan.ScanFolder(fileSystem.RootPath()));
    EXPECT_FALSE(scan.RootUnreadable());
    EXPECT_EQ(host.doEventsCalls, 1);
    EXPECT_TRUE(fileSystem.opened.empty());
}

struct StopCase {
    const char* name;
    std::vector<std::string> entries;
    int stopAtCall; // the DoEvents call (counted from 1, the root's) that sets the flag
    std::vector<std::string> rows;
    int doEventsCalls;
    std::vector<std::string> opened; // relative; the root is always opened
};

// CTest shows the case's name, not its bytes.
void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

const StopCase StopCases[] = {
    // Root, a, then b stops: b, c and d cost one immediate call each.
    {"BesideFiles", {"f", "a/", "b/", "c/", "d/"}, 3, {"a"}, 5, {"a"}},
    // The root's candidates found before the stop are still listed.
    {"WithoutFiles", {"a/", "b/", "c/x/", "d/"}, 4, {"a", "b"}, 5, {"a", "b"}},
    // A folder under way lists what it had, where a full scan would list the folder itself.
    {"InsideSubfolder", {"f", "A/A1/", "A/A2/", "B/"}, 4, {"A/A1"}, 5, {"A", "A/A1"}},
};

class StopTest : public testing::TestWithParam<StopCase> {};

TEST_P(StopTest, KeepsRowsFoundAndExaminesNothingMore) {
    const StopCase& stop = GetParam();
    FakeFileSystem fileSystem;
    for (const std::string& entry : stop.entries) {
        fileSystem.Add(entry);
    }
    FakeScanHost host;
    host.onDoEvents = [&] {
        if (host.doEventsCalls == stop.stopAtCall) {
            host.stopRequested = true;
        }
    };
    EXPECT_EQ(Scan(fileSystem, host).rows, Numbered(stop.rows));
    EXPECT_EQ(host.doEventsCalls, stop.doEventsCalls);
    std::vector<std::string> expectedOpened{fileSystem.RootPath()};
    for (const std::string& relative : stop.opened) {
        std::string path = fileSystem.RootPath() + "\\" + relative;
        std::replace(path.begin(), path.end(), '/', '\\');
        expectedOpened.push_back(path);
    }
    EXPECT_EQ(fileSystem.opened, expectedOpened);
}

INSTANTIATE_TEST_SUITE_P(Stops, StopTest, testing::ValuesIn(StopCases),
                         [](const testing::TestParamInfo<StopCase>& testInfo) {
                             return std::string(testInfo.param.name);
                         });

TEST(EmptyFolderScan, OptionIsReadAnewAtEveryTest) {
    for (int initial : {0, 1}) {
        FakeFileSystem fileSystem;
        for (const char* entry : {"R1/", "E/", "R2/"}) {
            fileSystem.Add(entry);
        }
        fileSystem.Find("R1")->attributes |= FolderAttributeReadOnly;
        fileSystem.Find("R2")->attributes |= FolderAttributeReadOnly;
        FakeScanHost host;
        host.readOnlyOptionValue = initial;
        host.onDoEvents = [&] {
            if (host.doEventsCalls == 2) { // E's call: the user toggles the check box
                host.readOnlyOptionValue = 1 - initial;
            }
        };
        // Unchecked at first: R1 is excluded, which makes the root not empty, and R2, tested
        // after the toggle, counts. Checked at first: R2, tested after the toggle, is excluded.
        std::vector<std::string> expected =
            initial == 0 ? Numbered({"E", "R2"}) : Numbered({"R1", "E"});
        EXPECT_EQ(Scan(fileSystem, host).rows, expected) << "option at start " << initial;
    }
}

} // namespace
