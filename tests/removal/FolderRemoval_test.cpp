// The removal on real trees, in both builds: each race is staged once, deterministically,
// either before the removal starts or through the hook between the check and the first
// deletion. Random trees and races over the fake and as `nobody` are in RemovalModel_test.
#include "platform/FileSystem.h"
#include "platform/HeldRoot.h"
#include "removal/FolderRemovalHook.h"
#include "removal/RemovalTestTree.h"
#include "removal/ScannedRootRemoval.h"
#include "scan/ListingRules.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class When { BeforeRemoval, AfterCheck };

// A change to the tree, made on a real tree or a fake one.
struct Change {
    enum Kind { AddFile, AddLink, ReplaceByLink, ReplaceByFile, Remove, MoveAway, Deep };
    Kind kind;
    const char* path;
    const char* target = nullptr; // the link's target
};

struct RemovalCase {
    const char* name;
    std::vector<std::string> tree; // made first: "a/b/" a folder, "a/f" a file
    const char* listed;            // the row's path, '/'-separated
    When when;
    std::optional<Change> change;
    RemovalOutcome expected;
    std::vector<const char*> survivors; // must still stand afterwards
    // Made read-only, deepest first: the bits of those that survive must not change.
    std::vector<const char*> readOnly = {};
    // Rules given to the removal alone: nullptr none, else the common junk names and,
    // unless empty, this exclusion pattern.
    const char* rules = nullptr;
    bool onlyLinux = false;       // a change Windows cannot make
    const char* reason = nullptr; // the result's text, where the table pins it
};

// CTest shows the case's name, not its bytes.
void PrintTo(const RemovalCase& row, std::ostream* os) {
    *os << row.name;
}

fs::path Below(const fs::path& root, const char* relative) {
    return (root / fs::path(relative)).make_preferred();
}

std::string RowPath(const char* relative) {
    return Below(fs::path(), relative).string();
}

// Makes the change; false when this platform cannot. MoveAway puts a new folder in place.
bool MakeChange(const fs::path& root, const Change& change) {
    const fs::path path = Below(root, change.path);
    std::error_code error;
    switch (change.kind) {
    case Change::AddFile:
        MakeTree(root, {change.path});
        return true;
    case Change::AddLink:
        return MakeFolderLink(path, Below(root, change.target));
    case Change::ReplaceByLink:
        return fs::remove_all(path, error) > 0 && MakeFolderLink(path, Below(root, change.target));
    case Change::ReplaceByFile:
        if (fs::remove_all(path, error) > 0) {
            WriteFile(path, "a file now");
        }
        return !error;
    case Change::Remove:
        return fs::remove_all(path) > 0;
    case Change::MoveAway:
        fs::rename(path, root / "moved", error);
        return !error && fs::create_directory(path);
    case Change::Deep:
        return MakeDeepChain(path);
    }
    return false;
}

constexpr When Before = When::BeforeRemoval;
constexpr When After = When::AfterCheck;
using enum RemovalOutcome;
using enum Change::Kind;

