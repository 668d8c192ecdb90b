// The real removal on real trees: each race is staged once, deterministically, either
// before the removal starts or through the hook between the check and the first deletion.
#include "platform/FileSystem.h"
#include "platform/FolderRemovalHook.h"
#include "removal/RemovalTestTree.h"
#include "removal/ScannedRootRemoval.h"
#include "scan/ListingRules.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

enum class When { BeforeRemoval, AfterCheck };

// A change to the tree; false when this platform cannot make it.
using TreeChange = std::function<bool(const fs::path& root)>;

struct RaceCase {
    const char* name;
    std::vector<const char*> folders; // made below the root first
    std::vector<const char*> files;
    const char* listed; // the row's path, '/'-separated
    When when;
    TreeChange change;
    RemovalOutcome expected;
    std::vector<const char*> survivors; // must still stand afterwards
};

// CTest shows the case's name, not its bytes.
void PrintTo(const RaceCase& row, std::ostream* os) {
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
        WriteFile(Below(root, relative), "added after the scan");
        return true;
    };
}

TreeChange ReplaceByLink(const char* folder, const char* target) {
    return [=](const fs::path& root) {
        std::error_code error;
        fs::remove_all(Below(root, folder), error);
        return !error && MakeFolderLink(Below(root, folder), Below(root, target));
    };
}

TreeChange ReplaceByFile(const char* folder) {
    return [=](const fs::path& root) {
        fs::remove_all(Below(root, folder));
        WriteFile(Below(root, folder), "a file now");
        return true;
    };
}

TreeChange Remove(const char* folder) {
    return [=](const fs::path& root) {
        fs::remove_all(Below(root, folder));
        return true;
    };
}

TreeChange AddLink(const char* link, const char* target) {
    return [=](const fs::path& root) {
        return MakeFolderLink(Below(root, link), Below(root, target));
    };
}

// An ancestor replaced after the check: on Linux the removal goes on through the handles
// of the folders it checked, which no longer hold the listed folder. On Windows the
// removal holds the ancestors open without delete sharing, so the change is refused and
// the row is skipped.
constexpr RemovalOutcome AncestorLinkedAfterCheck = RemovalOutcome::Vanished;

// clang-format off
const RaceCase RaceCases[] = {
    {"FileInFolder", {"x/a/b", "x/c"}, {}, "x", When::BeforeRemoval,
     AddFile("x/new.txt"), RemovalOutcome::GainedFile, {"x/new.txt", "x/a/b", "x/c"}},
    {"FileInFolderAfterCheck", {"x/a/b", "x/c"}, {}, "x", When::AfterCheck,
     AddFile("x/new.txt"), RemovalOutcome::GainedFile, {"x/new.txt"}},
    {"FileThreeLevelsDown", {"x/a/b/c", "x/d"}, {}, "x", When::BeforeRemoval,
     AddFile("x/a/b/c/new.txt"), RemovalOutcome::GainedFile, {"x/a/b/c/new.txt", "x/d"}},
    {"FileThreeLevelsDownAfterCheck", {"x/a/b/c", "x/d"}, {}, "x", When::AfterCheck,
     AddFile("x/a/b/c/new.txt"), RemovalOutcome::GainedFile, {"x/a/b/c/new.txt"}},
    {"LinkInFolder", {"x/a", "elsewhere/inner"}, {"elsewhere/canary.txt"}, "x",
     When::BeforeRemoval, AddLink("x/a/link", "elsewhere"), RemovalOutcome::GainedFile,
     {"x/a/link", "elsewhere/canary.txt", "elsewhere/inner"}},
    {"FolderBecameLink", {"x/a", "elsewhere/inner"}, {"elsewhere/canary.txt"}, "x",
     When::BeforeRemoval, ReplaceByLink("x", "elsewhere"), RemovalOutcome::BecameLink,
     {"x", "elsewhere/canary.txt", "elsewhere/inner"}},
    {"FolderBecameLinkAfterCheck", {"x/a", "elsewhere/inner"}, {"elsewhere/canary.txt"}, "x",
     When::AfterCheck, ReplaceByLink("x", "elsewhere"), RemovalOutcome::BecameLink,
     {"x", "elsewhere/canary.txt", "elsewhere/inner"}},
    {"AncestorBecameLink", {"p/q/x/a", "other/q/x/a"}, {}, "p/q/x", When::BeforeRemoval,
     ReplaceByLink("p", "other"), RemovalOutcome::BecameLink, {"p", "other/q/x/a"}},
    {"AncestorBecameLinkAfterCheck", {"p/q/x/a", "other/q/x/a"}, {}, "p/q/x", When::AfterCheck,
     ReplaceByLink("p", "other"), AncestorLinkedAfterCheck, {"other/q/x/a"}},
    {"FolderBecameFile", {"x/a"}, {}, "x", When::BeforeRemoval,
     ReplaceByFile("x"), RemovalOutcome::GainedFile, {"x"}},
    {"FolderBecameFileAfterCheck", {"x/a"}, {}, "x", When::AfterCheck,
     ReplaceByFile("x"), RemovalOutcome::GainedFile, {"x"}},
    {"FolderVanished", {"x/a", "y"}, {}, "x", When::BeforeRemoval,
     Remove("x"), RemovalOutcome::Vanished, {"y"}},
    {"FolderVanishedAfterCheck", {"x/a", "y"}, {}, "x", When::AfterCheck,
     Remove("x"), RemovalOutcome::Vanished, {"y"}},
    {"NothingChanged", {"x/a/b", "x/c", "y"}, {"y/keep.txt"}, "x", When::BeforeRemoval,
     [](const fs::path&) { return true; }, RemovalOutcome::Removed, {"y/keep.txt"}},
};
// clang-format on

