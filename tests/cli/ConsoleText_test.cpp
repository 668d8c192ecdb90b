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
