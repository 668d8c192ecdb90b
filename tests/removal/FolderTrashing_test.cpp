// Moving folders to the trash: what an entry is called and what its record says, without a
// file system, and over fake held folders which trash takes a folder, under what name and
// record, and that whatever is in it moves with it, nothing deleted.
#include "fakes/FakeHeldFolders.h"
#include "removal/TrashRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

TEST(TrashRecord, PathsAreEncodedAsTheRecordsLineFormatNeeds) {
    const struct {
        std::string path;
        std::string encoded;
    } cases[] = {
        {"/home/me/New folder", "/home/me/New%20folder"},
        {"/a/100%/b", "/a/100%25/b"},
        {"/x/\xff\xfe", "/x/%FF%FE"},
        {"/x/caf\xc3\xa9", "/x/caf%C3%A9"},
        {"/x/a\nb=c[d]#e?f&g+h", "/x/a%0Ab%3Dc%5Bd%5D%23e%3Ff%26g%2Bh"},
        {"rel/Az09-_.!~*'()", "rel/Az09-_.!~*'()"},
    };
    for (const auto& [path, encoded] : cases) {
        EXPECT_EQ(EncodeTrashPath(path), encoded) << path;
    }
    std::tm local{};
    std::tie(local.tm_year, local.tm_mon, local.tm_mday) = std::tuple(2026 - 1900, 0, 5);
    std::tie(local.tm_hour, local.tm_min, local.tm_sec) = std::tuple(7, 8, 9);
    EXPECT_EQ(TrashInfoText("/a b", DeletionDateText(local)),
              "[Trash Info]\nPath=/a%20b\nDeletionDate=2026-01-05T07:08:09\n");
}

// Names that collide get a number; a long name is cut so that its record still fits, never
// inside a UTF-8 sequence.
TEST(TrashRecord, EntryNamesAreUniqueAndFitWithTheirRecord) {
    EXPECT_EQ(TrashEntryName("a", 0), "a");
    EXPECT_EQ(TrashEntryName("a", 1), "a.2");
    EXPECT_EQ(TrashEntryName("a.2", 9), "a.2.10");
    const std::string longName = std::string(243, 'x') + "\xc3\xa9" + "yyyyyyyy";
    EXPECT_EQ(TrashEntryName(longName, 0), std::string(243, 'x') + "\xc3\xa9");
    EXPECT_EQ(TrashEntryName(longName, 1), std::string(243, 'x') + ".2");
    EXPECT_EQ(TrashEntryName("x" + longName, 0), std::string(244, 'x'));
    EXPECT_EQ(TrashEntryName(std::string(245, 'x'), 0), std::string(245, 'x'));
    EXPECT_EQ(TrashEntryName(std::string(246, 'x'), 0), std::string(245, 'x'));
}

TEST(TrashRecord, WhichTrashAndWhatItRecords) {
    EXPECT_EQ(HomeTrashFolder("/data", "/home/me"), "/data/Trash");
    EXPECT_EQ(HomeTrashFolder("relative", "/home/me/"), "/home/me/.local/share/Trash");
    EXPECT_EQ(HomeTrashFolder("", "/home/me"), "/home/me/.local/share/Trash");
    EXPECT_EQ(HomeTrashFolder(nullptr, nullptr), "");
    EXPECT_EQ(HomeTrashFolder(nullptr, "relative"), "");

    EXPECT_EQ(RecordedPath(TrashKind::Home, "/mnt/usb/a", "/mnt/usb"), "/mnt/usb/a");
    EXPECT_EQ(RecordedPath(TrashKind::UserTop, "/mnt/usb/a b", "/mnt/usb"), "a b");
    EXPECT_EQ(RecordedPath(TrashKind::SharedTop, "/srv/a", "/"), "srv/a");
    EXPECT_EQ(RecordedPath(TrashKind::UserTop, "/mnt/usb2/a", "/mnt/usb"), std::nullopt);
    EXPECT_EQ(RecordedPath(TrashKind::UserTop, "/mnt/usb", "/mnt/usb"), std::nullopt);

    TrashFacts shared{"/m/.Trash/0", "/m", true, false, false, false, 7};
    EXPECT_NE(TrashRefusal(TrashKind::SharedTop, shared, 7, false), "");
    shared.sharedSticky = true;
    EXPECT_EQ(TrashRefusal(TrashKind::SharedTop, shared, 7, false), "");
    shared.userFolderFound = true;
    EXPECT_NE(TrashRefusal(TrashKind::SharedTop, shared, 7, false), ""); // someone else's
    TrashFacts user{"/m/.Trash-0", "/m", true, false, false, false, 7};
    EXPECT_EQ(TrashRefusal(TrashKind::UserTop, user, 7, false), "");
    EXPECT_NE(TrashRefusal(TrashKind::UserTop, user, 7, true), ""); // made, but not theirs
    user.userFolderOwned = true;
    EXPECT_EQ(TrashRefusal(TrashKind::UserTop, user, 7, true), "");
    EXPECT_NE(TrashRefusal(TrashKind::UserTop, user, 8, true), ""); // another file system
}

// A trash that takes records, of the user's own.
TrashFacts Facts(std::string path, std::string topdir, std::uint64_t volume) {
    return {std::move(path), std::move(topdir), true, false, false, true, volume};
}

