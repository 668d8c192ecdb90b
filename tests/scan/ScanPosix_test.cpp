// What only the Linux file system shows: links, entries of unknown type, permissions that
// deny reading, mount points, and trees far deeper than the open-file limit.

#include "platform/posix/PosixFileSystem.h"
#include "scan/ListingRules.h"
#include "scan/ScanRun.h"
#include "scan/TreeMaking.h"
#include "support/ChildProcess_posix.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Links of every kind (to a folder, its own parent, nothing, a file) are content, never
// followed, whether the entry's type comes from the directory or a stat; so are a link and a
// pipe of a junk name. Only "." and ".." are skipped ("m/..x" keeps "m"). The root may be
// reached through a link.
TEST(ScanPosix, LinksAndPipesAreContentAndOnlyDotAndDotDotAreSkipped) {
    TempFolder temp;
    const fs::path root = temp.Path() / "real";
    MakeTree(root, {"f", "A/", "B/", "C/", "D/", "E/", "a/b/c/", "a/d/f", "a/e/", "m/..x/f", "m/e/",
                    "J/Thumbs.db", "L/", "P/"});
    fs::create_directory_symlink("../E", root / "A" / "l");
    fs::create_directory_symlink("..", root / "B" / "up");
    fs::create_symlink("nowhere", root / "C" / "gone");
    fs::create_symlink("../f", root / "D" / "file");
    fs::create_directory_symlink("../E", root / "a" / "l");
    fs::create_symlink("../J/Thumbs.db", root / "L" / "Thumbs.db");
    ASSERT_EQ(::mkfifo((root / "P" / "._x").c_str(), 0600), 0);
    fs::create_directory_symlink("real", temp.Path() / "link");
    ListingRules rules;
    rules.AddCommonJunk();
    auto typed = CreatePosixFileSystem({});
    auto untyped = CreatePosixFileSystem({.ignoreEntryTypes = true, .chain = {}});
    EXPECT_TRUE(typed->FolderExists(temp.Text("link")));
    for (FileSystem* fileSystem : {typed.get(), untyped.get()}) {
        for (const ReadAheadSettings& settings : {WalkAlone, ReadAheadSettings()}) {
            EXPECT_EQ(PathsOnly(ScanRows(*fileSystem, temp.Text("link"), settings, &rules)),
                      (std::vector<std::string>{"E", "J junk", "a/b", "a/e", "m/e"}))
                << (fileSystem == typed.get() ? "typed, " : "untyped, ") << settings.threads;
        }
    }
}

// As an ordinary user (root reads everything), a folder it may not read counts as not
// empty, and its siblings are still examined.
TEST(ScanPosix, FolderThatMayNotBeReadCountsAsNotEmpty) {
    TempFolder temp;
    fs::permissions(temp.Path(), fs::perms::all);
    MakeTree(temp.Path(), {"f", "A/", "U/", "B/", "X/V/", "X/E/"});
    fs::permissions(temp.Path() / "U", fs::perms::none);
    fs::permissions(temp.Path() / "X" / "V", fs::perms::none);
    int status = InChild([&] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            return ChildUnavailable;
        }
        auto fileSystem = CreatePosixFileSystem({});
        std::vector<std::string> rows = ScanRows(*fileSystem, temp.Text());
        bool same = rows == ScanRows(*fileSystem, temp.Text(), WalkAlone);
        return same && PathsOnly(rows) == std::vector<std::string>{"A", "B", "X/E"} ? 0 : 1;
    });
    if (status == ChildUnavailable) {
        GTEST_SKIP() << "cannot drop privileges here";
    }
    EXPECT_EQ(status, 0);
}

// Runs `body` in a child in a private mount namespace: it answers 0 when the scan gave what
// it should, ChildUnavailable when it could not mount.
void ExpectWithPrivateMounts(const std::function<int()>& body) {
    int status = InChild([&] { return EnterPrivateMountNamespace() ? body() : ChildUnavailable; });
    if (status == ChildUnavailable) {
        GTEST_SKIP() << "cannot mount in a private mount namespace here";
    }
    EXPECT_EQ(status, 0);
}

// Each way of finding mount points: this kernel's, and the fallbacks of older kernels.
class ScanMountCheck : public testing::TestWithParam<MountCheck> {
  protected:
    std::unique_ptr<FileSystem> FileSystemOf(DirectoryChainOptions chain = {}) {
        chain.mountCheck = GetParam();
        return CreatePosixFileSystem({.ignoreEntryTypes = false, .chain = chain});
    }

    TempFolder temp;
    const fs::path root = temp.Path() / "root";
};

const MountCheck MountChecks[] = {MountCheck::Automatic, MountCheck::MountId,
                                  MountCheck::HandleMountId, MountCheck::DeviceAndMountTable};

std::string CheckName(const testing::TestParamInfo<MountCheck>& check) {
    const char* names[] = {"Automatic", "MountId", "HandleMountId", "DeviceAndMountTable"};
    return names[check.index];
}

INSTANTIATE_TEST_SUITE_P(Checks, ScanMountCheck, testing::ValuesIn(MountChecks), CheckName);

