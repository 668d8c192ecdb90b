#include "settings/StringCommon.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using StringCommon::CutAtNull;
using StringCommon::EscapeString;
using StringCommon::UnescapeString;

namespace {

struct Case {
    std::string input;
    std::string expected;
};

} // namespace

TEST(EscapeString, EscapesExactlyTheFiveTableCharacters) {
    const std::vector<Case> cases = {
        {"", ""},
        {"C:\\Work\\new", "C:\\\\Work\\\\new"},
        {"\r\n", "\\r\\n"},
        {"a\tb\vc", "a\\tb\\vc"},
        // Everything outside the table passes through: NUL, form feed, quotes, non-ASCII.
        {std::string("x\0y", 3), std::string("x\0y", 3)},
        {"\f\"'", "\f\"'"},
        {"D\xC3\xA9j\xC3\xA0 vu", "D\xC3\xA9j\xC3\xA0 vu"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeString(c.input), c.expected) << c.input;
    }
}

TEST(UnescapeString, DecodesPairByPair) {
    const std::vector<Case> cases = {
        {"", ""},
        {"\\\\\\n", "\\\n"},  // backslash, backslash, backslash, n
        {"\\\\\\\\", "\\\\"}, // four backslashes give two
        {"\\r\\n\\t\\v", "\r\n\t\v"},
        {"\\q\\N\\0", "\\q\\N\\0"},          // unknown pairs stay as they are
        {"end\\", "end\\"},                  // a final lone backslash stays
        {"C:\\temp\\Data", "C:\temp\\Data"}, // hand-written single backslashes
        {"\\\\n", "\\n"},                    // never a line feed
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnescapeString(c.input), c.expected) << c.input;
    }
}

TEST(UnescapeString, InvertsEscapeStringOnRandomText) {
    std::mt19937 random(20261206);
    const std::string alphabet = std::string("\\\t\v\n\r\0\fabnrtvNQ \"'\xC3\xA9", 21);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) {
            text += alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(UnescapeString(EscapeString(text)), text);
        ASSERT_EQ(EscapeString(text).find_first_of("\t\v\n\r"), std::string::npos);
    }
}