struct FakeTrashRun : FakeRemovalRun {
    RemovalResult Trash(const std::string& row) { return Remove(row, true); }
    std::string Record(TrashKind kind, const std::string& name) {
        const std::string& record = tree.trashes[kind].records[name];
        return record.substr(0, record.find("DeletionDate="));
    }
};

// Junk files and a file made after the check move with their folders; an empty folder is
// checked and moved too. Nothing is deleted. Folders of the same name get names of their
// own; a folder swapped in after the check does not move, and its claim is given back.
TEST(FolderTrashing, EverythingInTheFolderMovesWithIt) {
    FakeTrashRun fake;
    fake.tree.trashes[TrashKind::Home].facts = Facts("/home/me/.local/share/Trash", "", 1);
    fake.rules.AddCommonJunk();
    fake.tree.Make(
        {"j/Thumbs.db", "j/sub/desktop.ini", "k/x/", "e/", "f", "p/a/", "q/a/", "s/a/x/"});
    fake.afterChecked = [&](const std::string& path) {
        if (path == "/fake/k") {
            fake.tree.Add("k/x/late");
        }
    };
    fake.tree.before = [&](std::string_view operation, const std::string& path) {
        if (operation == "trash" && path == "s/a") {
            fake.tree.Remove("s/a");
            fake.tree.Add("s/a/");
        }
    };
    for (const char* row : {"j", "k", "e", "p/a", "q/a"}) {
        RemovalResult result = fake.Trash(row);
        EXPECT_EQ(result.outcome, RemovalOutcome::Removed) << row << ": " << result.reason;
        EXPECT_EQ(result.trash, "/home/me/.local/share/Trash");
    }
    EXPECT_EQ(fake.Trash("s/a").outcome, RemovalOutcome::Failed);
    EXPECT_TRUE(fake.tree.Exists("s/a"));
    const FakeTree::Trash& home = fake.tree.trashes[TrashKind::Home];
    EXPECT_EQ(home.records.size(), 5u);
    EXPECT_EQ(home.files->children.size(), 5u);
    EXPECT_TRUE(home.files->children.at("j")->children.at("sub")->children.count("desktop.ini"));
    EXPECT_TRUE(home.files->children.at("j")->children.count("Thumbs.db"));
    EXPECT_TRUE(home.files->children.at("k")->children.at("x")->children.count("late"));
    EXPECT_EQ(fake.tree.root->children.size(), 4u); // f, p, q, s
    for (const std::string& entry : fake.tree.log) {
        EXPECT_EQ(entry.find("rmdir"), std::string::npos) << entry;
        EXPECT_EQ(entry.find("unlink"), std::string::npos) << entry;
    }
    EXPECT_EQ(fake.Record(TrashKind::Home, "j"), "[Trash Info]\nPath=/fake/j\n");
    EXPECT_EQ(fake.Record(TrashKind::Home, "a.2"), "[Trash Info]\nPath=/fake/q/a\n");

    // A home trash on the folder's file system that cannot take it sends it nowhere else.
    fake.tree.trashes[TrashKind::UserTop].facts = Facts("/fake/.Trash-0", "/fake", 1);
    fake.tree.trashes[TrashKind::Home].readyFailure = {FolderError::Other, "disk full"};
    fake.tree.Make({"g/"});
    EXPECT_EQ(fake.Trash("g").reason,
              "it could not be removed: no trash on its file system can take it (disk full)");
    EXPECT_TRUE(fake.tree.Exists("g"));
    EXPECT_EQ(home.records.at("e").rfind("[Trash Info]\nPath=/fake/e\nDeletionDate=", 0), 0u);
}

// A folder outside the home trash's file system goes to its own file system's trash, the
// shared one first (here it has the sticky bit), recorded relative to the top. Where none
// takes it, it stays, with no record left behind.
TEST(FolderTrashing, AnotherFileSystemHasTrashesOfItsOwnOrNone) {
    FakeTrashRun fake;
    fake.tree.trashes[TrashKind::Home].facts = Facts("/home/me/.local/share/Trash", "", 2);
    fake.tree.trashes[TrashKind::SharedTop].facts = Facts("/fake/.Trash/0", "/fake", 1);
    fake.tree.trashes[TrashKind::UserTop].facts = Facts("/fake/.Trash-0", "/fake", 1);
    fake.tree.trashes[TrashKind::SharedTop].facts.sharedSticky = true;
    fake.tree.Make({"c/", "d/"});
    EXPECT_EQ(fake.Trash("c").trash, "/fake/.Trash/0");
    EXPECT_EQ(fake.Record(TrashKind::SharedTop, "c"), "[Trash Info]\nPath=c\n");

    for (TrashKind kind : {TrashKind::SharedTop, TrashKind::UserTop}) {
        fake.tree.trashes[kind].moveFailure = {FolderError::MountPoint, {}};
    }
    fake.tree.trashes[TrashKind::UserTop].readyFailure = {FolderError::Other, "read-only"};
    RemovalResult result = fake.Trash("d");
    EXPECT_EQ(result.outcome, RemovalOutcome::Failed);
    EXPECT_NE(result.reason.find("no trash on its file system can take it"), std::string::npos)
        << result.reason;
    EXPECT_NE(result.reason.find("read-only"), std::string::npos) << result.reason;
    EXPECT_TRUE(fake.tree.Exists("d"));
    EXPECT_EQ(fake.tree.trashes[TrashKind::SharedTop].records.count("d"), 0u);
}

} // namespace