// With junk names, junk goes with its folders; anything else stops them, at any time. The
// rows are those a random tree cannot make, and the races Windows can stage.
// clang-format off
const RemovalCase Cases[] = {
    {"ReadOnlyFoldersOfJunk", {"x/a/b/", "x/c/", "x/Thumbs.db", "x/a/._b", "x/a/b/DESKTOP.INI",
     "y/keep.txt"}, "x", Before, {}, Removed, {"y/keep.txt"}, {"x/a/b", "x/a", "x"}, ""},
    {"FileAfterCheck", {"x/a/b/", "x/c/"}, "x", After, Change{AddFile, "x/new.txt"}, GainedFile,
     {"x/new.txt"}},
    {"FolderBecameLink", {"x/a/", "elsewhere/inner/", "elsewhere/f"}, "x", Before,
     Change{ReplaceByLink, "x", "elsewhere"}, BecameLink, {"x", "elsewhere/f", "elsewhere/inner"}},
    {"FolderBecameLinkAfterCheck", {"x/a/", "elsewhere/inner/", "elsewhere/f"}, "x", After,
     Change{ReplaceByLink, "x", "elsewhere"}, BecameLink, {"x", "elsewhere/f", "elsewhere/inner"}},
    {"AncestorBecameLink", {"p/q/x/a/", "other/q/x/a/"}, "p/q/x", Before,
     Change{ReplaceByLink, "p", "other"}, BecameLink, {"p", "other/q/x/a"}},
    // The removal goes on through the folders it holds, which no longer hold the listed
    // folder. (Windows refuses the change: the removal holds them without delete sharing.)
    {"AncestorBecameLinkAfterCheck", {"p/q/x/a/", "other/q/x/a/"}, "p/q/x", After,
     Change{ReplaceByLink, "p", "other"}, Vanished, {"other/q/x/a"}},
    {"FolderBecameFile", {"x/a/"}, "x", Before, Change{ReplaceByFile, "x"}, GainedFile, {"x"}},
    {"FolderBecameFileAfterCheck", {"x/a/"}, "x", After, Change{ReplaceByFile, "x"}, GainedFile,
     {"x"}},
    {"FolderVanished", {"x/a/", "y/"}, "x", Before, Change{Remove, "x"}, Vanished, {"y"}},
    {"FolderVanishedAfterCheck", {"x/a/", "y/"}, "x", After, Change{Remove, "x"}, Vanished, {"y"}},
    {"ReadOnlyFoldersKeepTheirBits", {"x/a/b/c/", "x/d/"}, "x", After,
     Change{AddFile, "x/a/b/late.txt"}, GainedFile, {"x/a/b/late.txt"}, {"x/a/b", "x/a", "x"}},
    {"ChainDeeperThanAnyPathLimit", {"deep/"}, "deep", Before, Change{Deep, "deep"}, Removed, {}},
    {"FileAfterCheckBesideJunk", {"x/a/", "x/Thumbs.db", "x/a/.DS_Store"}, "x", After,
     Change{AddFile, "x/a/new.txt"}, GainedFile, {"x/a/new.txt", "x/a/.DS_Store", "x/Thumbs.db"},
     {}, ""},
    {"JunkNamedLinkIsContent", {"x/a/", "elsewhere/inner/", "x/Thumbs.db"}, "x", Before,
     Change{AddLink, "x/a/Thumbs.db", "elsewhere"}, GainedFile,
     {"x/Thumbs.db", "x/a/Thumbs.db", "elsewhere/inner"}, {}, ""},
    {"JunkNamedFolderIsAFolder", {"x/Thumbs.db/a/f.txt"}, "x", Before, {}, GainedFile,
     {"x/Thumbs.db/a/f.txt"}, {}, ""},
    {"ExcludedPathBelowTheListedFolder", {"p/x/a/keep/"}, "p/x", Before, {}, HoldsExcluded,
     {"p/x/a/keep"}, {}, "/p/*/a/keep"},
    {"ListedFolderExcludedByPath", {"p/x/a/"}, "p/x", Before, {}, Excluded, {"p/x/a"}, {},
     "p/x"},
    // A subfolder below the listed folder, replaced after the check: the removal meets a
    // folder it did not check and must leave it, and what it holds, alone.
    {"SubfolderBecameNewFolderAfterCheck", {"x/a/b/"}, "x", After, Change{MoveAway, "x/a"},
     Failed, {"x/a", "moved/b"}, {}, nullptr, true,
     "it could not be removed: it changed while it was being removed"},
};
// clang-format on

// `untyped`: as on a file system whose entries carry no type, where the removal looks at
// each entry by lstat.
void RemoveAfterChange(const RemovalCase& row, bool untyped) {
#ifdef _WIN32
    if (row.onlyLinux) {
        GTEST_SKIP() << "Windows cannot make this change";
    }
#endif
    TempFolder temp;
    const fs::path root = temp.Path();
    MakeTree(root, row.tree);
    std::vector<std::uint32_t> bits{PermissionBits(root)};
    for (const char* folder : row.readOnly) {
        MakeReadOnly(Below(root, folder));
        bits.push_back(PermissionBits(Below(root, folder)));
    }
    // Every change after the check keeps the folder: a hook that never ran fails the case.
    bool changeMade = !row.change || row.when == After || MakeChange(root, *row.change);
    AfterFolderCheckedHook hook;
    if (row.change && row.when == After) {
        hook = [&](const std::string&) { changeMade = MakeChange(root, *row.change); };
    }
#ifdef _WIN32
    static_cast<void>(untyped);
    std::unique_ptr<FolderRemoval> folderRemoval = CreateFolderRemoval(nullptr, hook);
#else
    PosixRemovalOptions options;
    options.afterChecked = hook;
    options.ignoreEntryTypes = untyped;
    std::unique_ptr<FolderRemoval> folderRemoval = CreatePosixFolderRemoval(options);
#endif
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    ListingRules rules(fileSystem->PathSeparator());
    rules.AddCommonJunk();
    if (row.rules && *row.rules) {
        rules.AddExclude(row.rules);
    }
    ScannedRootRemoval removal(*folderRemoval, fileSystem->GetFolder(temp.Text())->HoldRoot(),
                               row.rules ? &rules : nullptr);
    ASSERT_TRUE(removal.HoldsScannedRoot()) << removal.RootFailure();

    RemovalResult result = removal.DeleteFolder(RowPath(row.listed));
    if (!changeMade) {
        GTEST_SKIP() << "this platform cannot make the change";
    }

    EXPECT_EQ(result.outcome, row.expected) << result.reason;
    if (row.reason) {
        EXPECT_EQ(result.reason, row.reason);
    }
    for (const char* survivor : row.survivors) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(Below(root, survivor)))) << survivor;
    }
    if (row.expected == Removed) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(Below(root, row.listed))));
    }
    EXPECT_EQ(PermissionBits(root), bits[0]);
    for (std::size_t at = 0; at < row.readOnly.size(); ++at) {
        const fs::path folder = Below(root, row.readOnly[at]);
        if (fs::exists(folder)) {
            EXPECT_EQ(PermissionBits(folder), bits[at + 1]) << row.readOnly[at];
            ClearReadOnly(folder);
        }
    }
}

