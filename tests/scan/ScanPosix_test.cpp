// What only the Linux file system shows: links, entries of unknown type, permissions that
// deny reading, and trees far deeper than the open-file limit.

#include "scan/EmptyFolderScan.h"
#include "platform/MemoryResultList.h"
#include "platform/posix/PosixFileSystem.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include "scan/HookedFileSystem.h"
#include "scan/RealTreeScan.h"
#include "support/ChildProcess_posix.h"

#include <gtest/gtest.h>

#include <iostream>

#include <algorithm>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A folder holding only links: to a folder, to its own parent, to nothing, to a file.
// Were any followed, a folder would be taken for empty or the scan would loop.
void MakeLinkTree(const fs::path& root) {
    MakeTree(root, {"f", "A/", "B/", "C/", "D/", "E/", "T/inner/"});
    fs::create_directory_symlink("../E", root / "A" / "l");
    fs::create_directory_symlink("..", root / "B" / "up");
    fs::create_symlink("nowhere", root / "C" / "gone");
    fs::create_symlink("../f", root / "D" / "file");
}

TEST(ScanPosix, LinksAreContentAndNeverFollowed) {
    TempFolder temp;
    MakeLinkTree(temp.Path());
    auto fileSystem = CreatePosixFileSystem({});
    std::vector<std::string> rows = ScanRows(*fileSystem, temp.Text());
    EXPECT_EQ(PathsOnly(rows), (std::vector<std::string>{"E", "T"}));
    EXPECT_EQ(ScanRows(*fileSystem, temp.Text(), 0, WalkAlone), rows);
}

TEST(ScanPosix, RootMayBeReachedThroughALink) {
    TempFolder temp;
    MakeTree(temp.Path() / "real", {"f", "A/"});
    fs::create_directory_symlink("real", temp.Path() / "link");
    auto fileSystem = CreatePosixFileSystem({});
    std::string root = temp.Text("link");
    EXPECT_TRUE(fileSystem->FolderExists(root));
    EXPECT_EQ(ScanRows(*fileSystem, root), std::vector<std::string>{"0 A"});
}

TEST(ScanPosix, EntryTypesReadByStatGiveTheSameRows) {
    TempFolder temp;
    MakeLinkTree(temp.Path() / "links");
    MakeTree(temp.Path() / "tree",
             {"a/b/c/", "a/d/f", "a/e/", "g/h/", "i/j/k/", "i/j/.hidden", "m/n/", "m/o/p/"});
    // A link to a folder beside a file and empty folders: were it taken for a subfolder,
    // its failed opening would end its folder's scan before the folders read after it.
    for (int i = 0; i < 20; ++i) {
        fs::create_directories(temp.Path() / "tree" / "a" / ("x" + std::to_string(i)));
    }
    fs::create_directory_symlink(temp.Path() / "tree" / "g", temp.Path() / "tree" / "a" / "l");
    auto typed = CreatePosixFileSystem({});
    auto untyped = CreatePosixFileSystem({.ignoreEntryTypes = true, .chain = {}});
    for (const char* root : {"links", "tree"}) {
        std::vector<std::string> rows = ScanRows(*typed, temp.Text(root));
        EXPECT_FALSE(rows.empty());
        EXPECT_EQ(ScanRows(*untyped, temp.Text(root)), rows) << root;
    }
}

PosixFileSystemOptions WithMountCheck(MountCheck check) {
    PosixFileSystemOptions options;
    options.chain.mountCheck = check;
    return options;
}

// Each way of finding mount points: the one this kernel gives, and the fallbacks of older
// kernels.
const MountCheck MountChecks[] = {MountCheck::Automatic, MountCheck::MountId,
                                  MountCheck::DeviceAndMountTable};

std::string CheckName(const testing::TestParamInfo<MountCheck>& info) {
    switch (info.param) {
    case MountCheck::Automatic:
        return "Automatic";
    case MountCheck::MountId:
        return "MountId";
    default:
        return "DeviceAndMountTable";
    }
}

