// What only Linux can show: the removal as an unprivileged user (everything else runs as
// root, for whom permission bits deny nothing), mount points, special files.
#include "platform/posix/DirectoryHandle.h"
#include "platform/posix/PosixFolderRemoval.h"
#include "removal/RemovalTestTree.h"
#include "support/ChildProcess_posix.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t Nobody = 65534;

void GiveToNobody(const fs::path& top) {
    if (::geteuid() != 0) {
        return;
    }
    ::chown(top.c_str(), Nobody, Nobody);
    for (const auto& entry : fs::recursive_directory_iterator(top)) {
        ::lchown(entry.path().c_str(), Nobody, Nobody);
    }
}

// The removal's outcome as an unprivileged user; the tree must belong to that user.
int RemoveAsNobody(const fs::path& root, const std::string& listed,
                   AfterFolderCheckedHook hook = nullptr) {
    return InChild([&] {
        if (::geteuid() == 0 && (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)) {
            return ChildUnavailable;
        }
        return static_cast<int>(
            RemoveRow(*CreateSystemFolderRemoval(hook), root.string(), listed).outcome);
    });
}

constexpr mode_t ReadOnly = 0555;

TEST(FolderRemovalUnprivileged, RemovesReadOnlyFoldersAndRestoresTheRootsBits) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    fs::create_directories(root / "x" / "a" / "b");
    fs::create_directories(root / "x" / "c");
    GiveToNobody(root);
    for (const fs::path& folder : {root / "x" / "a" / "b", root / "x" / "a", root / "x", root}) {
        ::chmod(folder.c_str(), ReadOnly);
    }

    EXPECT_EQ(RemoveAsNobody(root, "x"), static_cast<int>(RemovalOutcome::Removed));

    EXPECT_FALSE(fs::exists(root / "x"));
    EXPECT_EQ(PermissionBits(root), ReadOnly);
}

TEST(FolderRemovalUnprivileged, AFailureHalfWayLeavesTheBitsOfTheSurvivors) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    const fs::path b = root / "x" / "a" / "b";
    fs::create_directories(b / "c");
    fs::create_directories(root / "x" / "d");
    GiveToNobody(root);
    for (const fs::path& folder : {b / "c", b, b.parent_path(), root / "x", root}) {
        ::chmod(folder.c_str(), ReadOnly);
    }

    int outcome = RemoveAsNobody(root, "x", [&](const std::string&) {
        ::chmod(b.c_str(), 0755);
        WriteFile(b / "late.txt", "late");
        ::chmod(b.c_str(), ReadOnly);
    });

    EXPECT_EQ(outcome, static_cast<int>(RemovalOutcome::GainedFile));
    EXPECT_EQ(ReadFile(b / "late.txt"), "late");
    EXPECT_FALSE(fs::exists(b / "c"));
    for (const fs::path& folder : {b, b.parent_path(), root / "x", root}) {
        EXPECT_EQ(PermissionBits(folder), ReadOnly) << folder;
    }
}

TEST(FolderRemovalUnprivileged, AFolderOfAnotherUserIsAccessDenied) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a folder of another user";
    }
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    fs::create_directories(root / "x" / "theirs" / "inner");
    GiveToNobody(root);
    ::chown((root / "x" / "theirs").c_str(), 0, 0);

    EXPECT_EQ(RemoveAsNobody(root, "x"), static_cast<int>(RemovalOutcome::AccessDenied));
    EXPECT_TRUE(fs::exists(root / "x" / "theirs" / "inner"));
}

struct MountCase {
    const char* name;
    MountKind kind;
    const char* mountPoint; // below the root
    const char* listed;
    MountCheck check;
};

// CTest shows the case's name, not its bytes.
void PrintTo(const MountCase& row, std::ostream* os) {
    *os << row.name;
}

class MountPointTest : public testing::TestWithParam<MountCase> {};

