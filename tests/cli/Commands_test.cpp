// vacantor-cli find and remove, run as their own process on real trees: output, exit
// status, standard error, and what is left of the tree.

#include "cli/CliRun.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <regex>
#include <set>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/syscall.h>

namespace fs = std::filesystem;

using namespace std::string_literals;

namespace {

// Rows whose order no file system can change: candidates come after the rows of their
// non-empty siblings.
const std::vector<std::string> OrderedTree{"Q/Q2/", "Q/Q1/f", "Q/Q1/X/"};
const std::string Rows = "0\tQ/Q1/X\n1\tQ/Q2\n";

struct CliCase {
    const char* name;
    std::string arguments; // ROOT stands for the tree's root
    int status;
    std::string out;
    std::string err;              // a regular expression; of a usage error only its first line,
                                  // which a usage line follows
    bool removes = false;         // Q/Q1/X and Q/Q2 are gone afterwards
    const char* output = nullptr; // where standard output goes instead (a full device, say)
};

const char* const OneLine = "vacantor-cli: .*\n";
const char* const NoLog = "vacantor-cli: cannot create the log .*\n";

// clang-format off
const CliCase CliCases[] = {
    {"Rows", "find ROOT", 0, Rows, ""},
    // Roots taken for options: they are run in the tree, which holds no '-' nor '--print0'.
    {"DashIsARoot", "find -", 1, "", "vacantor-cli: not a folder: -\n"},
    {"DoubleDashEndsOptions", "find --print0 -- --print0", 1, "",
     "vacantor-cli: not a folder: --print0\n"},
    {"HelpAfterDoubleDashIsARoot", "find -- --help", 1, "", "vacantor-cli: not a folder: --help\n"},
    {"SecondDoubleDashIsARoot", "find -- --", 1, "", "vacantor-cli: not a folder: --\n"},
    {"TrailingSeparatorIgnoredOnce", "find ROOT/", 0, Rows, ""},
    {"OptionsAfterRoot", "find ROOT --print0", 0, "0\tQ/Q1/X\0001\tQ/Q2\0"s, ""},
    {"ReadOnly", "find --read-only ROOT", 0, Rows + "2\tR\n", ""},
    {"MissingRoot", "find ROOT/missing", 1, "", OneLine},
    {"RootIsAFile", "find ROOT/Q/Q1/f", 1, "", OneLine},
    // A usage error names what was wrong in its first line.
    {"NoCommand", "", 2, "", "vacantor-cli: no command given\n"},
    {"UnknownCommand", "delete ROOT", 2, "", "vacantor-cli: unknown command delete\n"},
    {"HelpOnNoCommand", "help delete", 2, "", "vacantor-cli: help: no command delete\n"},
    {"NoRoot", "find", 2, "", "vacantor-cli: no ROOT folder given\n"},
    {"TwoRoots", "find ROOT a", 2, "", "vacantor-cli: one ROOT only, but also a\n"},
    {"UnknownOption", "find --bogus ROOT", 2, "", "vacantor-cli: unknown option --bogus\n"},
    {"NoThreads", "find --threads 0 ROOT", 2, "", "vacantor-cli: --threads: 0 is not between 1 and 1024\n"},
    {"TooManyThreads", "find --threads 2000 ROOT", 2, "",
     "vacantor-cli: --threads: 2000 is not between 1 and 1024\n"},
    {"ThreadsAtTheLimit", "find --threads 1024 ROOT", 0, Rows, ""},
    {"ThreadsNotANumber", "find --threads 4x ROOT", 2, "",
     "vacantor-cli: --threads: 4x is not a whole number\n"},
    {"ThreadsWithoutNumber", "find ROOT --threads", 2, "", "vacantor-cli: --threads needs a value\n"},
    {"ExcludedChild", "find --exclude X ROOT", 0, "0\tQ/Q2\n", ""},
    {"ExcludeRepeated", "find --exclude X --exclude Q2 ROOT", 0, "", ""},
    {"MaxDepth", "find --max-depth 2 ROOT", 0, "0\tQ/Q2\n", ""},
    {"LeastDepth", "find --max-depth 1 ROOT", 0, "", ""},
    {"NoDepth", "find --max-depth 0 ROOT", 2, "",
     "vacantor-cli: --max-depth: 0 is not a whole number of levels, 1 or more\n"},
    {"AgeWithoutUnit", "find --older-than 30 ROOT", 2, "",
     "vacantor-cli: --older-than: 30 is not a time such as 30d, 12h, 90m, 45s or 2w\n"},
    {"ExcludeAsTheShellCompletes", "find --exclude ./Q/Q1/X/ ROOT", 0, "0\tQ/Q2\n", ""},
    {"VerboseNamesTheExcluded", "find --verbose --exclude X ROOT", 0, "0\tQ/Q2\n",
     "vacantor-cli: excluded Q/Q1/X\n"},
    // No row, as specified, but a word that this is not a clean tree.
    {"EmptyAllThrough", "find ROOT/Q/Q2", 0, "", "vacantor-cli: no file lies below .*Q/Q2: it "
     "is empty all through, and ROOT itself is never listed\n"},
    {"ExcludeFromFiles", "find --exclude-from ROOT/patterns --exclude-from ROOT/more ROOT", 0, "",
     ""},
    {"ExcludeWithoutPattern", "find ROOT --exclude", 2, "", "vacantor-cli: --exclude needs a value\n"},
    {"EmptyPattern", "find --exclude '' ROOT", 2, "", "vacantor-cli: --exclude: the pattern is empty\n"},
    {"ExcludeFromMissingFile", "find --exclude-from ROOT/missing ROOT", 1, "",
     "vacantor-cli: cannot read the patterns in .*/missing: No such file or directory\n"},
    // What is no pattern file ends the run before the scan, with the reason, and soon.
    {"ExcludeFromZeros", "find --exclude-from /dev/zero ROOT", 1, "",
     "vacantor-cli: cannot read the patterns in /dev/zero: it is larger than 16 MiB\n"},
    {"EmptyJunkName", "find --junk '' ROOT", 2, "", "vacantor-cli: --junk: the name is empty\n"},
    {"Junk", "find --junk-common ROOT", 0, "0\tJ\tjunk\n1\tQ/Q1/X\n2\tQ/Q2\n", ""},
    {"JunkNamed", "find --junk thumbs.DB ROOT", 0, "0\tJ\tjunk\n1\tQ/Q1/X\n2\tQ/Q2\n", ""},
    // A pipe or a file gets progress only when asked, as plain lines ending in the last state.
    {"Progress", "find --progress ROOT", 0, Rows,
     "([0-9a-z ,:]+\n)*7 folders read, 2 found, \\d:\\d\\d\n"},
    {"QuietWinsOverProgress", "find --progress --quiet ROOT", 0, Rows, ""},
    // Lost output is a failure: a script must not take a run whose rows it never got for
    // success.
    {"FindOutputLost", "find ROOT", 1, "", "vacantor-cli: cannot write the output\n", false, "/dev/full"},
    // Standard output holds the paths alone; the count goes with the messages.
    {"Remove", "remove ROOT", 0, "Q/Q1/X\nQ/Q2\n", "vacantor-cli: 2 folders are removed.\n", true},
    {"RemoveDryRun", "remove --dry-run ROOT/", 0, "Q/Q1/X\nQ/Q2\n",
     "vacantor-cli: 2 folders would be removed.\n"},
    {"RemovePrint0", "remove --print0 ROOT", 0, "Q/Q1/X\0Q/Q2\0"s,
     "vacantor-cli: 2 folders are removed.\n", true},
    {"RemoveReadOnly", "remove --read-only ROOT", 0, "Q/Q1/X\nQ/Q2\nR\n",
     "vacantor-cli: 3 folders are removed.\n", true},
    {"RemoveProgress", "remove --progress ROOT", 0, "Q/Q1/X\nQ/Q2\n",
     "([0-9a-z ,:]+\n)*2 of 2 removed, \\d:\\d\\d\nvacantor-cli: 2 folders are removed.\n", true},
    {"RemoveJunk", "remove --junk-common ROOT", 0, "J\nQ/Q1/X\nQ/Q2\n",
     "vacantor-cli: 3 folders are removed.\n", true},
    {"RemoveUnknownOption", "remove --force ROOT", 2, "", "vacantor-cli: unknown option --force\n"},
    {"RemoveLogWithoutFile", "remove ROOT --log", 2, "", "vacantor-cli: --log needs a value\n"},
    {"RemoveExcludeFromFolder", "remove --exclude-from ROOT/Q ROOT", 1, "",
     "vacantor-cli: cannot read the patterns in .*/Q: Is a directory\n"},
    {"RemoveMissingRoot", "remove ROOT/missing", 1, "", OneLine},
    // Whoever may write where the log goes must not make remove overwrite another file,
    // nor make it wait for ever on a FIFO (or wake its reader); and nothing is removed
    // without the log.
    {"LogThroughALink", "remove --log ROOT/Q/Q1/link ROOT", 1, "", NoLog},
    {"LogOnAFolder", "remove --log ROOT/Q ROOT", 1, "", NoLog},
    {"LogOnAFifo", "remove --log ROOT/Q/Q1/fifo ROOT", 1, "",
     "vacantor-cli: cannot create the log .*/fifo: it is not a regular file\n"},
};
// clang-format on

class CliCommands : public testing::TestWithParam<CliCase> {};

TEST_P(CliCommands, PrintRowsAndExitStatus) {
    const CliCase& test = GetParam();
    TempFolder temp;
    MakeTree(temp.Path(), OrderedTree);
    // R holds only a read-only folder, J only junk.
    MakeTree(temp.Path(), {"R/r/", "J/Thumbs.db"});
    MakeReadOnly(temp.Path() / "R" / "r");
    // Q/Q1 holds a file already: a FIFO and a link to the file change none of its rows. The
    // FIFO's reader, waiting without blocking, must see no writer come and go.
    ASSERT_EQ(::mkfifo((temp.Path() / "Q" / "Q1" / "fifo").c_str(), 0600), 0);
    const int reader = ::open(temp.Text("Q/Q1/fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    fs::create_symlink("f", temp.Path() / "Q" / "Q1" / "link");
    WriteFile(temp.Path() / "patterns", "# not a pattern\n\nX\r\n");
    WriteFile(temp.Path() / "more", "Q2");
    std::string arguments = test.arguments;
    for (std::size_t at; (at = arguments.find("ROOT")) != std::string::npos;) {
        std::size_t end = arguments.find(' ', at);
        std::string word = arguments.substr(at, end == std::string::npos ? end : end - at);
        arguments.replace(at, word.size(), Quoted(temp.Text() + word.substr(4)));
    }

    CliRun run = RunCli(arguments, "cd " + Quoted(temp.Text()) + " && timeout 60",
                        test.output ? test.output : "");

    EXPECT_EQ(run.status, test.status);
    EXPECT_EQ(run.out, test.out);
    std::string err = run.err.substr(0, test.status == 2 ? run.err.find('\n') + 1 : run.err.size());
    EXPECT_TRUE(std::regex_match(err, std::regex(test.err))) << run.err;
    if (test.status == 2) {
        EXPECT_EQ(run.err.substr(err.size(), 20), "usage: vacantor-cli ") << run.err;
    }
    EXPECT_EQ(fs::exists(temp.Path() / "Q" / "Q1" / "X"), !test.removes);
    EXPECT_EQ(fs::exists(temp.Path() / "Q" / "Q2"), !test.removes);
    EXPECT_EQ(ReadFile(temp.Path() / "Q" / "Q1" / "f"), "x");
    pollfd waiting{reader, POLLIN, 0};
    EXPECT_EQ(::poll(&waiting, 1, 0), 0) << waiting.revents; // POLLHUP after a writer
    ::close(reader);
}

INSTANTIATE_TEST_SUITE_P(Commands, CliCommands, testing::ValuesIn(CliCases),
                         [](const testing::TestParamInfo<CliCase>& testInfo) {
                             return std::string(testInfo.param.name);
                         });

// --help anywhere before "--", and `help COMMAND`, print help on standard output; a
// command's help is that command's alone.
TEST(CliHelp, AskedAnywhereItGoesToStandardOutput) {
    struct {
        std::string arguments;
        bool find, remove;
    } const cases[] = {
        {"--help", true, true},       {"help", true, true},
        {"find --help", true, false}, {"find /nonexistent -h", true, false},
        {"help find", true, false},   {"remove --print0 --help", false, true},
        {"help remove", false, true},
    };
    for (const auto& c : cases) {
        CliRun run = RunCli(c.arguments);
        EXPECT_EQ(run.status, 0) << c.arguments;
        EXPECT_EQ(run.err, "") << c.arguments;
        EXPECT_EQ(run.out.find("vacantor-cli find [") != std::string::npos, c.find) << c.arguments;
        EXPECT_EQ(run.out.find("vacantor-cli remove [") != std::string::npos, c.remove)
            << c.arguments;
    }
}

// The paths of find's rows, each checked to carry its number, counted from 0 in order.
std::multiset<std::string> RowPaths(const std::string& out) {
    std::multiset<std::string> paths;
    std::istringstream lines(out);
    std::size_t number = 0;
    for (std::string line; std::getline(lines, line); ++number) {
        EXPECT_EQ(line.rfind(std::to_string(number) + "\t", 0), 0u) << line;
        paths.insert(line.substr(line.find('\t') + 1));
    }
    return paths;
}

// What stays on a terminal's screen of `written`: of each line, what follows its last
// carriage return (the progress line is blanked out before each row and at the end).
std::string Screen(const std::string& written) {
    std::string screen;
    std::size_t start = 0;
    for (std::size_t end; (end = written.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = written.substr(start, end - start);
        screen += line.substr(line.rfind('\r') + 1) + '\n';
    }
    const std::string last = written.substr(start);
    return screen + last.substr(last.rfind('\r') + 1);
}

// A row with an escape sequence and a newline goes to a pipe as its bytes, and to a
// terminal quoted on one line, which the progress line neither runs into nor stays on.
TEST(CliFind, RowsGoOutExactlyToAPipeAndQuotedToATerminal) {
    TempFolder temp;
    MakeTree(temp.Path(), {"f", "E\x1b[31m/g", "E\x1b[31m/a\nb/"});
    EXPECT_EQ(RunCli("find " + Quoted(temp.Text())).out, "0\tE\x1b[31m/a\nb\n");

    const std::string row = "0\t'E'$'\\033''[31m/a'$'\\n''b'\n";
    const std::string find = Quoted(VACANTOR_CLI) + " find ";
    CliRun run = RunOnTerminal(find + Quoted(temp.Text()));
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(" read, "), std::string::npos) << run.out;
    EXPECT_EQ(Screen(run.out), row);
    EXPECT_EQ(RunOnTerminal(find + "--quiet --progress " + Quoted(temp.Text())).out, row);

    run = RunOnTerminal(find + Quoted(temp.Text() + "/missing\x1b]0;title\a"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "vacantor-cli: not a folder: '" + temp.Text() +
                           "/missing'$'\\033'']0;title'$'\\a'\n");
}

// For `nobody`, a folder it may remove and one it may list but not remove, as it holds a
// folder of another user: the run fails, and on a terminal both are quoted alike.
TEST(CliRemove, AFolderNotRemovedIsReportedAndFailsTheRun) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a folder of another user";
    }
    TempFolder temp;
    MakeTree(temp.Path(), {"f", "mine\x1b[1m/", "their\ns/inner/"});
    for (const char* folder : {"", "mine\x1b[1m", "their\ns/inner"}) {
        ASSERT_EQ(::chown((temp.Path() / folder).c_str(), 65534, 65534), 0);
    }

    CliRun run = RunOnTerminal("setpriv --reuid=65534 --regid=65534 --clear-groups " +
                               Quoted(VACANTOR_CLI) + " remove --quiet " + Quoted(temp.Text()));

    EXPECT_EQ(run.status, 1);
    std::string removed = "'mine'$'\\033''[1m'\n";
    std::string notRemoved = "vacantor-cli: not removed: 'their'$'\\n''s': access denied\n";
    EXPECT_TRUE(run.out == removed + notRemoved + "vacantor-cli: 1 folder is removed.\n" ||
                run.out == notRemoved + removed + "vacantor-cli: 1 folder is removed.\n")
        << run.out;
    EXPECT_TRUE(fs::exists(temp.Path() / "their\ns" / "inner"));
}

// A write that fails stops the removal after its row. `remove ... | head -1`: the reader
// goes; the log still holds the row and says why the run ended early, and `find` ends with
// the same failure, not killed by SIGPIPE. A log that can no longer grow (no file may pass
// 600 bytes) stops it too.
TEST(CliRemove, AFailedWriteStopsTheRemovalAfterItsRow) {
    TempFolder temp;
    std::vector<std::string> entries{"f"};
    for (int index = 0; index < 20; ++index) {
        entries.push_back(std::string(100, 'a') + std::to_string(index) + "/");
    }
    MakeTree(temp.Path() / "root", entries);
    // Standard output is a FIFO's writing end whose only reader has already been closed.
    const std::string readerGone = "cd " + Quoted(temp.Text()) +
                                   " && mkfifo pipe && sh -c 'exec 4<>pipe 5>pipe 4<&- && "
                                   "exec \"$0\" \"$@\" >&5'";

    CliRun run = RunCli("remove --log log root", readerGone);

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "vacantor-cli: cannot write the output\nvacantor-cli: 1 folder is removed.\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path() / "root"), {}), 20);
    EXPECT_TRUE(std::regex_match(ReadFile(temp.Path() / "log"),
                                 std::regex("removed\ta+[0-9]+\t\n"
                                            "summary\t1 removed, 0 skipped, 0 failed\t[0-9.]+ s\t"
                                            "cut short: the output cannot be written\n")))
        << ReadFile(temp.Path() / "log");
    fs::remove(temp.Path() / "pipe");
    EXPECT_EQ(RunCli("find --threads 1 root", readerGone).status, 1);

    run = RunCli("remove --log " + Quoted(temp.Text("log")) + " " + Quoted(temp.Text("root")),
                 "sh -c 'trap \"\" XFSZ; exec prlimit --fsize=600 \"$0\" \"$@\"'", "/dev/null");

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("vacantor-cli: cannot write the log ", 0), 0u) << run.err;
    EXPECT_GT(std::distance(fs::directory_iterator(temp.Path() / "root"), {}), 10);
}

// SIGINT while a row is written to a reader that is slow to read (the pipe is full): the
// write goes on, not failed, and the run ends after that row. Each folder removed has its
// whole row, the others are left alone, and the log is closed with its summary.
TEST(CliRemove, AnInterruptEndsTheRunAfterTheRowBeingWritten) {
    TempFolder temp;
    std::vector<std::string> entries{"f"};
    for (int index = 0; index < 1000; ++index) {
        entries.push_back("a-folder-with-a-longer-name-" + std::to_string(index) + "/");
    }
    MakeTree(temp.Path() / "root", entries);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::fcntl(pipeEnds[1], F_SETPIPE_SZ, 4096);
    const int err = ::open(temp.Text("err").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const std::string log = temp.Text("log");
    const std::string root = temp.Text("root");
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::close(pipeEnds[0]);
        ::execl(VACANTOR_CLI, VACANTOR_CLI, "remove", "--log", log.c_str(), root.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(err);
    ::close(pipeEnds[1]);
    // Waits (a minute at most) for the program's main thread to sleep in write(2).
    const std::string process = "/proc/" + std::to_string(child);
    const std::string writing = std::to_string(SYS_write) + " ";
    for (int wait = 0;
         wait < 6000 && (ReadFile(process + "/stat").find(") S ") == std::string::npos ||
                         ReadFile(process + "/syscall").rfind(writing, 0) != 0);
         ++wait) {
        ::usleep(10000);
    }
    ::syscall(SYS_tgkill, child, child, SIGINT); // to that thread, not to a reading one
    // Nothing is read before the signal has reached the write: read sooner, the pipe would
    // have room again and the write end before the signal lands.
    for (int wait = 0;
         wait < 6000 &&
         ReadFile(process + "/status").find("\nSigPnd:\t0000000000000000\n") == std::string::npos;
         ++wait) {
        ::usleep(10000);
    }
    std::string out;
    char chunk[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0;) {
        out.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 128 + SIGINT);
    const auto removed = std::count(out.begin(), out.end(), '\n');
    EXPECT_EQ(out.back(), '\n');
    EXPECT_LT(removed, 1000);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path() / "root"), {}), 1001 - removed);
    const std::string logged = ReadFile(log);
    EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), removed + 1);
    EXPECT_NE(
        logged.find("\nsummary\t" + std::to_string(removed) + " removed, 0 skipped, 0 failed\t"),
        std::string::npos);
    EXPECT_TRUE(logged.ends_with(" s\tcut short: interrupted by SIGINT\n")) << logged;
    EXPECT_EQ(ReadFile(temp.Path() / "err").find("cannot write"), std::string::npos);
}

