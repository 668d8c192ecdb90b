// vacantor-cli find, run as its own process: output format, exit status, standard error.

#include "cli/CliRun.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

using namespace std::string_literals;

namespace {

// Rows whose order no file system can change: candidates come after the rows of their
// non-empty siblings.
const std::vector<std::string> OrderedTree{"Q/Q2/", "Q/Q1/f", "Q/Q1/X/"};

struct CliCase {
    const char* name;
    std::string arguments; // ROOT stands for the tree's root
    int status;
    std::string out;
    bool errorLine; // exactly one line on standard error (a usage error prints the usage)
};

// CTest shows the case's name, not its bytes.
void PrintTo(const CliCase& c, std::ostream* os) {
    *os << c.name;
}

const CliCase CliCases[] = {
    {"Rows", "find ROOT", 0, "0\tQ/Q1/X\n1\tQ/Q2\n", false},
    {"TrailingSeparatorIgnoredOnce", "find ROOT/", 0, "0\tQ/Q1/X\n1\tQ/Q2\n", false},
    {"Print0", "find --print0 ROOT", 0, "0\tQ/Q1/X\0001\tQ/Q2\0"s, false},
    {"OptionsAfterRoot", "find ROOT --print0", 0, "0\tQ/Q1/X\0001\tQ/Q2\0"s, false},
    {"MissingRoot", "find ROOT/missing", 1, "", true},
    {"RootIsAFile", "find ROOT/Q/Q1/f", 1, "", true},
    {"NoCommand", "", 2, "", false},
    {"UnknownCommand", "delete ROOT", 2, "", false},
    {"NoRoot", "find", 2, "", false},
    {"TwoRoots", "find ROOT ROOT", 2, "", false},
    {"UnknownOption", "find --bogus ROOT", 2, "", false},
    {"OneThread", "find --threads 1 ROOT", 0, "0\tQ/Q1/X\n1\tQ/Q2\n", false},
    {"ManyThreads", "find ROOT --threads 64", 0, "0\tQ/Q1/X\n1\tQ/Q2\n", false},
    {"NoThreads", "find --threads 0 ROOT", 2, "", false},
    {"ThreadsNotANumber", "find --threads 4x ROOT", 2, "", false},
    {"ThreadsWithoutNumber", "find ROOT --threads", 2, "", false},
    {"ExcludedChild", "find --exclude X ROOT", 0, "0\tQ/Q2\n", false},
    {"ExcludeRepeated", "find --exclude X --exclude Q2 ROOT", 0, "", false},
    {"ExcludeByPath", "find --exclude Q/Q1/X ROOT", 0, "0\tQ/Q2\n", false},
    {"ExcludeWithoutPattern", "find ROOT --exclude", 2, "", false},
    {"EmptyPattern", "find --exclude '' ROOT", 2, "", false},
    {"ExcludeFromMissingFile", "find --exclude-from ROOT/missing ROOT", 1, "", true},
    {"EmptyJunkName", "find --junk '' ROOT", 2, "", false},
};

class CliCommands : public testing::TestWithParam<CliCase> {};

TEST_P(CliCommands, PrintsRowsAndExitStatus) {
    const CliCase& test = GetParam();
    TempFolder temp;
    MakeTree(temp.Path(), OrderedTree);
    std::string arguments = test.arguments;
    for (std::size_t at; (at = arguments.find("ROOT")) != std::string::npos;) {
        std::size_t end = arguments.find(' ', at);
        std::string word = arguments.substr(at, end == std::string::npos ? end : end - at);
        arguments.replace(at, word.size(), Quoted(temp.Text() + word.substr(4)));
    }
    CliRun run = RunCli(arguments);
    EXPECT_EQ(run.status, test.status);
    EXPECT_EQ(run.out, test.out);
    if (test.status == 2) {
        EXPECT_EQ(run.err.rfind("usage: vacantor-cli ", 0), 0u) << run.err;
    }
    if (test.errorLine) {
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    if (test.status == 0) {
        EXPECT_EQ(run.err, "");
    } else {
        EXPECT_NE(run.err, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, CliCommands, testing::ValuesIn(CliCases),
                         [](const testing::TestParamInfo<CliCase>& testInfo) {
                             return std::string(testInfo.param.name);
                         });

TEST(CliFind, ReadOnlyOption) {
    TempFolder temp;
    MakeTree(temp.Path(), {"x", "F/E/", "F/R/"});
    MakeReadOnly(temp.Path() / "F" / "R");
    CliRun without = RunCli("find " + Quoted(temp.Text()));
    CliRun with = RunCli("find --read-only " + Quoted(temp.Text()));
    ClearReadOnly(temp.Path() / "F" / "R");
    EXPECT_EQ(without.out, "0\tF/E\n");
    EXPECT_EQ(with.out, "0\tF\n");
}

std::set<std::string> Lines(const std::string& text, char terminator = '\n') {
    std::set<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find(terminator, start)) != std::string::npos;
         start = end + 1) {
        lines.insert(text.substr(start, end - start));
    }
    return lines;
}

TEST(CliFind, MarksFoldersOfJunkInAThirdColumn) {
    TempFolder temp;
    MakeTree(temp.Path(), {"f", "J/Thumbs.db", "J/sub/._x", "I/Icon\r", "K/", "N/NOTES.TXT"});
    // A junk-named pipe and link are content.
    fs::create_directory(temp.Path() / "P");
    ASSERT_EQ(::mkfifo((temp.Path() / "P" / "Thumbs.db").c_str(), 0600), 0);
    fs::create_directory(temp.Path() / "S");
    fs::create_symlink("f", temp.Path() / "S" / "desktop.ini");

    CliRun common = RunCli("find --junk-common " + Quoted(temp.Text()));
    CliRun named = RunCli("find --print0 --junk notes.txt --junk-common " + Quoted(temp.Text()));

    EXPECT_EQ(common.status, 0);
    // The numbers follow the file system's order: each row is checked without its number.
    std::set<std::string> rows;
    for (const std::string& line : Lines(common.out)) {
        rows.insert(line.substr(line.find('\t') + 1));
    }
    EXPECT_EQ(rows, (std::set<std::string>{"J\tjunk", "I\tjunk", "K"}));
    EXPECT_EQ(Lines(named.out, '\0').size(), 4u);
    EXPECT_NE(named.out.find("\tN\tjunk\0"s), std::string::npos) << named.out;
}

TEST(CliFind, ReadsPatternsFromFiles) {
    TempFolder temp;
    MakeTree(temp.Path(), OrderedTree);
    WriteFile(temp.Path() / "patterns", "# not a pattern\n\nX\r\n");
    WriteFile(temp.Path() / "more", "Q2");

    CliRun run = RunCli("find --exclude-from " + Quoted(temp.Text("patterns")) +
                        " --exclude-from " + Quoted(temp.Text("more")) + " " + Quoted(temp.Text()));

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
}

TEST(CliFind, HelpDocumentsTheCommand) {
    CliRun run = RunCli("--help");
    EXPECT_EQ(run.status, 0);
    for (const char* word : {"find", "--read-only", "--print0", "ROOT", "Exit status"}) {
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
    }
}

// A folder name with an escape sequence and one with a newline: one row, that a program
// reads byte for byte from a pipe and a person sees quoted, on one line, at a terminal.
const std::vector<std::string> AwkwardTree{"f", "E\x1b[31m/g", "E\x1b[31m/a\nb/"};

TEST(CliFind, RowsGoOutExactlyToAPipe) {
    TempFolder temp;
    MakeTree(temp.Path(), AwkwardTree);
    CliRun run = RunCli("find " + Quoted(temp.Text()));
    EXPECT_EQ(run.out, "0\tE\x1b[31m/a\nb\n");
}

// Regression: names reached the terminal raw, a newline split a row in two.
TEST(CliFind, RowsAndMessagesAreQuotedOnATerminal) {
    TempFolder temp;
    MakeTree(temp.Path(), AwkwardTree);
    CliRun run = RunOnTerminal({VACANTOR_CLI, "find", "--quiet", temp.Text()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0\t'E'$'\\033''[31m/a'$'\\n''b'\n");

    run = RunOnTerminal({VACANTOR_CLI, "find", temp.Text() + "/missing\x1b]0;title\a"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "vacantor-cli: not a folder: '" + temp.Text() +
                           "/missing'$'\\033'']0;title'$'\\a'\n");
}

// What a terminal shows of `written`: each carriage return goes back to the start of the
// line, and what follows overwrites it; trailing blanks do not show.
std::string Screen(const std::string& written) {
    std::string screen;
    std::string line;
    std::size_t column = 0;
    auto endLine = [&] {
        screen += line.substr(0, line.find_last_not_of(' ') + 1);
        line.clear();
        column = 0;
    };
    for (char c : written) {
        if (c == '\n') {
            endLine();
            screen += '\n';
        } else if (c == '\r') {
            column = 0;
        } else {
            line.resize(std::max(line.size(), column + 1), ' ');
            line[column++] = c;
        }
    }
    endLine();
    return screen;
}

// Rows must not run into the progress line, nor the line stay on the screen.
TEST(CliProgress, ShownOnATerminalAndNeverMixedWithRows) {
    TempFolder temp;
    MakeTree(temp.Path(), OrderedTree);
    CliRun run = RunOnTerminal({VACANTOR_CLI, "find", temp.Text()});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("folders read"), std::string::npos) << run.out;
    EXPECT_EQ(Screen(run.out), "0\tQ/Q1/X\n1\tQ/Q2\n");

    run = RunOnTerminal({VACANTOR_CLI, "find", "--quiet", "--progress", temp.Text()});
    EXPECT_EQ(run.out, "0\tQ/Q1/X\n1\tQ/Q2\n");
}

// A pipe or a file gets progress only when asked, as plain lines ending in the last state.
TEST(CliProgress, OnAPipeOnlyWithTheOption) {
    const struct {
        std::string arguments;
        std::string last; // the last line on standard error, a regular expression
    } cases[] = {
        {"find", ""},
        {"find --progress --quiet", ""},
        {"find --progress", "5 folders read, 2 found, \\d:\\d\\d\n"},
        {"remove --progress", "2 of 2 removed, \\d:\\d\\d\n"},
    };
    for (const auto& test : cases) {
        TempFolder temp;
        MakeTree(temp.Path(), OrderedTree);
        CliRun run = RunCli(test.arguments + " " + Quoted(temp.Text()));
        EXPECT_EQ(run.status, 0) << test.arguments;
        EXPECT_TRUE(std::regex_match(run.err, std::regex("([0-9a-z ,:]+\n)*" + test.last)))
            << test.arguments << ": " << run.err;
        EXPECT_EQ(run.err.empty(), test.last.empty()) << test.arguments;
    }
}

// Many rows cross the output's block size; none may be lost, doubled or misnumbered.
TEST(CliFind, ManyRowsAreNumberedInOrder) {
    TempFolder temp;
    std::vector<std::string> entries{"f"};
    std::set<std::string> expected;
    for (int index = 0; index < 3000; ++index) {
        std::string name = "empty-folder-with-a-longer-name-" + std::to_string(index);
        entries.push_back(name + "/");
        expected.insert(name);
    }
    MakeTree(temp.Path(), entries);
    CliRun run = RunCli("find " + Quoted(temp.Text()));
    ASSERT_EQ(run.status, 0);
    std::set<std::string> listed;
    std::size_t number = 0;
    for (std::size_t at = 0; at < run.out.size(); ++number) {
        std::size_t end = run.out.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        std::string line = run.out.substr(at, end - at);
        std::string prefix = std::to_string(number) + "\t";
        ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
        listed.insert(line.substr(prefix.size()));
        at = end + 1;
    }
    EXPECT_EQ(listed, expected);
}

} // namespace
