// What only Linux can show and the random trees of RemovalModel_test do not make: mount
// points, levels given up and reopened deep down, a root made again.
#include "platform/FileSystem.h"
#include "removal/FolderRemovalHook.h"
#include "platform/posix/DirectoryCursor.h"
#include "platform/posix/DirectoryHandle.h"
#include "removal/RemovalTestTree.h"
#include "removal/ScannedRootRemoval.h"
#include "scan/TreeMaking.h"
#include "support/ChildProcess_posix.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t Nobody = 65534;
constexpr mode_t ReadOnly = 0555;

std::string Repeat(const std::string& text, std::size_t times) {
    std::string repeated;
    for (std::size_t at = 0; at < times; ++at) {
        repeated += text;
    }
    return repeated;
}

// Deeper than the levels the removal's walk keeps open.
const std::string Deep = Repeat("d/", DirectoryHandle::AlwaysOpenDepth + 4);
const std::string Chain = Repeat("c/", 80);

// As `nobody`, on a tree of its own: the owner-write bit added to a read-only folder deeper
// than the kept levels is put back when a later subfolder fails far below it, after the walk
// let go of the levels between: the file lands in the chain the removal meets second.
TEST(FolderRemovalAsNobody, PutsTheBitBackBelowTheKeptLevels) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a tree of another user";
    }
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    const fs::path listed = root / Deep / "x";
    fs::create_directories(listed / "a" / Chain);
    fs::create_directories(listed / "b" / Chain);
    ASSERT_EQ(::chown(root.c_str(), Nobody, Nobody), 0);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        ASSERT_EQ(::lchown(entry.path().c_str(), Nobody, Nobody), 0);
    }
    ::chmod(listed.c_str(), ReadOnly);

    int outcome = InChild([&] {
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) {
            return ChildUnavailable;
        }
        PosixRemovalOptions options;
        options.afterChecked = [&](const std::string&) {
            fs::path second;
            for (const fs::directory_entry& entry : fs::directory_iterator(listed)) {
                second = entry.path();
            }
            WriteFile(second / Chain / "late.txt", "late");
        };
        return static_cast<int>(
            RemoveRow(*CreatePosixFolderRemoval(options), root.string(), Deep + "x").outcome);
    });

    EXPECT_EQ(outcome, static_cast<int>(RemovalOutcome::GainedFile));
    EXPECT_EQ(PermissionBits(listed), ReadOnly);
}

// A link opened with O_NOFOLLOW | O_DIRECTORY gets ELOOP from some kernels and ENOTDIR
// from others, so no one tree shows both: either must make the removal look at what
// stands there, and say "a link" rather than the system's text.
TEST(FolderRemovalPosix, EitherAnswerToOpeningALinkIsExplained) {
    EXPECT_TRUE(IsNotAFolderError(ELOOP));
    EXPECT_TRUE(IsNotAFolderError(ENOTDIR));
    EXPECT_FALSE(IsNotAFolderError(ENOENT));
}

struct MountCase {
    const char* name;
    MountKind kind;
    const char* mountPoint; // below the root
    const char* listed;
    MountCheck check;
    bool duringTheRun = false; // mounted once the run removed an earlier row
};

class MountPointTest : public testing::TestWithParam<MountCase> {};

