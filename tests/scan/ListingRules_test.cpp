// Exclusions and junk files: the matcher as a table, then the scan on real trees with the
// rules, read by the walk alone and with threads reading ahead.

#include "fakes/FakeScanHost.h"
#include "platform/FileSystem.h"
#include "platform/MemoryResultList.h"
#include "scan/EmptyFolderScan.h"
#include "scan/ListingRules.h"
#include "scan/RealTreeScan.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(GlobMatches, FollowsFnmatchWithDoubleStarForAnyDepth) {
    struct Case {
        const char* pattern;
        const char* text;
        bool matches;
    };
    const Case cases[] = {
        {"build", "build", true},
        {"build", "builds", false},
        {"*.tmp", "a.tmp", true},
        {"*.tmp", "x/a.tmp", false}, // '*' stops at '/'
        {"a/*", "a/b", true},
        {"a/*", "a/b/c", false},
        {"a?c", "abc", true},
        {"a?c", "a/c", false},
        {"[ab]x", "bx", true},
        {"[!ab]x", "bx", false},
        {"[a-c]x", "cx", true},
        {"[]]x", "]x", true},
        {"[x", "[x", true}, // an unclosed bracket is a character
        {"\\*x", "*x", true},
        {"\\*x", "ax", false},
        {"**/objects", "objects", true},
        {"**/objects", "a/b/.git/objects", true},
        {"**/objects", "a/objects2", false},
        {"a/**/z", "a/z", true},
        {"a/**/z", "a/b/c/z", true},
        {"a/**", "a/b/c", true},
        {"a/**", "b/c", false},
        {"*", "", true},
        {"", "a", false},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(GlobMatches(test.pattern, test.text, true, false), test.matches)
            << test.pattern << " on " << test.text;
    }
    // Many stars on a long name: each end of each star is tried once, not once per way of
    // getting there, so this ends at once instead of after years.
    EXPECT_FALSE(GlobMatches("*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(250, 'a'), true, false));
    EXPECT_TRUE(GlobMatches("BUILD", "build", false, true));
    EXPECT_FALSE(GlobMatches("BUILD", "build", true, false));
}

TEST(ListingRules, ExcludesByNameAnywhereAndByPathFromTheRoot) {
    ListingRules rules('/');
    rules.AddExclude(".git");
    rules.AddExclude("src/gen/");
    rules.AddExclude("/top");
    EXPECT_TRUE(rules.Excludes(".git"));
    EXPECT_TRUE(rules.Excludes("a/b/.git"));
    EXPECT_TRUE(rules.Excludes("src/gen"));
    EXPECT_FALSE(rules.Excludes("x/src/gen"));
    EXPECT_FALSE(rules.Excludes("gen"));
    EXPECT_TRUE(rules.Excludes("top"));
    EXPECT_FALSE(rules.Excludes("a/top")); // a leading '/' anchors at the root
    EXPECT_FALSE(rules.Excludes(".GIT"));
    EXPECT_TRUE(rules.ExcludesOrLiesIn("src/gen/deeper"));
    EXPECT_FALSE(rules.ExcludesOrLiesIn("src/other"));

    ListingRules windows('\\');
    windows.AddExclude("Src\\Gen");
    EXPECT_TRUE(windows.Excludes("src\\GEN"));
    EXPECT_TRUE(windows.ExcludesOrLiesIn("SRC/gen/x"));
}

TEST(ListingRules, JunkNamesAreExactWithoutCaseAndDotUnderscoreIsAPrefix) {
    ListingRules rules('/');
    rules.AddCommonJunk();
    rules.AddJunkName("Notes.BAK");
    for (const char* name :
         {"Thumbs.db", "THUMBS.DB", "desktop.ini", ".DS_Store", "._x", "Icon\r", "notes.bak"}) {
        EXPECT_TRUE(rules.IsJunkName(name)) << name;
    }
    for (const char* name : {"Thumbs.db2", "xThumbs.db", "._", "Icon", "Icon\r\r", "notes.bak~"}) {
        EXPECT_FALSE(rules.IsJunkName(name)) << name;
    }
}

struct RulesCase {
    const char* name;
    std::vector<std::string> entries;
    std::vector<std::string> excludes;
    bool commonJunk;
    std::vector<std::string> rows; // sorted; " junk" after a folder whose subtree holds junk
};

void PrintTo(const RulesCase& c, std::ostream* os) {
    *os << c.name;
}

// clang-format off
const RulesCase RulesCases[] = {
    {"ExcludedChildMakesItsParentNonEmpty", {"f", "P/.git/", "E/"}, {".git"}, false, {"E"}},
    {"PatternAtAnyDepth", {"f", "a/b/.git/objects/", "c/objects2/"}, {"**/objects"}, false,
     {"c"}},
    {"ByNameAndByPath", {"f", "x/build/", "src/gen/", "y/gen/"}, {"build", "src/gen"}, false,
     {"y"}},
    {"FolderOfJunkOnly", {"f", "J/Thumbs.db", "J/sub/._a", "K/"}, {}, true,
     {"J junk", "K"}},
    {"JunkOnlyDeeper", {"f", "D/a/Thumbs.db", "D/b/"}, {}, true, {"D junk"}},
    {"JunkBesideAFile", {"f", "J/desktop.ini", "J/real.txt", "J/E/"}, {}, true, {"J/E"}},
    {"JunkNamedFolderIsAFolder", {"f", "K/Thumbs.db/"}, {}, true, {"K"}},
    {"JunkWithoutTheRule", {"f", "J/Thumbs.db", "K/"}, {}, false, {"K"}},
};
// clang-format on

class RulesTreeTest : public testing::TestWithParam<std::tuple<RulesCase, unsigned>> {};

TEST_P(RulesTreeTest, ListsWhatTheRulesLeaveEmpty) {
    const auto& [tree, threads] = GetParam();
    TempFolder temp;
    MakeTree(temp.Path(), tree.entries);
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    ListingRules rules(fileSystem->PathSeparator());
    for (const std::string& pattern : tree.excludes) {
        rules.AddExclude(pattern);
    }
    if (tree.commonJunk) {
        rules.AddCommonJunk();
    }
    MemoryResultList list;
    FakeScanHost host;
    EmptyFolderScan scan(*fileSystem, list, host, temp.Text(), ReadAheadSettings(threads), &rules);
    std::vector<bool> junkMarks;
    scan.OnRowJunk([&](bool holdsJunk) { junkMarks.push_back(holdsJunk); });
    scan.ScanFolder(temp.Text());

    ASSERT_EQ(junkMarks.size(), list.Rows().size());
    std::vector<std::string> rows;
    for (std::size_t row = 0; row < junkMarks.size(); ++row) {
        std::string path = list.Rows()[row].subItem1;
        std::replace(path.begin(), path.end(), fileSystem->PathSeparator(), '/');
        rows.push_back(path + (junkMarks[row] ? " junk" : ""));
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, tree.rows);
}

INSTANTIATE_TEST_SUITE_P(Trees, RulesTreeTest,
                         testing::Combine(testing::ValuesIn(RulesCases), testing::Values(1u, 4u)),
                         [](const auto& row) {
                             return std::string(std::get<0>(row.param).name) + "_threads" +
                                    std::to_string(std::get<1>(row.param));
                         });

} // namespace