class RaceTest : public testing::TestWithParam<RaceCase> {};

TEST_P(RaceTest, KeepsEveryFileAndReportsTheChange) {
    const RaceCase& race = GetParam();
    TempFolder temp;
    const fs::path root = temp.Path();
    for (const char* folder : race.folders) {
        fs::create_directories(Below(root, race.listed).parent_path());
        fs::create_directories(Below(root, folder));
    }
    for (const char* file : race.files) {
        WriteFile(Below(root, file), "canary");
    }

    bool changeMade = true;
    bool hookRan = false;
    AfterFolderCheckedHook hook;
    if (race.when == When::AfterCheck) {
        hook = [&](const std::string&) {
            hookRan = true;
            changeMade = race.change(root);
        };
    } else {
        changeMade = race.change(root);
    }
    if (!changeMade) {
        GTEST_SKIP() << "this platform cannot make the change";
    }
    RemovalResult result =
        RemoveRow(*CreateSystemFolderRemoval(hook), temp.Text(), RowPath(race.listed));
    if (!changeMade) {
        GTEST_SKIP() << "this platform cannot make the change";
    }

    EXPECT_EQ(result.outcome, race.expected) << result.reason;
    EXPECT_EQ(result.outcome == RemovalOutcome::Removed, result.reason.empty()) << result.reason;
    EXPECT_EQ(hookRan, race.when == When::AfterCheck);
    for (const char* survivor : race.survivors) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(Below(root, survivor)))) << survivor;
    }
    for (const char* file : race.files) {
        EXPECT_EQ(ReadFile(Below(root, file)), "canary") << file;
    }
    if (race.expected == RemovalOutcome::Removed) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(Below(root, race.listed))));
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, RaceTest, testing::ValuesIn(RaceCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FolderRemoval, RemovesReadOnlyFoldersWithTheirEmptySubfolders) {
    TempFolder temp;
    fs::create_directories(temp.Path() / "x" / "a" / "b");
    fs::create_directories(temp.Path() / "x" / "c");
    SetReadOnly(temp.Path() / "x" / "a" / "b");
    SetReadOnly(temp.Path() / "x" / "a");
    SetReadOnly(temp.Path() / "x");

    RemovalResult result = RemoveRow(*CreateSystemFolderRemoval(), temp.Text(), "x");

    EXPECT_EQ(result.outcome, RemovalOutcome::Removed) << result.reason;
    EXPECT_FALSE(fs::exists(temp.Path() / "x"));
    EXPECT_TRUE(fs::exists(temp.Path()));
}

