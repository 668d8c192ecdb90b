// Settings-file scenarios that run unchanged against kernel32 (Win32 build, under Wine)
// and against our own reader and writer (Linux build).
#include "platform/ProfileFile.h"
#include "settings/IniFileCommon.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using IniFileCommon::GetIniValue;
using IniFileCommon::SetIniValue;

namespace {

class SettingsFile : public ::testing::Test {
  protected:
    std::string Read(const std::string& key = "Folder", const std::string& defaultValue = "",
                     const std::string& section = "Vacantor") {
        std::string value = "left over";
        GetIniValue(*profile, section, key, defaultValue, value, file);
        return value;
    }
    bool Write(const std::string& value) {
        return SetIniValue(*profile, "Vacantor", "Folder", value, file);
    }
    void HandWrite(const std::string& bytes) { WriteFile(folder.Path() / "Scryve.ini", bytes); }

    TempFolder folder;
    std::string file = folder.Text("Scryve.ini");
    std::unique_ptr<ProfileFile> profile = CreateSystemProfileFile();
};

TEST_F(SettingsFile, HandWrittenFilesAreReadAsKernel32ReadsThem) {
    struct Case {
        std::string text;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {"[Other]\r\nFolder=elsewhere\r\n", "Folder", ""},
        {"[VACANTOR]\r\nfolder=C:\\\\Data\r\n", "FOLDER", "C:\\Data"},
        {"[Vacantor]\r\n  Folder  =   \"C:\\\\quoted\"   \r\n", "Folder", "C:\\quoted"},
        {"[Vacantor]\r\nSingle='x'\r\n", "Single", "x"},
        {"[Vacantor]\r\nHalf=\"y\r\n", "Half", "\"y"},
        {"[Vacantor]\r\nMixed=\"z'\r\n", "Mixed", "\"z'"},
        {"[Vacantor]\r\nFolder=C:\\temp\\Data\\new\r\n", "Folder", "C:\temp\\Data\new"},
        {std::string("[Vacantor]\r\nFolder=ab\0cd\r\n", 25), "Folder", "ab"},
        {"[Vacantor]\rFolder=cr-only\rNext=1\r", "Next", "1"},
        {"[Vacantor]\nA=lf\r\nFolder=mixed\nB=crlf\r\n", "Folder", "mixed"},
        {"[Vacantor]\r\nFolder=no final line break", "Folder", "no final line break"},
        {"\xEF\xBB\xBF[Vacantor]\r\nFolder=D\xC3\xA9j\xC3\xA0\r\n", "Folder", "D\xC3\xA9j\xC3\xA0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        HandWrite(c.text);
        EXPECT_EQ(Read(c.key), c.expected);
    }
}

// Regression: a 1,024-character read buffer cut long values, and a cut root folder can
// name a different folder that exists. A file that is not text first must not get in the way.
TEST_F(SettingsFile, WrittenValuesComeBackExactly) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary += static_cast<char>((i * 7919) % 256);
    }
    HandWrite(binary);
    Read(); // whatever it finds, it must not crash
    std::string longValue = "C:";
    while (longValue.size() < 6000) {
        longValue += "\\segment";
    }
    std::vector<std::string> values = {"C:\\Work\\new", "a\\nb\tc\vd\r\ne\\", longValue,
                                       "C:\\D\xC3\xA9j\xC3\xA0"};
#ifndef _WIN32
    // Linux folder names may end in blanks; the reader drops blanks and quotes around a
    // value, so such a value is written inside quotation marks to come back exactly.
    values.insert(values.end(), {"/tmp/trailing ", " leading", "'quoted'", "\"both\""});
#endif
    for (const std::string& value : values) {
        ASSERT_TRUE(Write(value));
        EXPECT_EQ(Read(), value);
    }
}

// A file at the size cap is read whole; one byte more and it is not a settings file: it
// reads as missing (regression: a huge file was read whole) and is never replaced.
TEST_F(SettingsFile, FileOverTheSizeCapReadsAsMissingAndIsKept) {
    const std::string head = "[Vacantor]\r\nFolder=";
    const std::string tail = "\r\nAfter=1\r\n";
    std::string value(MaximumProfileFileSize - head.size() - tail.size(), 'x');
    HandWrite(head + value + tail);
    EXPECT_EQ(Read(), value);
    EXPECT_EQ(Read("After"), "1");

    const std::string tooLarge = head + value + "y" + tail;
    HandWrite(tooLarge);
    EXPECT_EQ(Read("Folder", "none  "), "none");
    EXPECT_FALSE(Write("C:\\new"));
    EXPECT_TRUE(ReadFile(folder.Path() / "Scryve.ini") == tooLarge);
}

// A file in a missing folder cannot be written; a folder in the file's place reads as
// missing and stays as it was.
TEST_F(SettingsFile, FailedWriteReturnsFalse) {
    file = folder.Text("missing/Scryve.ini");
    EXPECT_FALSE(Write("x"));
    file = folder.Text("AFolder.ini");
    std::filesystem::create_directory(file);
    WriteFile(folder.Path() / "AFolder.ini" / "inside", "keep");
    EXPECT_EQ(Read("Folder", "dflt"), "dflt");
    EXPECT_FALSE(Write("x"));
    EXPECT_EQ(ReadFile(folder.Path() / "AFolder.ini" / "inside"), "keep");
}

} // namespace