// Mounted in a private mount namespace of a child process, so nothing outside the test
// sees it. A bind mount of a folder of the same file system has its parent's device: only
// the mount id (or the mount table) tells it apart. Nothing in the mounted folder may go.
TEST_P(MountPointTest, IsNeitherRemovedNorEntered) {
    const MountCase& mount = GetParam();
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    const fs::path source = temp.Path() / "elsewhere" / "build";
    fs::create_directories(root / "x" / "a" / "m");
    fs::create_directories(root / "x" / "b");
    fs::create_directories(source / "inside");
    const fs::path mountPoint = root / mount.mountPoint;

    int status = InChild([&] {
        if (!EnterPrivateMountNamespace() || !Mount(mount.kind, source, mountPoint)) {
            return ChildUnavailable;
        }
        if (mount.kind == MountKind::Tmpfs) {
            fs::create_directories(mountPoint / "inside");
        }
        PosixRemovalOptions options;
        options.chain.mountCheck = mount.check;
        RemovalResult result =
            RemoveRow(*CreatePosixFolderRemoval(options), PathText(root), mount.listed);
        if (!fs::exists(mountPoint / "inside")) {
            return 100;
        }
        return static_cast<int>(result.outcome);
    });
    if (status == ChildUnavailable) {
        GTEST_SKIP() << "cannot mount in a private mount namespace here";
    }

    EXPECT_EQ(status, static_cast<int>(RemovalOutcome::MountPoint));
    EXPECT_TRUE(fs::exists(source / "inside"));
    EXPECT_TRUE(fs::exists(root / "x" / "a" / "m"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Mounts, MountPointTest, testing::Values(
    MountCase{"TmpfsBelowTheFolder", MountKind::Tmpfs, "x/a/m", "x", MountCheck::Automatic},
    MountCase{"TmpfsIsTheFolder", MountKind::Tmpfs, "x", "x", MountCheck::Automatic},
    MountCase{"BindBelowTheFolder", MountKind::Bind, "x/a/m", "x", MountCheck::Automatic},
    MountCase{"BindIsTheFolder", MountKind::Bind, "x/a/m", "x/a/m", MountCheck::Automatic},
    MountCase{"BindOnTheWay", MountKind::Bind, "x/a/m", "x/a/m/inside", MountCheck::Automatic},
    MountCase{"ReadOnlyBindBelowTheFolder", MountKind::ReadOnlyBind, "x/a/m", "x",
              MountCheck::Automatic},
    MountCase{"BindBelowByMountId", MountKind::Bind, "x/a/m", "x", MountCheck::MountId},
    MountCase{"BindOnTheWayByMountId", MountKind::Bind, "x/a/m", "x/a/m/inside",
              MountCheck::MountId},
    MountCase{"BindBelowByMountTable", MountKind::Bind, "x/a/m", "x",
              MountCheck::DeviceAndMountTable},
    MountCase{"TmpfsBelowByMountTable", MountKind::Tmpfs, "x/a/m", "x",
              MountCheck::DeviceAndMountTable}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// Deeper than AlwaysOpenDepth, the removal's walk keeps the descriptors of its innermost
// levels only; a level it gave up is reopened from the nearest level that kept one when
// the walk comes back up. One replaced meanwhile is not the folder that was checked: the
// removal stops there, and nothing in the replacement goes.
TEST(FolderRemovalAtDepth, ALevelReplacedBeforeItIsReopenedIsLeftAlone) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    fs::path deepest = root / "deep";
    for (std::size_t level = 0; level < DirectoryHandle::AlwaysOpenDepth + 96; ++level) {
        deepest /= "d";
    }
    fs::create_directories(deepest);
    PosixRemovalOptions options;
    std::size_t replacedDepth = 0;
    fs::path replaced;
    options.chain.beforeReopen = [&](std::size_t depth) {
        if (replacedDepth != 0) {
            return;
        }
        replacedDepth = depth;
        replaced = root / "deep";
        for (std::size_t i = 1; i < depth; ++i) {
            replaced /= "d";
        }
        fs::rename(replaced, temp.Path() / "moved");
        fs::create_directories(replaced / "d");
    };

    RemovalResult result = RemoveRow(*CreatePosixFolderRemoval(options), PathText(root), "deep");

    EXPECT_EQ(result.outcome, RemovalOutcome::Failed);
    EXPECT_EQ(result.reason, "it could not be removed: it changed while it was being removed");
    EXPECT_GT(replacedDepth, DirectoryHandle::AlwaysOpenDepth);
    EXPECT_TRUE(fs::exists(replaced / "d"));
}

TEST(FolderRemovalPosix, ASpecialFileCountsAsAFile) {
    TempFolder temp;
    fs::create_directories(temp.Path() / "x" / "a");
    ASSERT_EQ(::mkfifo((temp.Path() / "x" / "a" / "pipe").c_str(), 0644), 0);

    RemovalResult result = RemoveRow(*CreateSystemFolderRemoval(), temp.Text(), "x");

    EXPECT_EQ(result.outcome, RemovalOutcome::GainedFile);
    EXPECT_TRUE(fs::exists(fs::symlink_status(temp.Path() / "x" / "a" / "pipe")));
}

// A subfolder below the listed folder, replaced between the check and the removal: the
// removal meets a folder it did not check and must leave it, and what it holds, alone.
struct LateChange {
    const char* name;
    void (*change)(const fs::path& x, const fs::path& elsewhere);
    RemovalOutcome expected;
};

const LateChange LateChanges[] = {
    {"SubfolderBecameALink",
     [](const fs::path& x, const fs::path& elsewhere) {
         fs::rename(x / "a", elsewhere / "old");
         fs::create_directory_symlink(elsewhere, x / "a");
     },
     RemovalOutcome::BecameLink},
    {"SubfolderBecameANewEmptyFolder",
     [](const fs::path& x, const fs::path& elsewhere) {
         fs::rename(x / "a", elsewhere / "old");
         fs::create_directory(x / "a");
     },
     RemovalOutcome::Failed},
};

class FolderRemovalLateChange : public testing::TestWithParam<LateChange> {};

TEST_P(FolderRemovalLateChange, LeavesTheReplacementAlone) {
    TempFolder temp;
    const fs::path x = temp.Path() / "root" / "x";
    const fs::path elsewhere = temp.Path() / "elsewhere";
    fs::create_directories(x / "a" / "b");
    fs::create_directories(elsewhere / "inner");
    PosixRemovalOptions options;
    options.afterChecked = [&](const std::string&) { GetParam().change(x, elsewhere); };

    RemovalResult result =
        RemoveRow(*CreatePosixFolderRemoval(options), PathText(temp.Path() / "root"), "x");

    EXPECT_EQ(result.outcome, GetParam().expected) << result.reason;
    EXPECT_TRUE(fs::exists(fs::symlink_status(x / "a")));
    EXPECT_TRUE(fs::exists(elsewhere / "inner"));
}

INSTANTIATE_TEST_SUITE_P(AfterTheCheck, FolderRemovalLateChange, testing::ValuesIn(LateChanges),
                         [](const auto& row) { return std::string(row.param.name); });

// On a file system whose entries carry no type, each entry is looked at by lstat: the
// subfolders still go, a link still counts as content.
TEST(FolderRemovalPosix, EntriesWithoutATypeAreLookedAtOneByOne) {
    TempFolder temp;
    fs::create_directories(temp.Path() / "x" / "a" / "b");
    fs::create_directories(temp.Path() / "y" / "a");
    fs::create_directories(temp.Path() / "target");
    fs::create_directory_symlink(temp.Path() / "target", temp.Path() / "y" / "a" / "link");
    PosixRemovalOptions options;
    options.ignoreEntryTypes = true;
    auto removal = CreatePosixFolderRemoval(options);

    EXPECT_EQ(RemoveRow(*removal, temp.Text(), "x").outcome, RemovalOutcome::Removed);
    EXPECT_EQ(RemoveRow(*removal, temp.Text(), "y").outcome, RemovalOutcome::GainedFile);
    EXPECT_FALSE(fs::exists(temp.Path() / "x"));
    EXPECT_TRUE(fs::exists(fs::symlink_status(temp.Path() / "y" / "a" / "link")));
}

// The owner-write bit added to a read-only folder deeper than the kept levels is put back
// when a later subfolder fails far below it, after the walk let go of the levels between.
TEST(FolderRemovalAtDepth, TheOwnerWriteBitIsPutBackBelowTheKeptLevels) {
    const std::size_t ChainLevels = 80; // more than the removal's walk keeps open
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    fs::path x = root;
    std::string row;
    for (std::size_t level = 0; level < DirectoryHandle::AlwaysOpenDepth + 4; ++level) {
        x /= "d";
        row += "d/";
    }
    x /= "x";
    row += "x";
    for (const char* chain : {"a", "b"}) {
        fs::path bottom = x / chain;
        for (std::size_t level = 0; level < ChainLevels; ++level) {
            bottom /= "c";
        }
        fs::create_directories(bottom);
    }
    // The chain the removal meets second gains a file after the check.
    fs::path second;
    for (const fs::directory_entry& entry : fs::directory_iterator(x)) {
        second = entry.path();
    }
    for (std::size_t level = 0; level < ChainLevels; ++level) {
        second /= "c";
    }
    GiveToNobody(root);
    ::chmod(x.c_str(), ReadOnly);

    int outcome = RemoveAsNobody(
        root, row, [&](const std::string&) { WriteFile(second / "late.txt", "late"); });

    EXPECT_EQ(outcome, static_cast<int>(RemovalOutcome::GainedFile));
    EXPECT_EQ(ReadFile(second / "late.txt"), "late");
    EXPECT_EQ(PermissionBits(x), ReadOnly);
}

} // namespace
