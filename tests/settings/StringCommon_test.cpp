#include "settings/StringCommon.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

using StringCommon::EscapeString;
using StringCommon::UnescapeString;

namespace {

TEST(UnescapeString, DecodesPairByPair) {
    const std::pair<std::string, std::string> cases[] = {
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

// With the decoding pinned above, this pins the escaping too: escaping anything beyond the
// five table characters would not come back.
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
