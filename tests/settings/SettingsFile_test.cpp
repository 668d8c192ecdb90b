// Settings-file scenarios that run unchanged against kernel32 (Win32 build, under Wine)
// and against our own reader and writer (Linux build).
#include "platform/ProfileFile.h"
#include "settings/IniFileCommon.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using IniFileCommon::GetIniValue;
using IniFileCommon::SetIniValue;

namespace {

class SettingsFile : public ::testing::Test {
  protected:
    std::string Read(const std::string& section, const std::string& key,
                     const std::string& defaultValue = "") {
        std::string value = "left over";
        lastCount = GetIniValue(*profile, section, key, defaultValue, value, file);
        return value;
    }
    std::string Folder() { return Read("Vacantor", "Folder"); }
    bool WriteFolder(const std::string& value) {
        return SetIniValue(*profile, "Vacantor", "Folder", value, file);
    }
    void HandWrite(const std::string& bytes) { WriteFile(folder.Path() / "Scryve.ini", bytes); }

    TempFolder folder;
    std::string file = folder.Text("Scryve.ini");
    std::unique_ptr<ProfileFile> profile = CreateSystemProfileFile();
    std::int32_t lastCount = -1;
};

TEST_F(SettingsFile, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(Folder(), "");
    EXPECT_EQ(lastCount, 0);
    EXPECT_EQ(Read("Vacantor", "Folder", "C:\\\\x"), "C:\\x"); // the default is decoded too
    EXPECT_EQ(lastCount, 5);
    EXPECT_EQ(Read("Vacantor", "Folder", "abc   "), "abc"); // trailing blanks dropped

    HandWrite("[Other]\r\nFolder=elsewhere\r\n");
    EXPECT_EQ(Folder(), "");
    HandWrite("[Vacantor]\r\nName=value\r\n");
    EXPECT_EQ(Folder(), "");
}

TEST_F(SettingsFile, WriteCreatesTheFileWithSectionAndEscapedKey) {
    ASSERT_TRUE(WriteFolder("C:\\Work\\new"));
    std::string text = ReadFile(folder.Path() / "Scryve.ini");
    EXPECT_NE(text.find("[Vacantor]"), std::string::npos) << text;
    EXPECT_NE(text.find("Folder=C:\\\\Work\\\\new"), std::string::npos) << text;
    EXPECT_EQ(Folder(), "C:\\Work\\new");
    EXPECT_EQ(lastCount, 13); // the stored, escaped text
}

TEST_F(SettingsFile, ControlCharactersSurviveTheRoundTrip) {
    const std::string value = "a\\nb\tc\vd\r\ne\\";
    ASSERT_TRUE(WriteFolder(value));
    EXPECT_EQ(Folder(), value);
}

TEST_F(SettingsFile, ReplacesTheValueAndKeepsTheRest) {
    HandWrite("; settings\r\n[First]\r\nA=1\r\n\r\n[Vacantor]\r\nFolder=old\r\nOther=2\r\n"
              "[Last]\r\nB=3\r\n");
    ASSERT_TRUE(WriteFolder("new"));
    EXPECT_EQ(Folder(), "new");
    EXPECT_EQ(Read("First", "A"), "1");
    EXPECT_EQ(Read("Vacantor", "Other"), "2");
    EXPECT_EQ(Read("Last", "B"), "3");
    EXPECT_NE(ReadFile(folder.Path() / "Scryve.ini").find("; settings"), std::string::npos);
}

TEST_F(SettingsFile, NamesMatchWithoutRegardToCase) {
    HandWrite("[VACANTOR]\r\nfolder=C:\\\\Data\r\n");
    EXPECT_EQ(Folder(), "C:\\Data");
    ASSERT_TRUE(WriteFolder("D:\\"));
    EXPECT_EQ(Read("vacantor", "FOLDER"), "D:\\");
}

TEST_F(SettingsFile, BlanksAndOnePairOfQuotesAreDroppedOnRead) {
    HandWrite("[Vacantor]\r\n  Folder  =   \"C:\\\\quoted\"   \r\nSingle='x'\r\nHalf=\"y\r\n"
              "Mixed=\"z'\r\n");
    EXPECT_EQ(Folder(), "C:\\quoted");
    EXPECT_EQ(Read("Vacantor", "Single"), "x");
    EXPECT_EQ(Read("Vacantor", "Half"), "\"y");
    EXPECT_EQ(Read("Vacantor", "Mixed"), "\"z'");
}

TEST_F(SettingsFile, HandWrittenSingleBackslashesAreDecodedPairByPair) {
    HandWrite("[Vacantor]\r\nFolder=C:\\temp\\Data\\new\r\n");
    EXPECT_EQ(Folder(), "C:\temp\\Data\new");
}

// Regression: a 1,024-character read buffer cut long values, and a cut root folder can
// name a different folder that exists.
TEST_F(SettingsFile, LongValuesComeBackWhole) {
    std::string value = "C:";
    while (value.size() < 6000) {
        value += "\\segment";
    }
    ASSERT_TRUE(WriteFolder(value));
    EXPECT_EQ(Folder(), value);
    EXPECT_EQ(static_cast<std::size_t>(lastCount), value.size() + value.size() / 8);
}

TEST_F(SettingsFile, NonAsciiTextRoundTrips) {
    ASSERT_TRUE(WriteFolder("C:\\D\xC3\xA9j\xC3\xA0"));
    EXPECT_EQ(Folder(), "C:\\D\xC3\xA9j\xC3\xA0");
}

TEST_F(SettingsFile, FileThatIsNotTextNeverBreaksReadOrWrite) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary += static_cast<char>((i * 7919) % 256);
    }
    HandWrite(binary);
    Folder(); // whatever it finds, it must not crash
    ASSERT_TRUE(WriteFolder("C:\\after"));
    EXPECT_EQ(Folder(), "C:\\after");
}