// A mount point is content, as a link is: never entered or listed, and the folder holding
// it is not empty. Were the mounts entered, the root would hold empty "bind", "readonly"
// and "p", and list them. lost+found is kept where a file system is mounted (the root of a
// tmpfs, or of a bind mount) and listed anywhere else: below the top, and in a root that is
// a plain folder.
TEST_P(ScanMountCheck, AMountPointIsContent) {
    MakeTree(root, {"a/", "e/", "bind/", "readonly/", "tmpfs/", "p/q/", "p/r/", "lost+found/"});
    const fs::path elsewhere = temp.Path() / "elsewhere";
    MakeTree(elsewhere, {"build/inner/", "build/lost+found/", "empty/"});
    ExpectWithPrivateMounts([&] {
        if (!Mount(MountKind::Bind, elsewhere / "build", root / "bind") ||
            !Mount(MountKind::ReadOnlyBind, elsewhere / "empty", root / "readonly") ||
            !Mount(MountKind::Tmpfs, {}, root / "tmpfs") ||
            !Mount(MountKind::Tmpfs, {}, root / "p" / "q")) {
            return ChildUnavailable;
        }
        MakeTree(root / "tmpfs", {"lost+found/", "a/lost+found/", "f"});
        ListingRules rules;
        auto rows = [&](const fs::path& at) {
            return PathsOnly(ScanRows(*FileSystemOf(), PathText(at), {}, &rules));
        };
        return rows(root) == std::vector<std::string>{"a", "e", "lost+found", "p/r"} &&
                       rows(root / "tmpfs") == std::vector<std::string>{"a"} &&
                       rows(root / "bind") == std::vector<std::string>{"inner"}
                   ? 0
                   : 1;
    });
}

// A subfolder replaced by a link, and a bind mount made, once the scan has opened its root
// (past the entry classification, and on a kernel that cannot refuse to cross a mount):
// only the opening guards them. The link's failed opening ends the root's scan, after "late";
// were either entered, "z" or "late" would count as empty and be listed beside the file.
TEST_P(ScanMountCheck, ALinkOrAMountMadeDuringTheScanIsContent) {
    MakeTree(root, {"f", "e/", "late/", "z/x/"});
    const fs::path elsewhere = temp.Path() / "elsewhere";
    MakeTree(elsewhere, {"inner/"});
    ExpectWithPrivateMounts([&] {
        bool mounted = false;
        FakeScanHost host;
        host.onDoEvents = [&] {
            if (host.doEventsCalls == 2) { // the root's is the first, before it is opened
                fs::rename(root / "z", temp.Path() / "old");
                fs::create_directory_symlink(temp.Path() / "old", root / "z");
                mounted = Mount(MountKind::Bind, elsewhere, root / "late");
            }
        };
        std::vector<std::string> rows = Scan(*FileSystemOf(), PathText(root), host, WalkAlone).rows;
        if (!mounted) {
            return ChildUnavailable;
        }
        return rows == std::vector<std::string>{"0 e"} ? 0 : 1;
    });
}

// Below AlwaysOpenDepth a level gives its descriptor up once read and is reopened, from the
// nearest level that kept one, outermost first, to open its subfolders. A level replaced
// meanwhile is not entered (its scan ends): were it, its empty folder would make the chain
// count as empty and "d" be listed.
TEST_P(ScanMountCheck, LevelsBelowTheKeptOnesAreReopenedAndChecked) {
    std::string deepest;
    for (std::size_t level = 0; level < DirectoryHandle::AlwaysOpenDepth + 8; ++level) {
        deepest += "d/";
    }
    MakeTree(root, {"f0", deepest + "f", deepest + "x/"});
    EXPECT_EQ(ScanRows(*FileSystemOf(), PathText(root)),
              std::vector<std::string>{"0 " + deepest + "x"});
    std::size_t replacedDepth = 0;
    DirectoryChainOptions chain;
    chain.beforeReopen = [&](std::size_t depth) {
        if (replacedDepth == 0) {
            replacedDepth = depth;
            fs::path level = root / deepest.substr(0, 2 * depth);
            fs::rename(level, temp.Path() / "moved");
            fs::create_directories(level / "d");
        }
    };
    EXPECT_EQ(ScanRows(*FileSystemOf(chain), PathText(root)), std::vector<std::string>{});
    EXPECT_GT(replacedDepth, DirectoryHandle::AlwaysOpenDepth);
}

constexpr int DeepLevels = 20000;

// A chain of folders "d" DeepLevels deep, made one level at a time with descriptors: no
// path of that length is ever handed to the system.
void MakeDeepChain(const fs::path& root) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < DeepLevels && fd >= 0; ++level) {
        ASSERT_EQ(::mkdirat(fd, "d", 0755), 0) << level;
        int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::mkdirat(fd, "x", 0755), 0);
    ::close(::openat(fd, "f", O_WRONLY | O_CREAT, 0644));
    ::close(fd);
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
    std::vector<std::string> rows = ScanRows(*CreatePosixFileSystem({}), temp.Text());
    ::setrlimit(RLIMIT_NOFILE, &saved);
    // rm removes a tree of any depth; the temporary folder's own removal does not.
    EXPECT_EQ(std::system(("rm -rf '" + temp.Text("d") + "'").c_str()), 0);
    std::string deepest;
    for (int level = 0; level < DeepLevels; ++level) {
        deepest += "d/";
    }
    // The deepest empty folder is listed at once beside the file; "e" waits for the end.
    EXPECT_EQ(rows, (std::vector<std::string>{"0 " + deepest + "x", "1 e"}));
}

} // namespace
