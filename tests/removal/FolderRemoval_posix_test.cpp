// What only Linux can show: the removal as an unprivileged user (everything else runs as
// root, for whom permission bits deny nothing), mount points, special files.
#include "platform/FolderRemovalHook.h"
#include "removal/RemovalTestTree.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t Nobody = 65534;
constexpr int Unavailable = 77;

// Runs `body` in a child process and returns its exit status, or -1 when it did not exit.
int InChild(const std::function<int()>& body) {
    pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

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
            return Unavailable;
        }
        return static_cast<int>(
            CreateSystemFolderRemoval(hook)->DeleteFolder(root.string(), listed).outcome);
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
    const char* mountPoint; // below the root
    std::vector<const char*> survivors;
};

// CTest shows the case's name, not its bytes.
void PrintTo(const MountCase& row, std::ostream* os) {
    *os << row.name;
}

class MountPointTest : public testing::TestWithParam<MountCase> {};

// A tmpfs mounted in a private mount namespace of a child process, so nothing outside
// the test sees it.
TEST_P(MountPointTest, IsNeitherRemovedNorEntered) {
    const MountCase& mount = GetParam();
    TempFolder temp;
    fs::create_directories(temp.Path() / "x" / "a" / "m");
    fs::create_directories(temp.Path() / "x" / "b");
    const fs::path mountPoint = temp.Path() / mount.mountPoint;

    int status = InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("vacantor-test", mountPoint.c_str(), "tmpfs", 0, nullptr) != 0) {
            return Unavailable;
        }
        fs::create_directories(mountPoint / "inside");
        RemovalResult result = CreateSystemFolderRemoval()->DeleteFolder(temp.Text(), "x");
        if (!fs::exists(mountPoint / "inside")) {
            return 100;
        }
        return static_cast<int>(result.outcome);
    });
    if (status == Unavailable) {
        GTEST_SKIP() << "cannot mount in a private mount namespace here";
    }

    EXPECT_EQ(status, static_cast<int>(RemovalOutcome::MountPoint));
    for (const char* survivor : mount.survivors) {
        EXPECT_TRUE(fs::exists(temp.Path() / survivor)) << survivor;
    }
}

INSTANTIATE_TEST_SUITE_P(Mounts, MountPointTest,
                         testing::Values(MountCase{"BelowTheFolder", "x/a/m", {"x/a/m", "x/b"}},
                                         MountCase{"TheFolderItself", "x", {"x/a/m", "x/b"}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FolderRemovalPosix, ASpecialFileCountsAsAFile) {
    TempFolder temp;
    fs::create_directories(temp.Path() / "x" / "a");
    ASSERT_EQ(::mkfifo((temp.Path() / "x" / "a" / "pipe").c_str(), 0644), 0);

    RemovalResult result = CreateSystemFolderRemoval()->DeleteFolder(temp.Text(), "x");

    EXPECT_EQ(result.outcome, RemovalOutcome::GainedFile);
    EXPECT_TRUE(fs::exists(fs::symlink_status(temp.Path() / "x" / "a" / "pipe")));
}

} // namespace