// --older-than lists a folder only when neither it nor a folder below it changed within
// the time, whatever it holds: a new folder's old subfolder is listed, not an old folder
// with a new one, nor one whose subfolder lost a child just now. Times are set, not waited,
// 40 days back; each unit is tried on both sides of that.
TEST(CliFind, OlderThanListsFoldersUnchangedAllThrough) {
    TempFolder temp;
    MakeTree(temp.Path(), {"f", "old/x/", "new/z/", "mixed/oldsub/", "mixed/newsub/", "cut/x/y/"});
    const timespec longAgo{::time(nullptr) - 40 * 24 * 3600, 0};
    const timespec times[2] = {longAgo, longAgo};
    for (const char* folder :
         {"old/x", "old", "new/z", "mixed/oldsub", "mixed", "cut/x/y", "cut/x", "cut"}) {
        ASSERT_EQ(::utimensat(AT_FDCWD, (temp.Path() / folder).c_str(), times, 0), 0);
    }
    fs::remove(temp.Path() / "cut" / "x" / "y");

    const std::string find = "find --absolute --older-than ";
    for (const char* time : {"30d", "5w", "720h", "43200m", "2592000s"}) {
        EXPECT_EQ(RowPaths(RunCli(find + time + " " + Quoted(temp.Text())).out),
                  (std::multiset<std::string>{temp.Text() + "/mixed/oldsub", temp.Text() + "/new/z",
                                              temp.Text() + "/old"}))
            << time;
    }
    for (const char* time : {"41d", "6w", "1000h", "60000m", "3600000s"}) {
        EXPECT_EQ(RunCli(find + time + " " + Quoted(temp.Text())).out, "") << time;
    }
}

