// Where the Linux program keeps its settings file, and the folder made on the first write.
#include "platform/posix/SettingsFolder.h"
#include "support/ChildProcess_posix.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

TEST(SettingsFolderChoice, FollowsTheProgramFolderThenTheEnvironment) {
    struct Case {
        const char* name;
        bool fileBeside;
        bool writable;
        bool installed;
        const char* xdgConfigHome;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"writable folder keeps it beside", false, true, false, "/xdg", "/home/u", "/opt/app"},
        {"existing file keeps it beside", true, false, false, "/xdg", "/home/u", "/opt/app"},
        {"existing file in the installed folder", true, true, true, "/xdg", "/home/u", "/opt/app"},
        {"neither uses XDG_CONFIG_HOME", false, false, false, "/xdg", "/home/u", "/xdg/vacantor"},
        {"neither, without XDG", false, false, false, "", "/home/u", "/home/u/.config/vacantor"},
        {"relative XDG is ignored", false, false, false, "cfg", "/home/u",
         "/home/u/.config/vacantor"},
        {"trailing slashes dropped", false, false, false, "/xdg/", "/home/u", "/xdg/vacantor"},
        {"root may write the installed folder, but it is not used", false, true, true, "", "/root",
         "/root/.config/vacantor"},
        {"no home anywhere keeps it beside", false, false, false, "", "", "/opt/app"},
    };
    for (const Case& c : cases) {
        SettingsFolderFacts facts{"/opt/app",  c.fileBeside,    c.writable,
                                  c.installed, c.xdgConfigHome, c.home};
        EXPECT_EQ(ChooseSettingsFolder(facts), c.expected) << c.name;
    }
}

// The facts as an unprivileged user sees them, packed into an exit status by a child.
int FactsAsNobody(const std::string& programFolder, const std::string& installedFolder) {
    constexpr uid_t Nobody = 65534;
    return InChild([&] {
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) {
            return ChildUnavailable;
        }
        SettingsFolderFacts facts =
            GatherSettingsFolderFacts(programFolder, "Scryve.ini", installedFolder);
        return (facts.fileBesideProgram ? 1 : 0) | (facts.programFolderWritable ? 2 : 0) |
               (facts.programFolderInstalled ? 4 : 0);
    });
}

// Everything else runs as root, who may write anywhere: writability must be the user's.
TEST(SettingsFolderFacts, WritabilityIsJudgedForTheRealUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to become another user";
    }
    TempFolder temp;
    ::chmod(temp.Text().c_str(), 0755);
    const fs::path rootsOnly = temp.Path() / "bin";
    const fs::path everyones = temp.Path() / "portable";
    fs::create_directories(rootsOnly);
    fs::create_directories(everyones);
    ::chmod(rootsOnly.c_str(), 0755);
    ::chmod(everyones.c_str(), 0777);
    WriteFile(everyones / "Scryve.ini", "");

    EXPECT_EQ(FactsAsNobody(rootsOnly.string(), "/nonexistent"), 0);
    EXPECT_EQ(FactsAsNobody(everyones.string(), "/nonexistent"), 1 | 2);
    EXPECT_EQ(FactsAsNobody(rootsOnly.string(), temp.Text("bin/.")), 4);
}

TEST(SettingsFolderProfileFile, TheFirstWriteMakesThePrivateFolder) {
    TempFolder temp;
    const fs::path folder = temp.Path() / "config" / "vacantor";
    const std::string file = (folder / "Scryve.ini").string();
    std::unique_ptr<ProfileFile> profile =
        CreateFolderMakingProfileFile(CreateSystemProfileFile(), folder.string());

    EXPECT_EQ(profile->GetPrivateProfileString("Vacantor", "Folder", "", file), "");
    EXPECT_FALSE(fs::exists(temp.Path() / "config")) << "reading makes nothing";

    ASSERT_TRUE(profile->WritePrivateProfileString("Vacantor", "Folder", "/data", file));
    EXPECT_EQ(profile->GetPrivateProfileString("Vacantor", "Folder", "", file), "/data");
    for (const fs::path& made : {temp.Path() / "config", folder}) {
        EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
    }
    ASSERT_TRUE(profile->WritePrivateProfileString("Vacantor", "Folder", "/other", file));
    EXPECT_EQ(profile->GetPrivateProfileString("Vacantor", "Folder", "", file), "/other");
}

} // namespace
