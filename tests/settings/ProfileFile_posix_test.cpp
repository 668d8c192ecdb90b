// Where the Linux program keeps its settings file, and what our own profile-file writer
// promises beyond kernel32's results.
#include "platform/ProfileFile.h"
#include "platform/posix/SettingsFolder.h"
#include "settings/IniFileCommon.h"
#include "support/ChildProcess_posix.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iterator>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace fs = std::filesystem;
using IniFileCommon::GetIniValue;
using IniFileCommon::SetIniValue;

namespace {

constexpr uid_t Root = 0;
constexpr uid_t Nobody = 65534;
constexpr uid_t Stranger = 4242;

// Runs `body` in a child, as nobody when asked: its exit status, or ChildUnavailable.
int InChildAs(bool asNobody, const std::function<int()>& body) {
    return InChild([&] {
        const bool dropped = !asNobody || (::setgroups(0, nullptr) == 0 && ::setgid(Nobody) == 0 &&
                                           ::setuid(Nobody) == 0);
        return dropped ? body() : ChildUnavailable;
    });
}

struct stat Status(const fs::path& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

class PosixProfileFile : public ::testing::Test {
  protected:
    TempFolder folder;
    fs::path path = folder.Path() / "Scryve.ini";
    std::string file = path.string();
    std::unique_ptr<ProfileFile> profile = CreateSystemProfileFile();

    std::ptrdiff_t Entries() const {
        return std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator());
    }
};

// The writer as root and as an ordinary user. A link is written through only when nobody but
// the user (or root) may have made or changed it: else root could be made to rewrite any
// file. Where a rename would fail or take something from the file, it is rewritten in place,
// keeping owner, mode, links and extended attributes. A file the user may not write, or a
// write cut short (by a file-size limit), keeps the old text. No temporary file is left.
TEST_F(PosixProfileFile, WriterKeepsOwnerModeAndLinksAndFollowsOnlyTrustedLinks) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give files to other users";
    }
    struct Case {
        const char* name;
        bool asNobody;
        uid_t folderOwner;
        mode_t folderMode;
        uid_t fileOwner; // of the file written: the link's target when Scryve.ini is a link
        mode_t fileMode;
        bool written;
        const char* linkTarget = nullptr; // Scryve.ini is a link to it, owned by linkOwner
        uid_t linkOwner = Root;
        bool hardLinked = false;
        rlim_t sizeLimit = 0;
    };
    const Case cases[] = {
        // Regression: the file became root's.
        {"root writes a file of another user", false, Root, 0755, Nobody, 0640, true},
        // Regression: the write failed, as no temporary file could be made beside it.
        {"folder not writable", true, Root, 0755, Nobody, 0644, true},
        // Regression: the other link kept the old bytes.
        {"hard-linked file", true, Nobody, 0755, Nobody, 0644, true, nullptr, Root, true},
        // Regression: the file became nobody's.
        {"writable file of another user", true, Nobody, 0755, Root, 0666, true},
        {"own file in own folder", true, Nobody, 0755, Nobody, 0604, true},
        {"read-only file", true, Nobody, 0755, Nobody, 0444, false},
        {"write cut short", false, Root, 0755, Root, 0644, false, nullptr, Root, false, 16},
        {"root's own link", false, Root, 0755, Root, 0646, true, "real.ini"},
        {"the user's own link", true, Nobody, 0755, Nobody, 0646, true, "real.ini", Nobody},
        {"a link root made for the user", true, Nobody, 0700, Nobody, 0646, true, "real.ini"},
        {"target of another user", false, Root, 0755, Nobody, 0646, false, "real.ini"},
        // The stranger's file is writable for everyone: only its owner keeps it.
        {"the user's link to a stranger's file", true, Nobody, 0755, Stranger, 0646, false,
         "real.ini", Nobody},
        {"group-writable folder", true, Nobody, 0775, Nobody, 0646, false, "real.ini", Nobody},
        {"folder anyone may write", false, Root, 01777, Root, 0646, false, "real.ini"},
        {"link of another user", true, Nobody, 0755, Nobody, 0646, false, "real.ini", Stranger},
        {"folder of another user", true, Stranger, 0755, Nobody, 0646, false, "real.ini", Nobody},
        {"through a second link others may change", false, Root, 0755, Root, 0646, false,
         "shared/next.ini"},
        {"link to nothing", false, Root, 0755, Root, 0646, false, "missing.ini"},
    };
    const std::string before = "[Vacantor]\nFolder=an-old-value-longer-than-the-new\nOther=1\n";
    const fs::path shared = folder.Path() / "shared";
    fs::create_directory(shared);
    ::chmod(shared.c_str(), 0777);
    fs::create_symlink("../real.ini", shared / "next.ini");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = c.linkTarget ? folder.Path() / "real.ini" : path;
        fs::remove(path);
        fs::remove(folder.Path() / "link.ini");
        WriteFile(target, before);
        ASSERT_EQ(::chown(target.c_str(), c.fileOwner, c.fileOwner), 0);
        ASSERT_EQ(::chmod(target.c_str(), c.fileMode), 0);
        if (::setxattr(target.c_str(), "user.note", "kept", 4, 0) != 0) {
            GTEST_SKIP() << "no extended attributes here";
        }
        if (c.linkTarget) {
            fs::create_symlink(c.linkTarget, path);
            ASSERT_EQ(::lchown(file.c_str(), c.linkOwner, c.linkOwner), 0);
        }
        if (c.hardLinked) {
            fs::create_hard_link(path, folder.Path() / "link.ini");
        }
        ASSERT_EQ(::chown(folder.Text().c_str(), c.folderOwner, c.folderOwner), 0);
        ::chmod(folder.Text().c_str(), c.folderMode);
        const std::ptrdiff_t entries = Entries();

        int status = InChildAs(c.asNobody, [&] {
            const rlimit limit{c.sizeLimit, c.sizeLimit};
            ::signal(SIGXFSZ, SIG_IGN);
            if (c.sizeLimit != 0 && ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                return ChildUnavailable;
            }
            return SetIniValue(*profile, "Vacantor", "Folder", "new", file) ? 0 : 1;
        });
        if (status == ChildUnavailable) {
            GTEST_SKIP() << "cannot drop privileges here";
        }

        EXPECT_EQ(status, c.written ? 0 : 1);
        const std::string expected = c.written ? "[Vacantor]\nFolder=new\nOther=1\n" : before;
        EXPECT_EQ(ReadFile(target), expected);
        EXPECT_EQ(fs::is_symlink(path), c.linkTarget != nullptr);
        const struct stat info = Status(target);
        EXPECT_EQ(info.st_uid, c.fileOwner);
        EXPECT_EQ(info.st_gid, c.fileOwner);
        EXPECT_EQ(info.st_mode & 07777, c.fileMode);
        char note[8] = {};
        EXPECT_EQ(::getxattr(target.c_str(), "user.note", note, sizeof note), 4);
        EXPECT_STREQ(note, "kept");
        if (c.hardLinked) {
            EXPECT_EQ(info.st_nlink, 2u);
            EXPECT_EQ(ReadFile(folder.Path() / "link.ini"), expected);
        }
        EXPECT_EQ(Entries(), entries);
    }
}

