// The one quoting of names for a terminal, as a table.
#include "cli/ConsoleText.h"

#include <gtest/gtest.h>

namespace {

struct QuotingCase {
    const char* name;
    std::string text;
    std::string shown;
};

const QuotingCase QuotingCases[] = {
    {"plain path", "Q/Q1/X", "Q/Q1/X"},
    {"harmless punctuation", "a-b_c.d,e:f@g%h+i]j{k}l~m#n", "a-b_c.d,e:f@g%h+i]j{k}l~m#n"},
    {"UTF-8 letters", "caf\xc3\xa9/\xe6\x97\xa5", "caf\xc3\xa9/\xe6\x97\xa5"},
    {"space", "New folder", "'New folder'"},
    {"dollar alone", "a$b", "'a$b'"},
    {"tilde first", "~x", "'~x'"},
    {"lone brace", "{", "'{'"},
    {"empty", "", "''"},
    {"single quote", "it's", "\"it's\""},
    {"single quote with a dollar", "it's $x", "'it'\\''s $x'"},
    {"newline", "a\nb", "'a'$'\\n''b'"},
    {"tab", "a\tb", "'a'$'\\t''b'"},
    {"ESC", "a\x1b[31mb", "'a'$'\\033''[31mb'"},
    {"DEL", "a\x7f", "'a'$'\\177'"},
    {"C1 controls, the last among them", "a\xc2\x85\xc2\x9f", "'a'$'\\302\\205\\302\\237'"},
    {"line separator", "a\xe2\x80\xa8", "'a'$'\\342\\200\\250'"},
    // Format characters reorder or hide text: U+202E shows this name as "invoiceexe.pdf".
    {"right-to-left override", "invoice\342\200\256fdp.exe",
     "'invoice'$'\\342\\200\\256''fdp.exe'"},
    {"soft hyphen, zero width space, joiner, byte-order mark",
     "\xc2\xad\xe2\x80\x8b\xe2\x81\xa0\xef\xbb\xbf",
     "''$'\\302\\255\\342\\200\\213\\342\\201\\240\\357\\273\\277'"},
    {"language tag, last of the tags", "a\xf3\xa0\x80\x81\xf3\xa0\x81\xbf",
     "'a'$'\\363\\240\\200\\201\\363\\240\\201\\277'"},
    {"Egyptian format control of Unicode 15", "\xf0\x93\x90\xbf", "''$'\\360\\223\\220\\277'"},
    {"printable characters beside them", "\xc2\xa0\xe2\x80\x8a\xe2\x80\xb0\xf3\xa0\x82\x80",
     "\xc2\xa0\xe2\x80\x8a\xe2\x80\xb0\xf3\xa0\x82\x80"},
    {"invalid byte", "a\377b", "'a'$'\\377''b'"},
    {"cut sequence", "a\xc3", "'a'$'\\303'"},
    {"overlong NUL", "\xc0\x80", "''$'\\300\\200'"},
    {"surrogate", "\xed\xa0\x80", "''$'\\355\\240\\200'"},
    {"quote then newline", "q'\nq", "'q'\\'''$'\\n''q'"},
    {"newline then quote", "\n'", "''$'\\n'\\'''"},
};

TEST(CliShellEscaped, QuotesWhatATerminalCannotShowAsItIs) {
    for (const QuotingCase& test : QuotingCases) {
        EXPECT_EQ(ShellEscaped(test.text), test.shown) << test.name;
    }
}

} // namespace