// A folder `nobody` may not read keeps its parent from counting as empty, as specified;
// standard error says so, and names it with --verbose.
TEST(CliFind, AFolderThatCannotBeReadIsCountedOnStandardError) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run as another user";
    }
    TempFolder temp;
    MakeTree(temp.Path(), {"f", "a/b/", "c/"});
    for (const char* folder : {"", "a", "a/b", "c"}) {
        ASSERT_EQ(::chown((temp.Path() / folder).c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod((temp.Path() / "a" / "b").c_str(), 0300), 0); // not read-only: entered
    const std::string nobody = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    const std::string counted = "vacantor-cli: 1 folder could not be read; the folder holding "
                                "it counts as not empty";

    for (const char* threads : {"1", "4"}) {
        CliRun run =
            RunCli("find --threads " + std::string(threads) + " " + Quoted(temp.Text()), nobody);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "0\tc\n");
        EXPECT_EQ(run.err, counted + " (--verbose names each)\n");
        run = RunCli("find --verbose --threads " + std::string(threads) + " " + Quoted(temp.Text()),
                     nobody);
        EXPECT_EQ(run.err, "vacantor-cli: cannot read a/b\n" + counted + "\n");
    }
}

#ifdef __SANITIZE_ADDRESS__
constexpr bool SanitizerBuild = true;
#else
constexpr bool SanitizerBuild = false;
#endif

