// Moving folders to the freedesktop.org trash on real Linux trees: the home trash, the
// trashes of another file system (a tmpfs in a private mount namespace), and what a real
// trash client (trash-cli's trash-list and trash-restore) makes of the entries.
#include "removal/RemovalTestTree.h"
#include "scan/TreeMaking.h"
#include "support/ChildProcess_posix.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string RecordPath(const fs::path& info) {
    const std::string record = ReadFile(info);
    const std::size_t start = record.find("\nPath=");
    return start == std::string::npos
               ? ""
               : record.substr(start + 6, record.find('\n', start + 6) - start - 6);
}

// The user's own trash in a folder of the test's, as HOME and XDG_DATA_HOME name it.
struct HomeTrash : testing::Test {
    HomeTrash() {
        ::setenv("HOME", temp.Text("home").c_str(), 1);
        ::setenv("XDG_DATA_HOME", temp.Text("home/data").c_str(), 1);
        fs::create_directories(root);
    }
    ~HomeTrash() override {
        ::unsetenv("XDG_DATA_HOME");
        home ? (void)::setenv("HOME", home->c_str(), 1) : (void)::unsetenv("HOME");
    }

    std::optional<std::string> home =
        std::getenv("HOME") ? std::optional<std::string>(std::getenv("HOME")) : std::nullopt;
    TempFolder temp;
    fs::path root = temp.Path() / "root";
    fs::path trash = temp.Path() / "home/data/Trash";
};

// A folder moves whole with what appeared in it after its check; names that collide in the
// trash get their own; the record keeps the path, its odd bytes encoded. What the entries
// are worth: a real client lists them at their places and brings one back.
TEST_F(HomeTrash, FoldersMoveWholeAndARealClientRestoresThem) {
    MakeTree(root, {"New 100%\xff/", "k/x/", "p/a/", "q/a/", "f"});
    PosixRemovalOptions options;
    options.afterChecked = [&](const std::string& path) {
        if (path == root.string() + "/k") {
            WriteFile(root / "k/x/late.txt", "late");
        }
    };
    // An entry without its record, left by another program: never replaced.
    fs::create_directories(trash / "files/a");
    fs::create_directories(trash / "info");
    for (const fs::path& made : {trash, trash / "files", trash / "info"}) {
        fs::permissions(made, fs::perms::owner_all);
    }
    std::unique_ptr<FolderRemoval> removal = CreatePosixFolderRemoval(options);
    for (const RemovalResult& result :
         RemoveRows(*removal, root.string(), {"New 100%\xff", "k", "p/a", "q/a"}, true)) {
        EXPECT_EQ(result.outcome, RemovalOutcome::Removed) << result.reason;
        EXPECT_EQ(result.trash, trash.string());
    }
    EXPECT_EQ(ReadFile(trash / "files/k/x/late.txt"), "late");
    EXPECT_FALSE(fs::exists(trash / "info/a.trashinfo"));
    EXPECT_TRUE(fs::is_directory(trash / "files/a.3"));
    EXPECT_FALSE(fs::exists(root / "k"));
    EXPECT_EQ(RecordPath(trash / "info/New 100%\xff.trashinfo"),
              root.string() + "/New%20100%25%FF");
    EXPECT_EQ(RecordPath(trash / "info/a.3.trashinfo"), root.string() + "/q/a");
    EXPECT_EQ(fs::status(trash).permissions() & fs::perms::all, fs::perms::owner_all);

    ASSERT_EQ(std::system("command -v trash-list trash-restore >/dev/null"), 0)
        << "trash-cli is missing: scripts/setup installs it";
    const fs::path listed = temp.Path() / "listed";
    ASSERT_EQ(std::system(("trash-list >" + listed.string()).c_str()), 0);
    const std::string list = ReadFile(listed);
    EXPECT_NE(list.find(" " + root.string() + "/New 100%"), std::string::npos) << list;
    EXPECT_NE(list.find(" " + root.string() + "/q/a\n"), std::string::npos) << list;
    ASSERT_EQ(std::system(("cd " + root.string() + " && echo 0 | trash-restore " +
                           (root / "k").string() + " >/dev/null")
                              .c_str()),
              0);
    EXPECT_EQ(ReadFile(root / "k/x/late.txt"), "late");
    EXPECT_FALSE(fs::exists(trash / "info/k.trashinfo"));
}

// On another file system: the shared trash is used only as a real sticky folder, never
// through a link; else the user's own is made there. The record is relative to the mount
// point. Where no trash can be made, the folder stays and the result says why.
TEST_F(HomeTrash, AnotherFileSystemUsesItsOwnTrashOrNone) {
    const fs::path mnt = temp.Path() / "mnt";
    const fs::path full = temp.Path() / "full";
    const fs::path sticky = temp.Path() / "sticky";
    MakeTree(temp.Path(), {"mnt/", "full/", "sticky/"});
    ::chmod(sticky.c_str(), 01777);
    int status = InChild([&] {
        if (!EnterPrivateMountNamespace() || !Mount(MountKind::Tmpfs, {}, mnt) ||
            !Mount(MountKind::Tmpfs, {}, full)) {
            return ChildUnavailable;
        }
        MakeTree(mnt, {"r/a/", "r/f", ".Trash/"});
        fs::remove(mnt / ".Trash");
        fs::create_directory_symlink(sticky, mnt / ".Trash");
        MakeTree(full, {"r/a/", "r/f"});
        WriteFile(full / (".Trash-" + std::to_string(::geteuid())), "not a folder");
        std::unique_ptr<FolderRemoval> removal = CreatePosixFolderRemoval({});
        const fs::path userTrash = mnt / (".Trash-" + std::to_string(::geteuid()));
        RemovalResult moved = RemoveRows(*removal, mnt.string(), {"r/a"}, true).at(0);
        if (moved.outcome != RemovalOutcome::Removed || moved.trash != userTrash.string()) {
            return 1;
        }
        if (!fs::is_directory(userTrash / "files/a") || !fs::is_empty(sticky) ||
            RecordPath(userTrash / "info/a.trashinfo") != "r/a" ||
            (fs::status(userTrash).permissions() & fs::perms::all) != fs::perms::owner_all) {
            return 2;
        }
        RemovalResult refused = RemoveRows(*removal, full.string(), {"r/a"}, true).at(0);
        if (refused.outcome != RemovalOutcome::Failed || !fs::is_directory(full / "r/a") ||
            refused.reason.find("no trash on its file system") == std::string::npos ||
            fs::exists(trash / "files/a")) {
            return 3;
        }
        return 0;
    });
    if (status == ChildUnavailable) {
        GTEST_SKIP() << "cannot mount in a private mount namespace here";
    }
    EXPECT_EQ(status, 0);
}

} // namespace