TEST(FolderRemoval, LeavesTheBitsOfSurvivingFoldersAsTheyWere) {
    TempFolder temp;
    const fs::path x = temp.Path() / "x";
    fs::create_directories(x / "a" / "b" / "c");
    fs::create_directories(x / "d");
    SetReadOnly(x / "a" / "b");
    SetReadOnly(x / "a");
    SetReadOnly(x);
    const std::uint32_t rootBits = PermissionBits(temp.Path());
    const std::uint32_t xBits = PermissionBits(x);
    const std::uint32_t aBits = PermissionBits(x / "a");
    const std::uint32_t bBits = PermissionBits(x / "a" / "b");

    // The file lands after the check: "c" goes, "b" cannot.
    auto removal = CreateSystemFolderRemoval([&](const std::string&) {
        SetReadOnly(x / "a" / "b", false);
        WriteFile(x / "a" / "b" / "late.txt", "late");
        SetReadOnly(x / "a" / "b");
    });
    RemovalResult result = RemoveRow(*removal, temp.Text(), "x");

    EXPECT_EQ(result.outcome, RemovalOutcome::GainedFile);
    EXPECT_EQ(result.reason, "a file appeared in it");
    EXPECT_EQ(ReadFile(x / "a" / "b" / "late.txt"), "late");
    EXPECT_EQ(PermissionBits(temp.Path()), rootBits);
    EXPECT_EQ(PermissionBits(x), xBits);
    EXPECT_EQ(PermissionBits(x / "a"), aBits);
    EXPECT_EQ(PermissionBits(x / "a" / "b"), bBits);
    for (const fs::path& folder : {x / "a" / "b", x / "a", x}) {
        SetReadOnly(folder, false);
    }
}

TEST(FolderRemoval, RefusesPathsThatDoNotNameAFolderBelowTheRoot) {
    TempFolder temp;
    fs::create_directories(temp.Path() / "root" / "a");
    fs::create_directories(temp.Path() / "outside");
    const std::string root = temp.Text("root");
    const fs::path sep = fs::path("/").make_preferred();
    const std::string s = sep.string();
    for (const std::string& path : {std::string(), std::string("."), std::string(".."),
                                    ".." + s + "outside", "a" + s + ".." + s + ".." + s + "outside",
                                    s + "a", "a" + s, "a" + s + s + "b", "a" + s + "."}) {
        RemovalResult result = RemoveRow(*CreateSystemFolderRemoval(), root, path);
        EXPECT_EQ(result.outcome, RemovalOutcome::Failed) << "'" << path << "'";
        EXPECT_EQ(result.reason,
                  "it could not be removed: it is not a folder below the root folder");
    }
    EXPECT_TRUE(fs::exists(temp.Path() / "root" / "a"));
    EXPECT_TRUE(fs::exists(temp.Path() / "outside"));
}

TEST(FolderRemoval, RemovesAChainDeeperThanAnyPathLimit) {
#ifdef _WIN32
    const int depth = 300; // past MAX_PATH; each level costs a path lookup under Wine
#else
    const int depth = 5000;
#endif
    TempFolder temp;
    fs::create_directories(temp.Path() / "deep");
    MakeDeepChain(temp.Path() / "deep", "level", depth);

    RemovalResult result = RemoveRow(*CreateSystemFolderRemoval(), temp.Text(), "deep");

    EXPECT_EQ(result.outcome, RemovalOutcome::Removed) << result.reason;
    EXPECT_FALSE(fs::exists(temp.Path() / "deep"));
}

// Removals with exclusions and junk names (given to the removal alone): junk goes with its
// folders, anything else stops them, at any time.
struct RulesCase {
    const char* name;
    std::vector<const char*> folders;
    std::vector<const char*> files;
    const char* listed;
    const char* exclude; // nullptr: none
    When when;
    TreeChange change;
    RemovalOutcome expected;
    std::vector<const char*> survivors;
};

void PrintTo(const RulesCase& row, std::ostream* os) {
    *os << row.name;
}

TreeChange Nothing() {
    return [](const fs::path&) { return true; };
}

#ifndef _WIN32
TreeChange AddFifo(const char* relative) {
    return [=](const fs::path& root) { return ::mkfifo(Below(root, relative).c_str(), 0600) == 0; };
}
#endif

