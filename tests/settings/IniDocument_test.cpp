#include "platform/posix/IniDocument.h"

#include <gtest/gtest.h>

namespace {

struct EditCase {
    const char* name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

TEST(IniDocument, EditsChangeOnlyTheLinesTheyMust) {
    const EditCase cases[] = {
        {"new file", "", "Vacantor", "Folder", "x", "[Vacantor]\nFolder=x\n"},
        {"replace in place, keep comments, blanks and other line ends",
         "; c\r\n[A]\r\nk=1\r\n\r\n[Vacantor]\r\n  Folder = old \r\nz=2\r\n", "Vacantor", "Folder",
         "new", "; c\r\n[A]\r\nk=1\r\n\r\n[Vacantor]\r\n  Folder =new\r\nz=2\r\n"},
        {"key added after the section's last line, before blank lines", "[Vacantor]\nz=2\n\n[B]\n",
         "vacantor", "Folder", "x", "[Vacantor]\nz=2\nFolder=x\n\n[B]\n"},
        {"section added at the end; the last line gets its line end", "[A]\nk=1", "Vacantor",
         "Folder", "x", "[A]\nk=1\n[Vacantor]\nFolder=x\n"},
        {"CR-only file keeps CR line ends", "[A]\rk=1\r", "A", "j", "2", "[A]\rk=1\rj=2\r"},
        {"byte-order mark kept", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", "2", "\xEF\xBB\xBF[A]\nk=2\n"},
        {"only the first of two equal keys changes", "[A]\nk=1\nK=2\n", "a", "K", "3",
         "[A]\nk=3\nK=2\n"},
    };
    for (const EditCase& c : cases) {
        IniDocument document(c.before);
        document.Set(c.section, c.key, c.value);
        EXPECT_EQ(document.Text(), c.after) << c.name;
        EXPECT_EQ(document.Find(c.section, c.key), c.value) << c.name;
    }
}

TEST(IniDocument, KeysOutsideTheirSectionAreNotFound) {
    IniDocument document("k=0\n[A]\nx=1\n[B]\nk=2\n");
    EXPECT_EQ(document.Find("A", "k"), std::nullopt);
    EXPECT_EQ(document.Find("B", "k"), "2");
    EXPECT_EQ(document.Find("C", "k"), std::nullopt);
}

} // namespace
