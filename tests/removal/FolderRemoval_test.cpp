// The real removal on real trees: each race is staged once, deterministically, either
// before the removal starts or through the hook between the check and the first deletion.
#include "platform/FileSystem.h"
#include "platform/FolderRemovalHook.h"
#include "platform/HeldRoot.h"
#include "removal/RemovalTestTree.h"
#include "removal/ScannedRootRemoval.h"
#include "scan/ListingRules.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

#ifndef _WIN32
#include "platform/posix/PosixFolderRemoval.h"

#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

enum class When { BeforeRemoval, AfterCheck };

// A change to the tree; false when this platform cannot make it.
using TreeChange = std::function<bool(const fs::path& root)>;

struct RemovalCase {
    const char* name;
    std::vector<std::string> tree; // made first: "a/b/" a folder, "a/f" a file
    const char* listed;            // the row's path, '/'-separated
    When when;
    TreeChange change; // nullptr: none
    RemovalOutcome expected;
    std::vector<const char*> survivors; // must still stand afterwards
    // Made read-only, deepest first: the bits of those that survive must not change.
    std::vector<const char*> readOnly = {};
    // Rules given to the removal alone: nullptr none, else the common junk names and,
    // unless empty, this exclusion pattern.
    const char* rules = nullptr;
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

TreeChange AddFile(const char* relative) {
    return [=](const fs::path& root) {
        MakeTree(root, {relative});
        return true;
    };
}

TreeChange AddLink(const char* link, const char* target) {
    return [=](const fs::path& root) {
        return MakeFolderLink(Below(root, link), Below(root, target));
    };
}

// `folder` removed, then a link to `target` or, for nullptr, a file put in its place.
TreeChange Replace(const char* folder, const char* target = nullptr) {
    return [=](const fs::path& root) {
        std::error_code error;
        fs::remove_all(Below(root, folder), error);
        if (error) {
            return false;
        }
        if (target) {
            return MakeFolderLink(Below(root, folder), Below(root, target));
        }
        WriteFile(Below(root, folder), "a file now");
        return true;
    };
}

TreeChange Remove(const char* folder) {
    return [=](const fs::path& root) { return fs::remove_all(Below(root, folder)) > 0; };
}

#ifndef _WIN32
TreeChange AddFifo(const char* relative) {
    return [=](const fs::path& root) { return ::mkfifo(Below(root, relative).c_str(), 0600) == 0; };
}

// `folder` moved away, then a link to `target` or, for nullptr, a new empty folder put in
// its place: one the removal did not check.
TreeChange MoveAway(const char* folder, const char* target) {
    return [=](const fs::path& root) {
        fs::rename(Below(root, folder), root / "moved");
        if (target) {
            return MakeFolderLink(Below(root, folder), Below(root, target));
        }
        return fs::create_directory(Below(root, folder));
    };
}
#endif

// An ancestor replaced after the check: on Linux the removal goes on through the handles
// of the folders it checked, which no longer hold the listed folder. On Windows the
// removal holds the ancestors open without delete sharing, so the change is refused and
// the row is skipped.
constexpr RemovalOutcome AncestorLinkedAfterCheck = RemovalOutcome::Vanished;

constexpr When Before = When::BeforeRemoval;
constexpr When After = When::AfterCheck;
using enum RemovalOutcome;

// With junk names, junk goes with its folders; anything else stops them, at any time.
// clang-format off
const RemovalCase Cases[] = {
    {"NothingChanged", {"x/a/b/", "x/c/", "y/keep.txt"}, "x", Before, nullptr, Removed,
     {"y/keep.txt"}},
    {"FileAfterCheck", {"x/a/b/", "x/c/"}, "x", After, AddFile("x/new.txt"), GainedFile,
     {"x/new.txt"}},
    {"FileThreeLevelsDown", {"x/a/b/c/", "x/d/"}, "x", Before, AddFile("x/a/b/c/new.txt"),
     GainedFile, {"x/a/b/c/new.txt", "x/d"}},
    {"FileThreeLevelsDownAfterCheck", {"x/a/b/c/", "x/d/"}, "x", After,
     AddFile("x/a/b/c/new.txt"), GainedFile, {"x/a/b/c/new.txt"}},
    {"LinkInFolder", {"x/a/", "elsewhere/inner/", "elsewhere/f"}, "x", Before,
     AddLink("x/a/link", "elsewhere"), GainedFile, {"x/a/link", "elsewhere/f", "elsewhere/inner"}},
    {"FolderBecameLink", {"x/a/", "elsewhere/inner/", "elsewhere/f"}, "x", Before,
     Replace("x", "elsewhere"), BecameLink, {"x", "elsewhere/f", "elsewhere/inner"}},
    {"FolderBecameLinkAfterCheck", {"x/a/", "elsewhere/inner/", "elsewhere/f"}, "x", After,
     Replace("x", "elsewhere"), BecameLink, {"x", "elsewhere/f", "elsewhere/inner"}},
    {"AncestorBecameLink", {"p/q/x/a/", "other/q/x/a/"}, "p/q/x", Before, Replace("p", "other"),
     BecameLink, {"p", "other/q/x/a"}},
    {"AncestorBecameLinkAfterCheck", {"p/q/x/a/", "other/q/x/a/"}, "p/q/x", After,
     Replace("p", "other"), AncestorLinkedAfterCheck, {"other/q/x/a"}},
    {"FolderBecameFile", {"x/a/"}, "x", Before, Replace("x"), GainedFile, {"x"}},
    {"FolderBecameFileAfterCheck", {"x/a/"}, "x", After, Replace("x"), GainedFile, {"x"}},
    {"FolderVanished", {"x/a/", "y/"}, "x", Before, Remove("x"), Vanished, {"y"}},
    {"FolderVanishedAfterCheck", {"x/a/", "y/"}, "x", After, Remove("x"), Vanished, {"y"}},
    {"ReadOnlyFolders", {"x/a/b/", "x/c/"}, "x", Before, nullptr, Removed, {},
     {"x/a/b", "x/a", "x"}},
    {"ReadOnlyFoldersKeepTheirBits", {"x/a/b/c/", "x/d/"}, "x", After, AddFile("x/a/b/late.txt"),
     GainedFile, {"x/a/b/late.txt"}, {"x/a/b", "x/a", "x"}},
    {"ChainDeeperThanAnyPathLimit", {"deep/"}, "deep", Before, [](const fs::path& root) { return MakeDeepChain(root / "deep"); }, Removed, {}},
    {"FolderOfJunkOnly", {"x/a/b/", "x/Thumbs.db", "x/a/._b", "x/a/b/DESKTOP.INI"}, "x", Before,
     nullptr, Removed, {}, {}, ""},
    {"FileAfterCheckBesideJunk", {"x/a/", "x/Thumbs.db", "x/a/.DS_Store"}, "x", After,
     AddFile("x/a/new.txt"), GainedFile, {"x/a/new.txt"}, {}, ""},
    {"JunkNamedLinkIsContent", {"x/a/", "elsewhere/inner/", "x/Thumbs.db"}, "x", Before,
     AddLink("x/a/Thumbs.db", "elsewhere"), GainedFile,
     {"x/Thumbs.db", "x/a/Thumbs.db", "elsewhere/inner"}, {}, ""},
    {"JunkNamedFolderIsAFolder", {"x/Thumbs.db/a/f.txt"}, "x", Before, nullptr, GainedFile,
     {"x/Thumbs.db/a/f.txt"}, {}, ""},
    {"ExcludedBelowTheListedFolder", {"x/a/keep/", "x/Thumbs.db"}, "x", Before, nullptr,
     HoldsExcluded, {"x/a/keep", "x/Thumbs.db"}, {}, "keep"},
    {"ExcludedPathBelowTheListedFolder", {"p/x/a/keep/"}, "p/x", Before, nullptr, HoldsExcluded,
     {"p/x/a/keep"}, {}, "/p/*/a/keep"},
    {"ListedFolderExcludedByPath", {"p/x/a/"}, "p/x", Before, nullptr, Excluded, {"p/x/a"}, {},
     "p/x"},
    {"InsideAnExcludedFolder", {"p/x/a/"}, "p/x", Before, nullptr, Excluded, {"p/x/a"}, {}, "p"},
#ifndef _WIN32
    {"JunkNamedFifoIsContent", {"x/a/", "x/Thumbs.db"}, "x", Before, AddFifo("x/a/Thumbs.db"),
     GainedFile, {"x/Thumbs.db", "x/a/Thumbs.db"}, {}, ""},
    // A subfolder below the listed folder, replaced after the check: the removal meets a
    // folder it did not check and must leave it, and what it holds, alone.
    {"SubfolderBecameLinkAfterCheck", {"x/a/b/", "elsewhere/inner/"}, "x", After,
     MoveAway("x/a", "elsewhere"), BecameLink, {"x/a", "elsewhere/inner"}},
    {"SubfolderBecameNewFolderAfterCheck", {"x/a/b/"}, "x", After, MoveAway("x/a", nullptr),
     Failed, {"x/a"}},
#endif
};
// clang-format on

// `untyped`: as on a file system whose entries carry no type, where the removal looks at
// each entry by lstat.
void RemoveAfterChange(const RemovalCase& row, bool untyped) {
    TempFolder temp;
    const fs::path root = temp.Path();
    MakeTree(root, row.tree);
    std::vector<std::uint32_t> bits{PermissionBits(root)};
    for (const char* folder : row.readOnly) {
        MakeReadOnly(Below(root, folder));
        bits.push_back(PermissionBits(Below(root, folder)));
    }
    // Every change after the check keeps the folder: a hook that never ran fails the case.
    bool changeMade = true;
    AfterFolderCheckedHook hook;
    if (row.when == When::AfterCheck) {
        hook = [&](const std::string&) { changeMade = row.change(root); };
    } else if (row.change) {
        changeMade = row.change(root);
    }
#ifdef _WIN32
    static_cast<void>(untyped);
    std::unique_ptr<FolderRemoval> folderRemoval = CreateSystemFolderRemoval(hook);
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