// clang-format off
const RulesCase RulesCases[] = {
    {"FolderOfJunkOnly", {"x/a/b"}, {"x/Thumbs.db", "x/a/._b", "x/a/b/DESKTOP.INI"}, "x",
     nullptr, When::BeforeRemoval, Nothing(), RemovalOutcome::Removed, {}},
    {"FileAfterTheCheckIsKept", {"x/a"}, {"x/Thumbs.db", "x/a/.DS_Store"}, "x", nullptr,
     When::AfterCheck, AddFile("x/a/new.txt"), RemovalOutcome::GainedFile, {"x/a/new.txt"}},
    {"JunkNamedLinkIsContent", {"x/a", "elsewhere/inner"}, {"x/Thumbs.db"}, "x", nullptr,
     When::BeforeRemoval, AddLink("x/a/Thumbs.db", "elsewhere"), RemovalOutcome::GainedFile,
     {"x/Thumbs.db", "x/a/Thumbs.db", "elsewhere/inner"}},
#ifndef _WIN32
    {"JunkNamedFifoIsContent", {"x/a"}, {"x/Thumbs.db"}, "x", nullptr, When::BeforeRemoval,
     AddFifo("x/a/Thumbs.db"), RemovalOutcome::GainedFile, {"x/Thumbs.db", "x/a/Thumbs.db"}},
#endif
    {"JunkNamedFolderIsAFolder", {"x/Thumbs.db/a"}, {"x/Thumbs.db/a/f.txt"}, "x", nullptr,
     When::BeforeRemoval, Nothing(), RemovalOutcome::GainedFile, {"x/Thumbs.db/a/f.txt"}},
    {"ExcludedBelowTheListedFolder", {"x/a/keep"}, {"x/Thumbs.db"}, "x", "keep",
     When::BeforeRemoval, Nothing(), RemovalOutcome::HoldsExcluded, {"x/a/keep", "x/Thumbs.db"}},
    {"ListedFolderExcludedByPath", {"p/x/a"}, {}, "p/x", "p/x", When::BeforeRemoval, Nothing(),
     RemovalOutcome::Excluded, {"p/x/a"}},
    {"InsideAnExcludedFolder", {"p/x/a"}, {}, "p/x", "p", When::BeforeRemoval, Nothing(),
     RemovalOutcome::Excluded, {"p/x/a"}},
};
// clang-format on

class RulesRemovalTest : public testing::TestWithParam<RulesCase> {};

TEST_P(RulesRemovalTest, DeletesJunkOnlyWithItsFolders) {
    const RulesCase& row = GetParam();
    TempFolder temp;
    const fs::path root = temp.Path();
    for (const char* folder : row.folders) {
        fs::create_directories(Below(root, folder));
    }
    for (const char* file : row.files) {
        WriteFile(Below(root, file), "junk");
    }
    bool changeMade = true;
    AfterFolderCheckedHook hook;
    if (row.when == When::AfterCheck) {
        hook = [&](const std::string&) { changeMade = row.change(root); };
    } else {
        changeMade = row.change(root);
    }
    if (!changeMade) {
        GTEST_SKIP() << "this platform cannot make the change";
    }
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    ListingRules rules(fileSystem->PathSeparator());
    rules.AddCommonJunk();
    if (row.exclude) {
        rules.AddExclude(row.exclude);
    }
    std::unique_ptr<FolderRemoval> folderRemoval = CreateSystemFolderRemoval(hook);
    ScannedRootRemoval removal(*folderRemoval, temp.Text(),
                               fileSystem->GetFolder(temp.Text())->Identity(), &rules);
    ASSERT_TRUE(removal.HoldsScannedRoot()) << removal.RootFailure();

    RemovalResult result = removal.DeleteFolder(RowPath(row.listed));

    EXPECT_EQ(result.outcome, row.expected) << result.reason;
    for (const char* survivor : row.survivors) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(Below(root, survivor)))) << survivor;
    }
    EXPECT_EQ(fs::exists(Below(root, row.listed)), row.expected != RemovalOutcome::Removed);
}

INSTANTIATE_TEST_SUITE_P(Rules, RulesRemovalTest, testing::ValuesIn(RulesCases),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