class FolderRemovalTest : public testing::TestWithParam<RemovalCase> {};

TEST_P(FolderRemovalTest, KeepsEveryFileAndReportsTheChange) {
    RemoveAfterChange(GetParam(), false);
#ifndef _WIN32
    SCOPED_TRACE("entries without a type");
    RemoveAfterChange(GetParam(), true);
#endif
}

INSTANTIATE_TEST_SUITE_P(Changes, FolderRemovalTest, testing::ValuesIn(Cases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FolderRemoval, RefusesPathsThatDoNotNameAFolderBelowTheRoot) {
    TempFolder temp;
    fs::create_directories(temp.Path() / "root" / "a");
    fs::create_directories(temp.Path() / "outside");
    for (const char* path :
         {"", ".", "..", "../outside", "a/../../outside", "/a", "a/", "a//b", "a/."}) {
        RemovalResult result =
            RemoveRow(*CreateSystemFolderRemoval(), temp.Text("root"), RowPath(path));
        EXPECT_EQ(result.outcome, Failed) << "'" << path << "'";
        EXPECT_EQ(result.reason,
                  "it could not be removed: it is not a folder below the root folder");
    }
    EXPECT_TRUE(fs::exists(temp.Path() / "root" / "a"));
    EXPECT_TRUE(fs::exists(temp.Path() / "outside"));
}

// A run reaches its rows from the root the scan held, never by the root's path: renamed
// away, with a look-alike put in its place, the held folder loses its row and the look-alike
// keeps its own. (Windows refuses to rename a held folder.)
TEST(FolderRemoval, ARunRemovesFromTheHeldRootWhereverItIsNow) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    fs::create_directories(root / "x" / "a");
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    std::shared_ptr<const HeldRoot> held = fileSystem->GetFolder(PathText(root))->HoldRoot();
    ASSERT_TRUE(held);
    std::error_code error;
    fs::rename(root, temp.Path() / "moved", error);
    if (error) {
        GTEST_SKIP() << "this platform cannot rename a held folder";
    }
    fs::create_directories(root / "x" / "a");

    RemovalResult failure;
    std::unique_ptr<RemovalRun> run = CreateSystemFolderRemoval()->OpenRun(*held, failure);
    ASSERT_TRUE(run) << failure.reason;
    EXPECT_EQ(run->DeleteFolder("x").outcome, Removed);

    EXPECT_FALSE(fs::exists(temp.Path() / "moved" / "x"));
    EXPECT_TRUE(fs::exists(root / "x" / "a"));
}

// An age limit is judged again just before removal, through the whole subtree: a folder
// whose subfolder lost a child since the scan changed just now and is kept; so is an empty
// folder that is new; one unchanged all through goes.
TEST(FolderRemoval, AnAgeLimitKeepsAFolderThatChangedBelow) {
    TempFolder temp;
    const fs::path root = temp.Path();
    MakeTree(root, {"f", "old/x/y/", "touched/x/y/", "new/"});
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 40);
    std::error_code error;
    for (const char* folder : {"old/x/y", "old/x", "old", "touched/x/y", "touched/x", "touched"}) {
        fs::last_write_time(Below(root, folder), longAgo, error);
        if (error) {
            GTEST_SKIP() << "this platform cannot set a folder's time: " << error.message();
        }
    }
    fs::remove(Below(root, "touched/x/y"));
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    ListingRules rules(fileSystem->PathSeparator());
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch());
    rules.SetChangedSince(now.count() - 30 * 24 * 3600);
    std::unique_ptr<FolderRemoval> folderRemoval = CreateSystemFolderRemoval();
    ScannedRootRemoval removal(*folderRemoval, fileSystem->GetFolder(temp.Text())->HoldRoot(),
                               &rules);
    ASSERT_TRUE(removal.HoldsScannedRoot()) << removal.RootFailure();

    EXPECT_EQ(removal.DeleteFolder(RowPath("touched")).outcome, Recent);
    EXPECT_EQ(removal.DeleteFolder(RowPath("new")).outcome, Recent);
    EXPECT_EQ(removal.DeleteFolder(RowPath("old")).outcome, Removed);
    EXPECT_TRUE(fs::exists(Below(root, "touched/x")));
    EXPECT_TRUE(fs::exists(Below(root, "new")));
    EXPECT_FALSE(fs::exists(Below(root, "old")));
}

} // namespace