// Mounted in a private mount namespace of a child process, so nothing outside the test
// sees it. A bind mount of a folder of the same file system has its parent's device: only
// the mount id (or the mount table) tells it apart. One made after the run opened its root
// is found too, on any kernel. Nothing in the mounted folder may go.
TEST_P(MountPointTest, IsNeitherRemovedNorEntered) {
    const MountCase& mount = GetParam();
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    const fs::path source = temp.Path() / "elsewhere" / "build";
    MakeTree(root, {"x/a/m/", "x/b/", "y/z/"});
    fs::create_directories(source / "inside");
    const fs::path mountPoint = root / mount.mountPoint;
    fs::create_directories(mountPoint);

    int status = InChild([&] {
        bool mounted = false;
        auto makeMount = [&] {
            mounted = Mount(mount.kind, source, mountPoint);
            if (mounted && mount.kind == MountKind::Tmpfs) {
                fs::create_directories(mountPoint / "inside");
            }
        };
        if (!EnterPrivateMountNamespace()) {
            return ChildUnavailable;
        }
        if (!mount.duringTheRun) {
            makeMount();
        }
        PosixRemovalOptions options;
        options.chain.mountCheck = mount.check;
        options.afterChecked = [&](const std::string&) {
            if (!mounted) {
                makeMount();
            }
        };
        std::vector<RemovalResult> results =
            RemoveRows(*CreatePosixFolderRemoval(options), PathText(root), {"y", mount.listed});
        if (!mounted) {
            return ChildUnavailable;
        }
        if (results[0].outcome != RemovalOutcome::Removed) {
            return 101;
        }
        return fs::exists(mountPoint / "inside") ? static_cast<int>(results[1].outcome) : 100;
    });
    if (status == ChildUnavailable) {
        GTEST_SKIP() << "cannot mount in a private mount namespace here";
    }

    EXPECT_EQ(status, static_cast<int>(RemovalOutcome::MountPoint));
    EXPECT_TRUE(fs::exists(source / "inside"));
    EXPECT_TRUE(fs::exists(root / "x" / "a" / "m"));
}

using enum MountKind;
using enum MountCheck;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Mounts, MountPointTest, testing::Values(
    MountCase{"TmpfsBelowTheFolder", Tmpfs, "x/a/m", "x", Automatic},
    MountCase{"TmpfsIsTheFolder", Tmpfs, "x", "x", Automatic},
    MountCase{"BindBelowTheFolder", Bind, "x/a/m", "x", Automatic},
    MountCase{"BindIsTheFolder", Bind, "x/a/m", "x/a/m", Automatic},
    MountCase{"BindOnTheWay", Bind, "x/a/m", "x/a/m/inside", Automatic},
    MountCase{"ReadOnlyBindBelowTheFolder", ReadOnlyBind, "x/a/m", "x", Automatic},
    MountCase{"BindBelowByMountId", Bind, "x/a/m", "x", MountId},
    MountCase{"BindOnTheWayByMountId", Bind, "x/a/m", "x/a/m/inside", MountId},
    MountCase{"BindBelowByHandle", Bind, "x/a/m", "x", HandleMountId},
    MountCase{"BindOnTheWayByHandle", Bind, "x/a/m", "x/a/m/inside", HandleMountId},
    MountCase{"BindBelowByMountTable", Bind, "x/a/m", "x", DeviceAndMountTable},
    MountCase{"BindOnTheWayByMountTable", Bind, "x/a/m", "x/a/m/inside", DeviceAndMountTable},
    MountCase{"TmpfsBelowByMountTable", Tmpfs, "x/a/m", "x", DeviceAndMountTable},
    // The table escapes these characters, here at the end of the name too.
    MountCase{"BindNamedWithEscapesByMountTable", Bind, "x/a/m\\ \t\n ", "x",
              DeviceAndMountTable},
    MountCase{"BindDuringTheRun", Bind, "x/a/m", "x", Automatic, true},
    MountCase{"BindDuringTheRunByMountId", Bind, "x/a/m", "x", MountId, true},
    MountCase{"BindDuringTheRunByHandle", Bind, "x/a/m", "x", HandleMountId, true},
    MountCase{"BindDuringTheRunByMountTable", Bind, "x/a/m", "x", DeviceAndMountTable, true}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// Deeper than AlwaysOpenDepth, the removal's walk keeps the descriptors of its innermost
// levels only; a level it gave up is reopened from the nearest level that kept one when
// the walk comes back up. One replaced meanwhile is not the folder that was checked: the
// removal stops there, and nothing in the replacement goes.
TEST(FolderRemovalAtDepth, ALevelReplacedBeforeItIsReopenedIsLeftAlone) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    fs::create_directories(root / "deep" / Repeat("d/", 96) / Deep);
    PosixRemovalOptions options;
    std::size_t replacedDepth = 0;
    fs::path replaced;
    options.chain.beforeReopen = [&](std::size_t depth) {
        if (replacedDepth == 0) {
            replacedDepth = depth;
            replaced = root / "deep" / Repeat("d/", depth - 1);
            fs::rename(replaced, temp.Path() / "moved");
            fs::create_directories(replaced / "d");
        }
    };

    RemovalResult result = RemoveRow(*CreatePosixFolderRemoval(options), PathText(root), "deep");

    EXPECT_EQ(result.outcome, RemovalOutcome::Failed) << result.reason;
    EXPECT_GT(replacedDepth, DirectoryHandle::AlwaysOpenDepth);
    EXPECT_TRUE(fs::exists(replaced / "d"));
}

