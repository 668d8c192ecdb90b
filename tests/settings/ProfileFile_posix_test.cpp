// What only our own Linux profile-file writer promises beyond kernel32's results.
#include "platform/ProfileFile.h"
#include "settings/IniFileCommon.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class PosixProfileFile : public ::testing::Test {
  protected:
    TempFolder folder;
    std::string file = folder.Text("Scryve.ini");
    std::unique_ptr<ProfileFile> profile = CreateSystemProfileFile();
};

TEST_F(PosixProfileFile, WriteLeavesNoTemporaryFileBehind) {
    ASSERT_TRUE(profile->WritePrivateProfileString("Vacantor", "Folder", "x", file));
    ASSERT_TRUE(profile->WritePrivateProfileString("Vacantor", "Folder", "y", file));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
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

} // namespace