// Under a limit on open files far below the tree's depth (rows at many depths, and an empty
// chain 200 deep, empty only if every level is read), find and remove do as without one;
// with too few to walk at all, both fail, saying why, and remove touches nothing.
TEST(CliLimits, FewOpenFilesGiveTheSameRowsOrALoudFailure) {
    TempFolder temp;
    const fs::path tree = temp.Path() / "tree";
    std::vector<std::string> entries;
    std::string level;
    for (int depth = 0; depth < 200; ++depth) {
        level += "d/";
        if (depth % 10 == 0) {
            entries.insert(entries.end(), {level + "f", level + "e/"});
        }
    }
    entries.insert(entries.end(), {level + "f", level + "x/", "empty/" + level});
    MakeTree(tree, entries);
    for (const char* copy : {"unlimited", "limited", "starved"}) {
        fs::copy(tree, temp.Path() / copy, fs::copy_options::recursive);
    }
    const CliRun rows = RunCli("find " + Quoted(PathText(tree)));
    ASSERT_EQ(std::count(rows.out.begin(), rows.out.end(), '\n'), 22) << rows.out;

    for (const char* limit : {"prlimit --nofile=16", "prlimit --nofile=8"}) {
        CliRun run = RunCli("find " + Quoted(PathText(tree)), limit);
        EXPECT_EQ(run.status, 0) << limit;
        EXPECT_EQ(run.out, rows.out) << limit;
        EXPECT_EQ(run.err, "") << limit;
    }
    const CliRun unlimited = RunCli("remove " + Quoted(temp.Text("unlimited")));
    CliRun limited = RunCli("remove " + Quoted(temp.Text("limited")), "prlimit --nofile=16");
    EXPECT_EQ(limited.status, 0);
    EXPECT_EQ(limited.out, unlimited.out);
    const auto sameTrees = [&temp](const char* one, const char* other) {
        return std::system(("diff -r " + Quoted(temp.Text(one)) + " " + Quoted(temp.Text(other)))
                               .c_str()) == 0;
    };
    EXPECT_TRUE(sameTrees("limited", "unlimited"));

    // The sanitizers' runtime needs descriptors of its own, which a starved program lacks;
    // in that build the window's test checks the loud failure, in the program's process.
    if (SanitizerBuild) {
        return;
    }
    for (const std::string& command :
         {"find " + Quoted(PathText(tree)), "remove " + Quoted(temp.Text("starved"))}) {
        CliRun starved = RunCli(command, "prlimit --nofile=5");
        EXPECT_EQ(starved.status, 1) << command;
        EXPECT_NE(starved.err.find("too many open files"), std::string::npos) << starved.err;
    }
    EXPECT_TRUE(sameTrees("starved", "tree"));
}

