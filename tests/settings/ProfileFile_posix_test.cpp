// What only our own Linux profile-file writer promises beyond kernel32's results.
#include "platform/ProfileFile.h"
#include "settings/IniFileCommon.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uid_t Nobody = 65534;
constexpr int Unavailable = 77;

// Runs `body` in a child process, as `nobody` when asked, and returns its exit status, or
// -1 when it did not exit (a crash, or killed by the alarm that stands for a hang).
int InChild(bool asNobody, const std::function<bool()>& body) {
    pid_t child = ::fork();
    if (child == 0) {
        if (asNobody &&
            (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)) {
            ::_exit(Unavailable);
        }
        ::alarm(20);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

struct stat Status(const fs::path& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

class PosixProfileFile : public ::testing::Test {
  protected:
    TempFolder folder;
    std::string file = folder.Text("Scryve.ini");
    std::unique_ptr<ProfileFile> profile = CreateSystemProfileFile();

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(PosixProfileFile, WriteLeavesNoTemporaryFileBehind) {
    ASSERT_TRUE(profile->WritePrivateProfileString("Vacantor", "Folder", "x", file));
    ASSERT_TRUE(profile->WritePrivateProfileString("Vacantor", "Folder", "y", file));
    EXPECT_EQ(Entries(), std::vector<std::string>{"Scryve.ini"});
    EXPECT_EQ(ReadFile(folder.Path() / "Scryve.ini"), "[Vacantor]\nFolder=y\n");
}

TEST_F(PosixProfileFile, KeepsTheFilesPermissionsAndWritesThroughALink) {
    WriteFile(folder.Path() / "real.ini", "[Vacantor]\nFolder=a\n");
    ::chmod(folder.Text("real.ini").c_str(), 0640);
    fs::create_symlink("real.ini", folder.Path() / "Scryve.ini");

    ASSERT_TRUE(profile->WritePrivateProfileString("Vacantor", "Folder", "b", file));
    EXPECT_TRUE(fs::is_symlink(folder.Path() / "Scryve.ini"));
    EXPECT_EQ(ReadFile(folder.Path() / "real.ini"), "[Vacantor]\nFolder=b\n");
    struct stat info {};
    ASSERT_EQ(::stat(folder.Text("real.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(PosixProfileFile, FailedWriteLeavesTheOldFileAsItWas) {
    // A file we cannot read (here: a folder's name given as the file) is never replaced.
    fs::create_directory(folder.Path() / "Scryve.ini");
    WriteFile(folder.Path() / "Scryve.ini" / "inside", "keep");
    EXPECT_FALSE(profile->WritePrivateProfileString("Vacantor", "Folder", "x", file));
    EXPECT_EQ(ReadFile(folder.Path() / "Scryve.ini" / "inside"), "keep");
}

// Linux folder names may end in blanks; the reader drops blanks and quotes around a value,
// so such a value is written inside quotation marks to come back exactly.
TEST_F(PosixProfileFile, ValuesWithEdgeBlanksOrQuotesComeBackExactly) {
    for (std::string value : {"/tmp/trailing ", " leading", "'quoted'", "\"both\"", "plain"}) {
        ASSERT_TRUE(IniFileCommon::SetIniValue(*profile, "Vacantor", "Folder", value, file));
        std::string read;
        IniFileCommon::GetIniValue(*profile, "Vacantor", "Folder", "", read, file);
        EXPECT_EQ(read, value);
    }
}

// A FIFO blocked the program in open, a link to /dev/zero read until memory ran out.
// Each reads as missing, at once, and the writer leaves it as it is.
TEST_F(PosixProfileFile, SpecialFilesReadAsMissingAndAreLeftAlone) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
    };
    const Case cases[] = {
        {"FIFO", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0); }},
        {"link to /dev/zero", [](const fs::path& at) { fs::create_symlink("/dev/zero", at); }},
        {"socket",
         [](const fs::path& at) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             ASSERT_LT(at.string().size(), sizeof address.sun_path);
             at.string().copy(address.sun_path, sizeof address.sun_path - 1);
             int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             ::close(fd);
         }},
    };
    const fs::path path = folder.Path() / "Scryve.ini";
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        fs::remove(path);
        test.make(path);
        const struct stat before = Status(path);
        int status = InChild(false, [&] {
            std::string value;
            IniFileCommon::GetIniValue(*profile, "Vacantor", "Folder", "dflt", value, file);
            return value == "dflt" &&
                   !IniFileCommon::SetIniValue(*profile, "Vacantor", "Folder", "x", file);
        });
        EXPECT_EQ(status, 0);
        const struct stat after = Status(path);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(Entries(), std::vector<std::string>{"Scryve.ini"});
    }
}

// The writer as an ordinary user, in the cases where renaming a new file over the old one
// would fail or take something from the file: it rewrites the file in place then, keeping
// its owner, its mode and its links. A file the user may not write is left alone.
struct WriterCase {
    const char* name;
    bool asNobody;
    uid_t folderOwner;
    uid_t fileOwner;
    mode_t fileMode;
    bool secondLink;
    bool written;
};

void PrintTo(const WriterCase& test, std::ostream* os) {
    *os << test.name;
}

class PosixProfileWriter : public PosixProfileFile,
                           public testing::WithParamInterface<WriterCase> {};

TEST_P(PosixProfileWriter, KeepsOwnerModeAndLinks) {
    const WriterCase& test = GetParam();
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give files to other users";
    }
    const fs::path path = folder.Path() / "Scryve.ini";
    const std::string before = "[Vacantor]\nFolder=an-old-value-longer-than-the-new\nOther=1\n";
    WriteFile(path, before);
    ASSERT_EQ(::chown(path.c_str(), test.fileOwner, test.fileOwner), 0);
    ASSERT_EQ(::chmod(path.c_str(), test.fileMode), 0);
    ASSERT_EQ(::chown(folder.Text().c_str(), test.folderOwner, test.folderOwner), 0);
    if (test.secondLink) {
        fs::create_hard_link(path, folder.Path() / "link.ini");
    }
    const std::vector<std::string> entries = Entries();

    int status = InChild(test.asNobody, [&] {
        return IniFileCommon::SetIniValue(*profile, "Vacantor", "Folder", "new", file);
    });
    if (status == Unavailable) {
        GTEST_SKIP() << "cannot drop privileges here";
    }

    EXPECT_EQ(status, test.written ? 0 : 1);
    const std::string expected = test.written ? "[Vacantor]\nFolder=new\nOther=1\n" : before;
    EXPECT_EQ(ReadFile(path), expected);
    const struct stat info = Status(path);
    EXPECT_EQ(info.st_uid, test.fileOwner);
    EXPECT_EQ(info.st_gid, test.fileOwner);
    EXPECT_EQ(info.st_mode & 07777, test.fileMode);
    if (test.secondLink) {
        EXPECT_EQ(info.st_nlink, 2u);
        EXPECT_EQ(ReadFile(folder.Path() / "link.ini"), expected);
    }
    EXPECT_EQ(Entries(), entries); // no temporary file left behind
}

constexpr uid_t Root = 0;

INSTANTIATE_TEST_SUITE_P(
    Cases, PosixProfileWriter,
    testing::Values(
        // Regression: the file became root's.
        WriterCase{"RootWritesAFileOfAnotherUser", false, Root, Nobody, 0640, false, true},
        // Regression: the write failed, as no temporary file could be made beside it.
        WriterCase{"FolderNotWritable", true, Root, Nobody, 0644, false, true},
        // Regression: the other link kept the old bytes.
        WriterCase{"HardLinkedFile", true, Nobody, Nobody, 0644, true, true},
        // Regression: the file became nobody's.
        WriterCase{"WritableFileOfAnotherUser", true, Nobody, Root, 0666, false, true},
        WriterCase{"OwnFileInOwnFolder", true, Nobody, Nobody, 0604, false, true},
        WriterCase{"ReadOnlyFile", true, Nobody, Nobody, 0444, false, false}),
    [](const testing::TestParamInfo<WriterCase>& testInfo) {
        return std::string(testInfo.param.name);
    });

} // namespace