class ScanMountTest : public testing::TestWithParam<MountCheck> {};

// A mount point is content, as a link is: never entered or listed, and the folder holding
// it is not empty. Were any of these mounts entered, the whole tree would count as empty
// and nothing would be listed.
TEST_P(ScanMountTest, AMountPointIsContent) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    MakeTree(root, {"a/", "e/", "bind/", "readonly/", "tmpfs/", "p/q/", "p/r/"});
    MakeTree(temp.Path() / "elsewhere", {"build/inner/", "empty/"});
    int status = InChild([&] {
        const fs::path elsewhere = temp.Path() / "elsewhere";
        if (!EnterPrivateMountNamespace() ||
            !Mount(MountKind::Bind, elsewhere / "build", root / "bind") ||
            !Mount(MountKind::ReadOnlyBind, elsewhere / "empty", root / "readonly") ||
            !Mount(MountKind::Tmpfs, {}, root / "tmpfs") ||
            !Mount(MountKind::Tmpfs, {}, root / "p" / "q")) {
            return ChildUnavailable;
        }
        auto fileSystem = CreatePosixFileSystem(WithMountCheck(GetParam()));
        std::vector<std::string> rows = PathsOnly(ScanRows(*fileSystem, PathText(root)));
        for (const std::string& row : rows) {
            std::cerr << "row: " << row << "\n";
        }
        return rows == std::vector<std::string>{"a", "e", "p/r"} ? 0 : 1;
    });
    if (status == ChildUnavailable) {
        GTEST_SKIP() << "cannot mount in a private mount namespace here";
    }
    EXPECT_EQ(status, 0);
}

INSTANTIATE_TEST_SUITE_P(Checks, ScanMountTest, testing::ValuesIn(MountChecks), CheckName);

class ScanReopenTest : public testing::TestWithParam<MountCheck> {};

// Below AlwaysOpenDepth a level gives its descriptor up once it is read and is reopened,
// from the nearest level that kept one, to open its subfolders. One that was replaced
// meanwhile is not entered: its scan ends, so the chain counts as not empty. Were the
// replacement entered, its empty folder would make the chain count as empty and "d" be
// listed.
TEST_P(ScanReopenTest, ALevelReplacedBeforeItIsReopenedIsNotEntered) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    fs::path deepest = root;
    for (std::size_t level = 0; level < DirectoryHandle::AlwaysOpenDepth + 8; ++level) {
        deepest /= "d";
    }
    MakeTree(root, {"f0"});
    MakeTree(deepest, {"f", "x/"});
    PosixFileSystemOptions options = WithMountCheck(GetParam());
    std::size_t replacedDepth = 0;
    options.chain.beforeReopen = [&](std::size_t depth) {
        if (replacedDepth != 0) {
            return;
        }
        replacedDepth = depth;
        fs::path level = root;
        for (std::size_t i = 0; i < depth; ++i) {
            level /= "d";
        }
        fs::rename(level, temp.Path() / "moved");
        fs::create_directories(level / "d");
    };
    auto fileSystem = CreatePosixFileSystem(options);

    EXPECT_EQ(ScanRows(*fileSystem, PathText(root)), std::vector<std::string>{});
    EXPECT_GT(replacedDepth, DirectoryHandle::AlwaysOpenDepth);
}

INSTANTIATE_TEST_SUITE_P(Checks, ScanReopenTest, testing::ValuesIn(MountChecks), CheckName);

class ScanLinkTest : public testing::TestWithParam<MountCheck> {};

// A subfolder replaced by a link just before it is opened, past the entry classification:
// only the opening guards it. Were the link followed, "a" would count as empty and be listed
// beside the file.
TEST_P(ScanLinkTest, ASubfolderThatBecameALinkIsNotEntered) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    MakeTree(root, {"f", "a/x/"});
    auto system = CreatePosixFileSystem(WithMountCheck(GetParam()));
    HookedFileSystem hooked(*system, [&](const std::string& path) {
        if (path == PathText(root / "a") && !fs::is_symlink(root / "a")) {
            fs::rename(root / "a", temp.Path() / "old");
            fs::create_directory_symlink(temp.Path() / "old", root / "a");
        }
    });
    EXPECT_EQ(ScanRows(hooked, PathText(root)), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Checks, ScanLinkTest, testing::ValuesIn(MountChecks), CheckName);

