// The removal over fake held folders: what it asks of the primitives, and the refusals a
// test running as root cannot get from a real tree.
#include "fakes/FakeHeldFolders.h"
#include "removal/ScannedRootRemoval.h"
#include "scan/ListingRules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Log = std::vector<std::string>;
using FakeRun = FakeRemovalRun;

// An empty folder goes by one removal from its held parent, with nothing opened below it,
// and rows in one folder share the levels above them.
TEST(HeldFoldersRemoval, EmptyFoldersGoFromTheirHeldParentAtOnce) {
    FakeRun fake;
    fake.tree.Make({"p/a/", "p/b/", "p/c/d/", "q/e/"});
    for (const char* row : {"p/a", "p/b", "p/c/d", "q/e"}) {
        EXPECT_EQ(fake.Remove(row).outcome, RemovalOutcome::Removed) << row;
    }
    EXPECT_EQ(fake.tree.log, (Log{"descend p", "rmdir p/a", "rmdir p/b", "descend p/c",
                                  "rmdir p/c/d", "descend q", "rmdir q/e"}));
}

// A folder whose entries stay refused, even with the owner-write bit added for that moment,
// or that may not be read, is reported and left, its bits as they were. A listed folder that
// is a mount point is never entered.
TEST(HeldFoldersRemoval, ReportsRefusalsAndPutsTheBitsBack) {
    FakeRun fake;
    fake.tree.Make({"locked/x/", "unreadable/x/", "n/"});
    fake.tree.At("locked")->writable = false;
    fake.tree.At("locked")->immutable = true;
    fake.tree.At("unreadable/x")->denied = true;
    fake.tree.At("n")->mountPoint = true;

    EXPECT_EQ(fake.Remove("locked/x").outcome, RemovalOutcome::AccessDenied);
    EXPECT_EQ(fake.Remove("unreadable").outcome, RemovalOutcome::AccessDenied);
    EXPECT_EQ(fake.Remove("n").outcome, RemovalOutcome::MountPoint);
    EXPECT_TRUE(fake.tree.Exists("locked/x"));
    EXPECT_TRUE(fake.tree.Exists("unreadable/x"));
    EXPECT_FALSE(fake.tree.At("locked")->writable);
    EXPECT_EQ(fake.tree.log,
              (Log{"descend locked", "descend locked/x", "chmod locked", "descend unreadable"}));
}

// An entry changed just before the removal reaches it: a subfolder the check is about to
// enter, or a junk file about to be deleted. The row stops there, and nothing more of it is
// deleted, unless the subfolder is simply gone.
TEST(HeldFoldersRemoval, AChangeJustBeforeAnEntryIsReachedStopsTheRow) {
    using enum RemovalOutcome;
    const struct {
        const char* operation;
        const char* path;
        std::string change;
        RemovalOutcome expected;
    } cases[] = {
        {"descend", "x/b", "link", GainedFile},
        {"descend", "x/b", "file", GainedFile},
        {"descend", "x/b", "pipe", GainedFile},
        {"descend", "x/b", "denied", AccessDenied},
        {"descend", "x/b", "mount point", MountPoint},
        {"descend", "x/b", "gone", Removed},
        {"unlink", "x/a/Thumbs.db", "link", GainedFile},
        {"unlink", "x/a/Thumbs.db", "folder", GainedFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.change);
        FakeRun fake;
        fake.rules.AddCommonJunk();
        fake.tree.Make({"x/a/Thumbs.db", "x/b/c/"});
        fake.tree.before = [&, done = false](std::string_view operation,
                                             const std::string& path) mutable {
            if (operation != c.operation || path != c.path || std::exchange(done, true)) {
                return;
            }
            if (c.change == "denied") {
                fake.tree.At(path)->denied = true;
            } else if (c.change == "mount point") {
                fake.tree.At(path)->mountPoint = true;
            } else if (fake.tree.Remove(path) && c.change != "gone") {
                fake.tree.Add(path, c.change == "link"     ? EntryKind::Link
                                    : c.change == "file"   ? EntryKind::File
                                    : c.change == "folder" ? EntryKind::Folder
                                                           : EntryKind::Other);
            }
        };
        EXPECT_EQ(fake.Remove("x").outcome, c.expected);
        EXPECT_EQ(fake.tree.Exists("x/a"), c.expected != Removed);
    }
}

