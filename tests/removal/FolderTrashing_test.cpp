// Moving folders to the trash over fake held folders: which trash takes a folder, under what
// name and record, and that whatever is in it moves with it, nothing deleted.
#include "fakes/FakeHeldFolders.h"
#include "removal/FolderRemovalHook.h"
#include "scan/ListingRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

TrashFacts Facts(std::string path, std::string topdir, std::uint64_t volume) {
    TrashFacts facts;
    facts.path = std::move(path);
    facts.topdir = std::move(topdir);
    facts.takesRecords = true;
    facts.userFolderOwned = true;
    facts.volume = volume;
    return facts;
}

struct FakeTrashRun {
    FakeTree tree;
    ListingRules rules;
    AfterFolderCheckedHook afterChecked;
    std::unique_ptr<FolderRemoval> removal;
    std::unique_ptr<RemovalRun> run;

    RemovalResult Trash(const std::string& row) {
        if (!run) {
            removal = CreateFolderRemoval(nullptr, afterChecked);
            RemovalResult failure;
            run = removal->OpenRun(FakeTreeRoot(tree), failure, &rules);
        }
        return run->TrashFolder(row);
    }
    std::string Record(TrashKind kind, const std::string& name) {
        const std::string& record = tree.trashes[kind].records[name];
        return record.substr(0, record.find("DeletionDate="));
    }
};

// Junk files and a file made after the check move with their folders; an empty folder is
// checked and moved too. Nothing is deleted.
TEST(FolderTrashing, EverythingInTheFolderMovesWithIt) {
    FakeTrashRun fake;
    fake.tree.trashes[TrashKind::Home].facts = Facts("/home/me/.local/share/Trash", "", 1);
    fake.rules.AddCommonJunk();
    fake.tree.Make({"j/Thumbs.db", "j/sub/desktop.ini", "k/x/", "e/", "f"});
    fake.afterChecked = [&](const std::string& path) {
        if (path == "/fake/k") {
            fake.tree.Add("k/x/late");
        }
    };
    for (const char* row : {"j", "k", "e"}) {
        RemovalResult result = fake.Trash(row);
        EXPECT_EQ(result.outcome, RemovalOutcome::Removed) << row << ": " << result.reason;
        EXPECT_EQ(result.trash, "/home/me/.local/share/Trash");
    }
    const FakeTree::Trash& home = fake.tree.trashes[TrashKind::Home];
    EXPECT_EQ(home.files->children.size(), 3u);
    EXPECT_TRUE(home.files->children.at("j")->children.at("sub")->children.count("desktop.ini"));
    EXPECT_TRUE(home.files->children.at("j")->children.count("Thumbs.db"));
    EXPECT_TRUE(home.files->children.at("k")->children.at("x")->children.count("late"));
    EXPECT_EQ(fake.tree.root->children.size(), 1u); // f
    for (const std::string& entry : fake.tree.log) {
        EXPECT_EQ(entry.find("rmdir"), std::string::npos) << entry;
        EXPECT_EQ(entry.find("unlink"), std::string::npos) << entry;
    }
    EXPECT_EQ(fake.Record(TrashKind::Home, "j"), "[Trash Info]\nPath=/fake/j\n");

    // A home trash on the folder's file system that cannot take it sends it nowhere else.
    fake.tree.trashes[TrashKind::UserTop].facts = Facts("/fake/.Trash-0", "/fake", 1);
    fake.tree.trashes[TrashKind::Home].readyFailure = {FolderError::Other, "disk full"};
    fake.tree.Make({"g/"});
    EXPECT_EQ(fake.Trash("g").reason,
              "it could not be removed: no trash on its file system can take it (disk full)");
    EXPECT_TRUE(fake.tree.Exists("g"));
    EXPECT_EQ(home.records.at("e").rfind("[Trash Info]\nPath=/fake/e\nDeletionDate=", 0), 0u);
}

// Folders of the same name get names of their own; a folder swapped in after the check
// does not move, and its claim is given back.
TEST(FolderTrashing, NamesCollideAndSwappedFoldersStay) {
    FakeTrashRun fake;
    fake.tree.trashes[TrashKind::Home].facts = Facts("/t", "", 1);
    fake.tree.Make({"p/a/", "q/a/", "r/a/", "s/a/x/"});
    fake.tree.before = [&](std::string_view operation, const std::string& path) {
        if (operation == "trash" && path == "s/a") {
            fake.tree.Remove("s/a");
            fake.tree.Add("s/a/");
        }
    };
    EXPECT_EQ(fake.Trash("p/a").outcome, RemovalOutcome::Removed);
    EXPECT_EQ(fake.Trash("q/a").outcome, RemovalOutcome::Removed);
    EXPECT_EQ(fake.Trash("r/a").outcome, RemovalOutcome::Removed);
    EXPECT_EQ(fake.Trash("s/a").outcome, RemovalOutcome::Failed);
    EXPECT_TRUE(fake.tree.Exists("s/a"));
    EXPECT_EQ(fake.tree.log,
              (Log{"descend p", "descend p/a", "trash p/a as a", "descend q", "descend q/a",
                   "trash q/a as a.2", "descend r", "descend r/a", "trash r/a as a.3", "descend s",
                   "descend s/a", "descend s/a/x"}));
    EXPECT_EQ(fake.Record(TrashKind::Home, "a.2"), "[Trash Info]\nPath=/fake/q/a\n");
    EXPECT_EQ(fake.tree.trashes[TrashKind::Home].records.size(), 3u);
}

// A folder outside the home trash's file system goes to its own file system's trash: the
// shared one only with the sticky bit, else the user's one, recorded relative to the top.
// Where none takes it, it stays, with no record left behind.
TEST(FolderTrashing, AnotherFileSystemHasTrashesOfItsOwnOrNone) {
    FakeTrashRun fake;
    fake.tree.trashes[TrashKind::Home].facts = Facts("/home/me/.local/share/Trash", "", 2);
    fake.tree.trashes[TrashKind::SharedTop].facts = Facts("/fake/.Trash/0", "/fake", 1);
    fake.tree.trashes[TrashKind::UserTop].facts = Facts("/fake/.Trash-0", "/fake", 1);
    fake.tree.Make({"a b/", "c/", "d/"});

    RemovalResult result = fake.Trash("a b");
    EXPECT_EQ(result.outcome, RemovalOutcome::Removed) << result.reason;
    EXPECT_EQ(result.trash, "/fake/.Trash-0");
    EXPECT_EQ(fake.Record(TrashKind::UserTop, "a b"), "[Trash Info]\nPath=a%20b\n");

    fake.tree.trashes[TrashKind::SharedTop].facts.sharedSticky = true;
    EXPECT_EQ(fake.Trash("c").trash, "/fake/.Trash/0");

    for (TrashKind kind : {TrashKind::SharedTop, TrashKind::UserTop}) {
        fake.tree.trashes[kind].moveFailure = {FolderError::MountPoint, {}};
    }
    fake.tree.trashes[TrashKind::UserTop].readyFailure = {FolderError::Other, "read-only"};
    result = fake.Trash("d");
    EXPECT_EQ(result.outcome, RemovalOutcome::Failed);
    EXPECT_NE(result.reason.find("no trash on its file system can take it"), std::string::npos)
        << result.reason;
    EXPECT_NE(result.reason.find("read-only"), std::string::npos) << result.reason;
    EXPECT_TRUE(fake.tree.Exists("d"));
    EXPECT_EQ(fake.tree.trashes[TrashKind::SharedTop].records.count("d"), 0u);
}

} // namespace