// Many rows cross the output's block size; none may be lost, doubled or misnumbered, even
// under a limit on address space that 64 threads with the default stacks would exceed.
TEST(CliFind, ManyRowsAreNumberedInOrderEvenWithLittleAddressSpace) {
    TempFolder temp;
    std::vector<std::string> entries{"f"};
    std::multiset<std::string> expected;
    for (int folder = 0; folder < 100; ++folder) {
        const std::string name = "d" + std::to_string(folder);
        for (int sub = 0; sub < 50; ++sub) {
            entries.push_back(name + "/e" + std::to_string(sub) + "/");
            if (folder % 3 == 0) {
                expected.insert(entries.back().substr(0, entries.back().size() - 1));
            }
        }
        if (folder % 3 == 0) {
            entries.push_back(name + "/f");
        } else {
            expected.insert(name);
        }
    }
    MakeTree(temp.Path(), entries);
    const std::string find = "find --threads 64 " + Quoted(temp.Text());
    const CliRun rows = RunCli(find);
    ASSERT_EQ(rows.status, 0);
    EXPECT_EQ(RowPaths(rows.out), expected);

    if (!SanitizerBuild) { // the sanitizers reserve more address space than the limit
        CliRun limited = RunCli(find, "prlimit --as=100000000");
        EXPECT_EQ(limited.status, 0) << limited.err;
        EXPECT_EQ(limited.out, rows.out);
    }
}

