// The scan over the platform's real file system, on trees made in a temporary folder: random
// trees with read-only folders and hidden files against the plain walk over the same tree
// read with std::filesystem (whose order is the platform's own), and tables of exclusions
// and junk files, after the tables of their matchers.

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

// Patterns name a folder anywhere, or a path from the root; a leading '/' anchors at the
// root. On Windows case does not matter and either separator does.
TEST(ListingRules, MatchFoldersToExcludeAndJunkNames) {
    ListingRules rules('/');
    rules.AddExclude(".git");
    rules.AddExclude("src/gen/");
    rules.AddExclude("/top");
    rules.AddExclude("./py/");
    for (const char* path : {".git", "a/b/.git", "src/gen", "top", "py"}) {
        EXPECT_TRUE(rules.Excludes(path)) << path;
    }
    for (const char* path : {"x/src/gen", "gen", "a/top", ".GIT", "a/py"}) {
        EXPECT_FALSE(rules.Excludes(path)) << path;
    }
    EXPECT_TRUE(rules.ExcludesOrLiesIn("src/gen/deeper"));
    EXPECT_FALSE(rules.ExcludesOrLiesIn("src/other"));

    ListingRules windows('\\');
    windows.AddExclude("Src\\Gen");
    windows.AddExclude(".\\Py\\");
    EXPECT_TRUE(windows.Excludes("src\\GEN"));
    EXPECT_TRUE(windows.Excludes("py"));
    EXPECT_FALSE(windows.Excludes("a\\py"));
    EXPECT_TRUE(windows.ExcludesOrLiesIn("SRC/gen/x"));

    // Junk names are exact, whatever their case; "._" is a prefix.
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