TEST_F(SettingsFile, NulBytesEndTheValue) {
    HandWrite(std::string("[Vacantor]\r\nFolder=ab\0cd\r\n", 25));
    EXPECT_EQ(Folder(), "ab");
}

TEST_F(SettingsFile, OddLineEndsAndEncodingsAreRead) {
    HandWrite("[Vacantor]\rFolder=cr-only\rNext=1\r");
    EXPECT_EQ(Folder(), "cr-only");
    EXPECT_EQ(Read("Vacantor", "Next"), "1");

    HandWrite("[Vacantor]\nA=lf\r\nFolder=mixed\nB=crlf\r\n");
    EXPECT_EQ(Folder(), "mixed");

    HandWrite("[Vacantor]\r\nFolder=no final line break");
    EXPECT_EQ(Folder(), "no final line break");
    ASSERT_TRUE(SetIniValue(*profile, "Vacantor", "Added", "yes", file));
    EXPECT_EQ(Read("Vacantor", "Added"), "yes");
    EXPECT_EQ(Folder(), "no final line break");

    HandWrite("\xEF\xBB\xBF[Vacantor]\r\nFolder=C:\\\\D\xC3\xA9j\xC3\xA0\r\n");
    EXPECT_EQ(Folder(), "C:\\D\xC3\xA9j\xC3\xA0");
}

// A file at the size cap is read whole; one byte more and it is not a settings file: it
// reads as missing (regression: a huge file was read whole) and is never replaced.
TEST_F(SettingsFile, FileOverTheSizeCapReadsAsMissingAndIsKept) {
    const std::string head = "[Vacantor]\r\nFolder=";
    const std::string tail = "\r\nAfter=1\r\n";
    std::string value(MaximumProfileFileSize - head.size() - tail.size(), 'x');
    HandWrite(head + value + tail);
    EXPECT_EQ(Folder(), value);
    EXPECT_EQ(Read("Vacantor", "After"), "1");

    const std::string tooLarge = head + value + "y" + tail;
    HandWrite(tooLarge);
    EXPECT_EQ(Read("Vacantor", "Folder", "none  "), "none");
    EXPECT_FALSE(WriteFolder("C:\\new"));
    EXPECT_TRUE(ReadFile(folder.Path() / "Scryve.ini") == tooLarge);
}

TEST_F(SettingsFile, FailedWriteReturnsFalse) {
    std::string inMissingFolder = folder.Text("missing/Scryve.ini");
    EXPECT_FALSE(SetIniValue(*profile, "Vacantor", "Folder", "x", inMissingFolder));

    // A folder in the file's place reads as missing and stays as it was.
    std::filesystem::create_directory(folder.Path() / "AFolder.ini");
    std::string value = "left over";
    EXPECT_EQ(
        GetIniValue(*profile, "Vacantor", "Folder", "dflt", value, folder.Text("AFolder.ini")), 4);
    EXPECT_EQ(value, "dflt");
    EXPECT_FALSE(SetIniValue(*profile, "Vacantor", "Folder", "x", folder.Text("AFolder.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "AFolder.ini"));
}

} // namespace