// Protected folders end to end, with the program that needs them: after `git gc` the refs
// are packed and .git/refs holds folders only, which --no-protect lists; without protection
// `remove` would take it, and git would no longer find the repository.
TEST(CliProtect, ARepositoryKeepsWhatGitNeeds) {
    TempFolder temp;
    const fs::path root = temp.Path();
    const std::string repo = Quoted(temp.Text("repo"));
    // std::system's status is 0 only when the shell exited 0 (127: a program is missing).
    ASSERT_EQ(std::system(("git init -q " + repo + " && git -C " + repo +
                           " -c user.name=t -c user.email=t@example.org commit -q --allow-empty"
                           " -m m && git -C " +
                           repo + " gc -q")
                              .c_str()),
              0);
    ASSERT_TRUE(fs::is_empty(root / "repo/.git/refs/heads"));
    MakeTree(root, {"empty/a/"});

    CliRun listed = RunCli("find --no-protect " + Quoted(temp.Text()));
    EXPECT_NE(listed.out.find("\trepo/.git/refs\n"), std::string::npos) << listed.out;

    CliRun found = RunCli("find --verbose " + Quoted(temp.Text()));
    EXPECT_EQ(found.out, "0\tempty\n");
    EXPECT_NE(found.err.find("vacantor-cli: protected repo/.git\n"), std::string::npos)
        << found.err;

    CliRun removed = RunCli("remove " + Quoted(temp.Text()));
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(removed.out, "empty\n");
    EXPECT_TRUE(fs::is_directory(root / "repo/.git/refs/heads"));
    EXPECT_EQ(std::system(("git -C " + repo + " status --short >/dev/null").c_str()), 0);
}

} // namespace