// A FIFO blocked the program in open, a link to /dev/zero read until memory ran out.
// Each reads as missing, at once (the child's alarm stands for a hang), and the writer
// leaves it as it is.
TEST_F(PosixProfileFile, SpecialFilesReadAsMissingAndAreLeftAlone) {
    const std::function<void(const fs::path&)> makers[] = {
        [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0); },
        [](const fs::path& at) { fs::create_symlink("/dev/zero", at); },
    };
    for (const auto& make : makers) {
        fs::remove(path);
        make(path);
        const struct stat before = Status(path);
        int status = InChild([&] {
            ::alarm(20);
            std::string value;
            GetIniValue(*profile, "Vacantor", "Folder", "dflt", value, file);
            return value == "dflt" && !SetIniValue(*profile, "Vacantor", "Folder", "x", file) ? 0
                                                                                              : 1;
        });
        EXPECT_EQ(status, 0) << before.st_mode;
        EXPECT_EQ(Status(path).st_ino, before.st_ino);
        EXPECT_EQ(Status(path).st_mode, before.st_mode);
        EXPECT_EQ(Entries(), 1);
    }
}

TEST(SettingsFolderChoice, FollowsTheProgramFolderThenTheEnvironment) {
    // The facts: program folder, file beside it, folder writable, folder shared, folder
    // installed, XDG_CONFIG_HOME, HOME.
    const std::pair<SettingsFolderFacts, const char*> cases[] = {
        {{"/app", false, true, false, false, "/xdg", "/h"}, "/app"}, // writable: beside
        {{"/app", true, false, false, false, "/xdg", "/h"}, "/app"}, // existing file: beside
        {{"/app", true, true, false, true, "/xdg", "/h"}, "/app"},
        {{"/app", false, false, false, false, "/xdg", "/h"}, "/xdg/vacantor"},
        {{"/app", false, false, false, false, "", "/h"}, "/h/.config/vacantor"},
        {{"/app", false, false, false, false, "cfg", "/h"}, "/h/.config/vacantor"}, // relative
        {{"/app", false, false, false, false, "/xdg/", "/h"}, "/xdg/vacantor"}, // slashes dropped
        // Root may write the installed folder, but it is not used.
        {{"/app", false, true, false, true, "", "/root"}, "/root/.config/vacantor"},
        {{"/app", false, false, false, false, "", ""}, "/app"}, // no home anywhere
        // Others may write the program folder: never used, even with a file in it.
        {{"/app", false, true, true, false, "/xdg", "/h"}, "/xdg/vacantor"},
        {{"/app", true, true, true, false, "", "/h"}, "/h/.config/vacantor"},
        {{"/app", true, true, true, false, "", ""}, ""},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        EXPECT_EQ(ChooseSettingsFolder(cases[row].first), cases[row].second) << "row " << row;
    }
}