// A row that failed while descriptors ran short says so, not that its folder changed.
TEST(HeldFoldersRemoval, AShortageIsTheReasonOfAFailureDuringIt) {
    FakeRun fake;
    fake.tree.Make({"x/a/", "y/a/"});
    fake.tree.before = [&](std::string_view operation, const std::string& path) {
        if (operation == "descend" && path == "x/a") {
            fake.tree.At("x/a")->denied = true;
            fake.tree.shortage = {FolderError::Other, "Too many open files"};
        }
    };
    RemovalResult result = fake.Remove("x");
    EXPECT_EQ(result.outcome, RemovalOutcome::Failed);
    EXPECT_EQ(result.reason, "it could not be removed: Too many open files");
    EXPECT_EQ(fake.Remove("y").outcome, RemovalOutcome::Removed);
}

// Protection is checked again at removal: a protected folder or a Maildir that appeared
// after the scan (here while an earlier row was removed) keeps the rows holding it or lying
// in it, and so does a row that is one by its name (lost+found only at the top).
TEST(HeldFoldersRemoval, ProtectedFoldersAreCheckedAgain) {
    for (bool top : {false, true}) {
        FakeRun fake;
        fake.tree.rootIsFileSystemTop = top;
        fake.tree.Make({"x/a/", "y/b/", "m/f", "m/cur/", "m/new/", "w/cur/", "w/new/", "w/tmp/",
                        "z/box/cur/", "z/box/new/", "z/box/tmp/", "lost+found/", "v/.git/refs/",
                        "c/a/.GIT/"});
        fake.removal = CreateFolderRemoval(nullptr, [&](const std::string& path) {
            if (path == "/fake/x") {
                fake.tree.Add("y/b/.git/");
                fake.tree.Add("m/tmp/");
            }
        });
        ScannedRootRemoval removal(*fake.removal, std::make_shared<FakeTreeRoot>(fake.tree),
                                   &fake.rules);
        ASSERT_TRUE(removal.HoldsScannedRoot());
        EXPECT_EQ(removal.DeleteFolder("x").outcome, RemovalOutcome::Removed);
        RemovalResult held = removal.DeleteFolder("y");
        EXPECT_EQ(held.outcome, RemovalOutcome::HasProtected);
        EXPECT_EQ(held.reason, "it holds a protected folder");
        EXPECT_EQ(removal.DeleteFolder("m/cur").outcome, RemovalOutcome::Protected);
        EXPECT_EQ(removal.DeleteFolder("w").outcome, RemovalOutcome::Protected);
        EXPECT_EQ(removal.DeleteFolder("z").outcome, RemovalOutcome::HasProtected);
        EXPECT_EQ(removal.DeleteFolder("v/.git/refs").outcome, RemovalOutcome::Protected);
        EXPECT_EQ(removal.DeleteFolder("lost+found").outcome,
                  top ? RemovalOutcome::Protected : RemovalOutcome::Removed);
        // Linux names are exact; Windows ones are not.
        EXPECT_EQ(removal.DeleteFolder("c").outcome, RemovalOutcome::Removed);
        for (const char* kept : {"y/b/.git", "m/cur", "w/tmp", "z/box/tmp", "v/.git/refs"}) {
            EXPECT_TRUE(fake.tree.Exists(kept)) << kept;
        }
        EXPECT_EQ(fake.tree.Exists("lost+found"), top);
    }
    FakeRun windows;
    windows.rules = ListingRules('\\');
    windows.tree.Make({"c/a/.GIT/"});
    EXPECT_EQ(windows.Remove("c").outcome, RemovalOutcome::HasProtected);
    EXPECT_TRUE(windows.tree.Exists("c/a/.GIT"));
}

} // namespace