// Only "." and ".." are skipped: "..x" is a folder like any other, here one holding a file.
TEST(ScanPosix, ANameStartingWithTwoDotsIsAFolder) {
    TempFolder temp;
    MakeTree(temp.Path(), {"..x/f", "e/"});
    EXPECT_EQ(ScanRows(*CreatePosixFileSystem({}), temp.Text()), std::vector<std::string>{"0 e"});
}

// Root reads everything, so the scan runs in a child process as an ordinary user.
TEST(ScanPosix, FolderThatMayNotBeReadCountsAsNotEmpty) {
    TempFolder temp;
    fs::permissions(temp.Path(), fs::perms::all);
    MakeTree(temp.Path(), {"f", "A/", "U/", "B/", "X/V/", "X/E/"});
    fs::permissions(temp.Path() / "U", fs::perms::none);
    fs::permissions(temp.Path() / "X" / "V", fs::perms::none);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        if (!dropped) {
            ::_exit(2);
        }
        auto fileSystem = CreatePosixFileSystem({});
        std::vector<std::string> expected{"A", "B", "X/E"};
        std::vector<std::string> rows = ScanRows(*fileSystem, temp.Text());
        bool same = rows == ScanRows(*fileSystem, temp.Text(), 0, WalkAlone);
        ::_exit(same && PathsOnly(rows) == expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "cannot drop privileges here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

constexpr int DeepLevels = 20000;

// A chain of folders "d" DeepLevels deep, made and removed one level at a time with
// descriptors: no path of that length is ever handed to the system.
void MakeDeepChain(const fs::path& root) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < DeepLevels; ++level) {
        ASSERT_EQ(::mkdirat(fd, "d", 0755), 0) << level;
        int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0) << level;
        fd = next;
    }
    ASSERT_EQ(::mkdirat(fd, "x", 0755), 0);
    int file = ::openat(fd, "f", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    ::close(file);
    ::close(fd);
}

void RemoveDeepChain(const fs::path& root) {
    int rootFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (bool more = true; more && rootFd >= 0;) {
        int fd = ::openat(rootFd, "d", O_RDONLY | O_DIRECTORY);
        if (fd < 0) {
            break;
        }
        ::unlinkat(fd, "f", 0);
        ::unlinkat(fd, "x", AT_REMOVEDIR);
        more = ::renameat(fd, "d", rootFd, "d.next") == 0;
        ::close(fd);
        ::unlinkat(rootFd, "d", AT_REMOVEDIR);
        if (more) {
            ::renameat(rootFd, "d.next", rootFd, "d");
        }
    }
    ::close(rootFd);
}

TEST(ScanPosix, TreeTwentyThousandFoldersDeep) {
    TempFolder temp;
    MakeTree(temp.Path(), {"e/"});
    MakeDeepChain(temp.Path());
    // Below the limit the walk needs, whatever the machine's default.
    struct rlimit saved;
    ::getrlimit(RLIMIT_NOFILE, &saved);
    struct rlimit lowered = saved;
    lowered.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 1024);
    ::setrlimit(RLIMIT_NOFILE, &lowered);

    auto fileSystem = CreatePosixFileSystem({});
    std::vector<std::string> rows = ScanRows(*fileSystem, temp.Text());

    ::setrlimit(RLIMIT_NOFILE, &saved);
    RemoveDeepChain(temp.Path());
    std::string deepest;
    for (int level = 0; level < DeepLevels; ++level) {
        deepest += "d/";
    }
    // The deepest empty folder is listed at once beside the file; "e" waits for the end.
    EXPECT_EQ(rows, (std::vector<std::string>{"0 " + deepest + "x", "1 e"}));
}

} // namespace
