// Pattern files as editors save them, and what no editor saves, as a table; in both builds.
#include "cli/PatternFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using Patterns = std::vector<std::string>;

struct PatternFileCase {
    const char* name;
    std::string bytes;
    Patterns patterns;   // when read
    std::string failure; // when refused
};

const std::string Long(PatternLineMaxBytes, 'x');

const std::string Utf16Refused =
    "it holds a NUL character (UTF-16 is read only with a byte-order mark)";

// clang-format off
const PatternFileCase PatternFileCases[] = {
    {"lines, comments, blank lines, CRLF", "a\n# b\n\nc\r\nd", {"a", "c", "d"}, ""},
    // The mark would otherwise join the first pattern, which then keeps nothing.
    {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" "a\nb\n", {"a", "b"}, ""},
    {"UTF-16 little-endian, CRLF, a surrogate pair",
     "\xFF\xFE" "a\0\r\0\n\0\xE9\0/\0=\xD8\0\xDE\n\0"s, {"a", "\xC3\xA9/\xF0\x9F\x98\x80"}, ""},
    // The last and first code point of each UTF-8 length.
    {"UTF-16 at the bounds of UTF-8's lengths",
     "\xFF\xFE" "\x7F\0" "\x80\0" "\xFF\x07" "\0\x08" "\xFF\xFF" "\0\xD8\0\xDC" "\xFF\xDB\xFF\xDF"s,
     {"\x7F" "\xC2\x80" "\xDF\xBF" "\xE0\xA0\x80" "\xEF\xBF\xBF" "\xF0\x90\x80\x80" "\xF4\x8F\xBF\xBF"}, ""},
    {"UTF-16 big-endian, a lone surrogate", "\xFE\xFF\0a\xDC\0"s, {"a\xED\xB0\x80"}, ""},
    {"UTF-16 with an odd byte", "\xFF\xFE" "a\0b"s, {},
     "it is cut short in the middle of a UTF-16 character"},
    {"UTF-16 without a byte-order mark", "a\0\n\0"s, {}, Utf16Refused},
    {"a NUL in UTF-16", "\xFF\xFE\0\0"s, {}, Utf16Refused},
    {"the longest line", "a\n" + Long + "\r\n", {"a", Long}, ""},
    {"a longer line", "a\n#" + Long + "\n", {}, "line 2 is longer than 128 KiB"},
    {"a file at the cap", std::string(PatternFileMaxBytes, '\n'), {}, ""},
    {"a larger file", std::string(PatternFileMaxBytes + 1, '\n'), {}, "it is larger than 16 MiB"},
};
// clang-format on

TEST(CliPatternFile, IsReadAsSavedOrRefusedWithTheReason) {
    for (const PatternFileCase& test : PatternFileCases) {
        std::string failure;
        std::optional<Patterns> patterns = PatternsInFile(test.bytes, failure);
        EXPECT_EQ(patterns.value_or(Patterns{"refused"}),
                  test.failure.empty() ? test.patterns : Patterns{"refused"})
            << test.name;
        EXPECT_EQ(failure, test.failure) << test.name;
    }
}

// The file itself, through the platform's reading; the reason names what went wrong.
TEST(CliPatternFile, IsReadFromDiskOrSaysWhyNot) {
    TempFolder temp;
    WriteFile(temp.Path() / "keep.txt", "\xEF\xBB\xBF"
                                        "a\r\n");
    std::string failure;
    EXPECT_EQ(ReadPatternFile(temp.Text("keep.txt"), failure), Patterns{"a"});
    EXPECT_EQ(ReadPatternFile(temp.Text("missing.txt"), failure), std::nullopt);
    EXPECT_FALSE(failure.empty());
}

} // namespace