// Everything else runs as root, who may write anywhere: writability must be the user's.
// A folder is shared when its group or others may write it or another user owns it.
TEST_F(PosixProfileFile, SettingsFolderFactsAreJudgedForTheRealUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to become another user";
    }
    ::chmod(folder.Text().c_str(), 0755);
    struct Case {
        const char* name;
        uid_t owner;
        mode_t mode;
        int facts;
    };
    const Case cases[] = {
        {"bin", 0, 0755, 0},      {"portable", 0, 0777, 1 | 2 | 8}, // with Scryve.ini in it
        {"own", Nobody, 0755, 2}, {"group", Nobody, 0775, 2 | 8},   {"stranger", 4242, 0755, 8},
    };
    for (const Case& c : cases) {
        const fs::path at = folder.Path() / c.name;
        fs::create_directory(at);
        ASSERT_EQ(::chown(at.c_str(), c.owner, c.owner), 0);
        ::chmod(at.c_str(), c.mode);
    }
    WriteFile(folder.Path() / "portable" / "Scryve.ini", "");
    // The facts as the user sees them, packed into the exit status of a child.
    const auto factsAsNobody = [](const std::string& programFolder, const std::string& installed) {
        return InChildAs(true, [&] {
            SettingsFolderFacts facts =
                GatherSettingsFolderFacts(programFolder, "Scryve.ini", installed);
            return (facts.fileBesideProgram ? 1 : 0) | (facts.programFolderWritable ? 2 : 0) |
                   (facts.programFolderInstalled ? 4 : 0) | (facts.programFolderShared ? 8 : 0);
        });
    };

    for (const Case& c : cases) {
        EXPECT_EQ(factsAsNobody(folder.Text(c.name), "/nonexistent"), c.facts) << c.name;
    }
    EXPECT_EQ(factsAsNobody(folder.Text("bin"), folder.Text("bin/.")), 4);
}

TEST_F(PosixProfileFile, TheFirstWriteMakesThePrivateSettingsFolder) {
    const fs::path made = folder.Path() / "config" / "vacantor";
    file = (made / "Scryve.ini").string();
    profile = CreateFolderMakingProfileFile(CreateSystemProfileFile(), made.string());

    EXPECT_EQ(profile->GetPrivateProfileString("Vacantor", "Folder", "", file), "");
    EXPECT_FALSE(fs::exists(folder.Path() / "config")) << "reading makes nothing";

    ASSERT_TRUE(profile->WritePrivateProfileString("Vacantor", "Folder", "/data", file));
    EXPECT_EQ(profile->GetPrivateProfileString("Vacantor", "Folder", "", file), "/data");
    for (const fs::path& each : {folder.Path() / "config", made}) {
        EXPECT_EQ(fs::status(each).permissions(), fs::perms::owner_all) << each;
    }
    ASSERT_TRUE(profile->WritePrivateProfileString("Vacantor", "Folder", "/other", file));
    EXPECT_EQ(profile->GetPrivateProfileString("Vacantor", "Folder", "", file), "/other");

    // No folder to keep settings in: the file is neither read nor written.
    profile = CreateFolderMakingProfileFile(CreateSystemProfileFile(), "");
    EXPECT_EQ(profile->GetPrivateProfileString("Vacantor", "Folder", "", file), "");
    EXPECT_FALSE(profile->WritePrivateProfileString("Vacantor", "Folder", "/data", file));
    EXPECT_EQ(ReadFile(file), "[Vacantor]\nFolder=/other\n");
}

} // namespace
