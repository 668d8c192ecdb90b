#include "settings/StringCommon.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

using StringCommon::EscapeString;
using StringCommon::UnescapeString;

namespace {

// Everything outside the five table characters passes through: NUL, form feed, quotes,
// non-ASCII.
TEST(EscapeString, EscapesExactlyTheFiveTableCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Work\\new", "C:\\\\Work\\\\new"},
        {"a\tb\vc\r\n", "a\\tb\\vc\\r\\n"},
        {std::string("x\0\f\"'\xC3\xA9", 7), std::string("x\0\f\"'\xC3\xA9", 7)},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(EscapeString(input), expected) << input;
    }
}

TEST(UnescapeString, DecodesPairByPair) {
    const std::pair<std::string, std::string> cases[] = {
        {"\\\\\\n", "\\\n"},  // backslash, backslash, backslash, n
        {"\\\\\\\\", "\\\\"}, // four backslashes give two
        {"\\r\\n\\t\\v", "\r\n\t\v"},
        {"\\q\\N\\0", "\\q\\N\\0"},          // unknown pairs stay as they are
        {"end\\", "end\\"},                  // a final lone backslash stays
        {"C:\\temp\\Data", "C:\temp\\Data"}, // hand-written single backslashes
        {"\\\\n", "\\n"},                    // never a line feed
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(UnescapeString(input), expected) << input;
    }
}

TEST(UnescapeString, InvertsEscapeStringOnRandomText) {
    std::mt19937 random(20261206);
    const std::string alphabet = std::string("\\\t\v\n\r\0\fabnrtvNQ \"'\xC3\xA9", 21);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int i = static_cast<int>(random() % 24); i > 0; --i) {
            text += alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(UnescapeString(EscapeString(text)), text);
        ASSERT_EQ(EscapeString(text).find_first_of("\t\v\n\r"), std::string::npos);
    }
}

} // namespace