// The root a scan held, made again with the same names: deleted (ext4 hands a freed inode
// number back), a tmpfs mounted on it, or the tmpfs it is replaced by a fresh one (the same
// device, inode and mount id come back once the old one is gone), before the removal or
// once its first row is checked. Either way the new tree is another folder and keeps all.
TEST(ScannedRootRemovalTest, ARootMadeAgainOrMountedOverKeepsItsFolders) {
    struct Case {
        const char* name;
        bool onTmpfs;      // the root is a tmpfs of its own from the start
        bool duringTheRun; // changed once the first row is checked
        std::function<bool(const fs::path& root)> change;
    };
    auto remake = [](const fs::path& root) { return fs::remove_all(root) > 0; };
    auto mountOver = [](const fs::path& root) { return Mount(MountKind::Tmpfs, {}, root); };
    auto freshTmpfs = [](const fs::path& root) {
        return ::umount2(root.c_str(), MNT_DETACH) == 0 && Mount(MountKind::Tmpfs, {}, root);
    };
    const Case cases[] = {
        {"deleted and made again", false, false, remake},
        {"a tmpfs mounted on it", false, false, mountOver},
        {"its tmpfs replaced by a fresh one", true, false, freshTmpfs},
        {"deleted and made again during the run", false, true, remake},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        const fs::path root = temp.Path() / "root";
        auto makeTree = [&] { MakeTree(root, {"x0/a/", "x1/a/", "keep.txt"}); };
        int status = InChild([&] {
            fs::create_directories(root);
            if (!EnterPrivateMountNamespace() ||
                (c.onTmpfs && !Mount(MountKind::Tmpfs, {}, root))) {
                return ChildUnavailable;
            }
            makeTree();
            bool changed = false;
            auto change = [&] { return (changed = c.change(root)) && (makeTree(), true); };
            std::unique_ptr<FolderRemoval> folderRemoval =
                CreateFolderRemoval(nullptr, [&](const std::string&) {
                    if (c.duringTheRun && !changed) {
                        change();
                    }
                });
            ScannedRootRemoval removal(
                *folderRemoval, CreateSystemFileSystem()->GetFolder(PathText(root))->HoldRoot());
            if (!c.duringTheRun && !change()) {
                return ChildUnavailable;
            }
            int removed = 0;
            if (removal.HoldsScannedRoot()) {
                for (const char* row : {"x0", "x1"}) {
                    removed += removal.DeleteFolder(row).outcome == RemovalOutcome::Removed;
                }
            } else if (removal.RootFailure() != "it is no longer the folder that was scanned") {
                return 1;
            }
            return !changed ? ChildUnavailable
                   : fs::exists(root / "x0" / "a") && fs::exists(root / "x1" / "a") ? removed
                                                                                    : 2;
        });
        if (status == ChildUnavailable) {
            GTEST_SKIP() << "cannot mount in a private mount namespace here";
        }
        EXPECT_EQ(status, 0);
    }
}

} // namespace
