// vacantor-cli remove, run as its own process on real trees.

#include "cli/CliRun.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

using namespace std::string_literals;

namespace {

// Two topmost empty folders, in an order no file system can change, and files to keep.
const std::vector<std::string> Tree{"Q/Q2/a/b/", "Q/Q1/f", "Q/Q1/X/", "keep/g"};

TEST(CliRemove, RemovesEveryListedFolderAndNothingElse) {
    TempFolder temp;
    MakeTree(temp.Path(), Tree);

    CliRun run = RunCli("remove " + Quoted(temp.Text()));

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Q/Q1/X\nQ/Q2\n2 folders are removed.\n");
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(fs::exists(temp.Path() / "Q" / "Q1" / "X"));
    EXPECT_FALSE(fs::exists(temp.Path() / "Q" / "Q2"));
    EXPECT_TRUE(fs::exists(temp.Path() / "Q" / "Q1" / "f"));
    EXPECT_TRUE(fs::exists(temp.Path() / "keep" / "g"));
}

TEST(CliRemove, DryRunPrintsTheSameAndRemovesNothing) {
    TempFolder temp;
    MakeTree(temp.Path(), Tree);

    CliRun run = RunCli("remove --dry-run " + Quoted(temp.Text() + "/"));

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Q/Q1/X\nQ/Q2\n2 folders would be removed.\n");
    EXPECT_TRUE(fs::exists(temp.Path() / "Q" / "Q1" / "X"));
    EXPECT_TRUE(fs::exists(temp.Path() / "Q" / "Q2" / "a" / "b"));
}

TEST(CliRemove, ReadOnlyFoldersOnlyWithTheOption) {
    TempFolder temp;
    MakeTree(temp.Path(), {"f", "F/E/", "F/R/inner/"});
    MakeReadOnly(temp.Path() / "F" / "R");

    CliRun without = RunCli("remove " + Quoted(temp.Text()));
    EXPECT_EQ(without.out, "F/E\n1 folders are removed.\n");
    EXPECT_TRUE(fs::exists(temp.Path() / "F" / "R" / "inner"));
    CliRun with = RunCli("remove --read-only " + Quoted(temp.Text()));

    EXPECT_EQ(with.status, 0);
    EXPECT_EQ(with.out, "F\n1 folders are removed.\n");
    EXPECT_FALSE(fs::exists(temp.Path() / "F"));
}

// For `nobody`: a folder `mine` it may remove, and a folder `theirs` it may list but not
// remove, as it holds a folder of another user.
void MakeTreeOfTwoUsers(const TempFolder& temp, const std::string& mine,
                        const std::string& theirs) {
    MakeTree(temp.Path(), {"f", mine + "/", theirs + "/inner/"});
    for (const std::string& folder : {std::string(), mine, theirs + "/inner"}) {
        ASSERT_EQ(::chown((temp.Path() / folder).c_str(), 65534, 65534), 0);
    }
}

TEST(CliRemove, AFolderNotRemovedIsReportedAndFailsTheRun) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a folder of another user";
    }
    TempFolder temp;
    MakeTreeOfTwoUsers(temp, "mine", "theirs");

    CliRun run = RunCli("remove " + Quoted(temp.Text()),
                        "setpriv --reuid=65534 --regid=65534 --clear-groups");

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "mine\n1 folders are removed.\n");
    EXPECT_EQ(run.err, "not removed: theirs: access denied\n");
    EXPECT_TRUE(fs::exists(temp.Path() / "theirs" / "inner"));
}

TEST(CliRemove, Print0EndsEveryRecordWithNul) {
    TempFolder temp;
    MakeTree(temp.Path(), Tree);

    CliRun run = RunCli("remove --print0 " + Quoted(temp.Text()));

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Q/Q1/X\0Q/Q2\0002 folders are removed.\0"s);
}

// On a terminal the removed folders and the ones not removed are quoted alike.
TEST(CliRemove, PathsAreQuotedOnATerminal) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a folder of another user";
    }
    TempFolder temp;
    MakeTreeOfTwoUsers(temp, "mine\x1b[1m", "their\ns");

    CliRun run = RunOnTerminal({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                VACANTOR_CLI, "remove", "--quiet", temp.Text()});

    EXPECT_EQ(run.status, 1);
    std::string removed = "'mine'$'\\033''[1m'\n";
    std::string notRemoved = "not removed: 'their'$'\\n''s': access denied\n";
    EXPECT_TRUE(run.out == removed + notRemoved + "1 folders are removed.\n" ||
                run.out == notRemoved + removed + "1 folders are removed.\n")
        << run.out;
}

// Lost output is a failure: a script must not take a run whose rows it never got for success.
TEST(CliRemove, OutputThatCannotBeWrittenFailsTheRun) {
    for (const char* command : {"find ", "remove "}) {
        TempFolder temp;
        MakeTree(temp.Path(), Tree);

        CliRun run = RunCli(command + Quoted(temp.Text()), "", "/dev/full");

        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.err, "vacantor-cli: cannot write the output\n") << command;
    }
}

TEST(CliRemove, DeletesJunkWithItsFoldersAndKeepsExcludedOnes) {
    TempFolder temp;
    MakeTree(temp.Path(),
             {"f", "J/Thumbs.db", "J/sub/._x", "keep/Thumbs.db", "keep/a.txt", "build/out/"});

    CliRun run = RunCli("remove --junk-common --exclude out " + Quoted(temp.Text()));

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "J\n1 folders are removed.\n");
    EXPECT_FALSE(fs::exists(temp.Path() / "J"));
    EXPECT_TRUE(fs::exists(temp.Path() / "keep" / "Thumbs.db"));
    EXPECT_TRUE(fs::exists(temp.Path() / "build" / "out"));
}

// Whoever may write where the log goes must not make remove overwrite another file, nor
// make it wait for ever on a FIFO; and nothing is removed without the log asked for.
TEST(CliRemoveLog, ALogPathThatIsNoRegularFileIsRefusedAndNothingIsRemoved) {
    for (const char* kind : {"link", "fifo", "folder"}) {
        TempFolder temp;
        MakeTree(temp.Path(), Tree);
        const fs::path log = temp.Path() / "log";
        WriteFile(temp.Path() / "precious", "keep me");
        if (kind == std::string("link")) {
            fs::create_symlink(temp.Path() / "precious", log);
        } else if (kind == std::string("fifo")) {
            ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
        } else {
            fs::create_directory(log);
        }

        CliRun run = RunCli("remove --log " + Quoted(PathText(log)) + " " + Quoted(temp.Text()),
                            "timeout 60");

        EXPECT_EQ(run.status, 1) << kind;
        EXPECT_EQ(run.err.rfind("vacantor-cli: cannot create the log ", 0), 0u) << run.err;
        EXPECT_EQ(run.out, "") << kind;
        EXPECT_TRUE(fs::exists(temp.Path() / "Q" / "Q1" / "X")) << kind;
        EXPECT_EQ(ReadFile(temp.Path() / "precious"), "keep me") << kind;
    }
}

// On a file system that fills up, the log stops being written: the removal stops with it.
TEST(CliRemoveLog, TheRemovalStopsWhenTheLogCannotBeWritten) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to mount a small file system";
    }
    TempFolder temp;
    std::vector<std::string> entries{"f"};
    for (int index = 0; index < 200; ++index) {
        entries.push_back("an-empty-folder-with-a-name-of-forty-" + std::to_string(1000 + index) +
                          "/");
    }
    MakeTree(temp.Path() / "root", entries);
    fs::create_directory(temp.Path() / "small");
    const std::string small = Quoted(temp.Text("small"));

    CliRun run = RunCli("remove --log " + small + "/log " + Quoted(temp.Text("root")),
                        "unshare -m sh -c 'mount -t tmpfs -o size=4k tmpfs " + small +
                            " && exec \"$0\" \"$@\"'");

    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("vacantor-cli: cannot write the log "), std::string::npos) << run.err;
    std::size_t left = std::distance(fs::directory_iterator(temp.Path() / "root"), {});
    EXPECT_GT(left, 100u);
}

struct UsageCase {
    const char* name;
    std::string arguments; // ROOT stands for the tree's root
    int status;
};

// CTest shows the case's name, not its bytes.
void PrintTo(const UsageCase& row, std::ostream* os) {
    *os << row.name;
}

class CliRemoveUsage : public testing::TestWithParam<UsageCase> {};

TEST_P(CliRemoveUsage, RemovesNothingAndSaysWhy) {
    const UsageCase& usage = GetParam();
    TempFolder temp;
    MakeTree(temp.Path(), Tree);
    std::string arguments = usage.arguments;
    if (std::size_t at = arguments.find("ROOT"); at != std::string::npos) {
        arguments.replace(at, 4, Quoted(temp.Text()));
    }

    CliRun run = RunCli(arguments);

    EXPECT_EQ(run.status, usage.status);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
    EXPECT_TRUE(fs::exists(temp.Path() / "Q" / "Q1" / "X"));
}

INSTANTIATE_TEST_SUITE_P(Errors, CliRemoveUsage,
                         testing::Values(UsageCase{"NoRoot", "remove", 2},
                                         UsageCase{"UnknownOption", "remove --force ROOT", 2},
                                         UsageCase{"TwoRoots", "remove ROOT /tmp", 2},
                                         UsageCase{"NoThreads", "remove --threads 0 ROOT", 2},
                                         UsageCase{"ExcludeFromMissingFile",
                                                   "remove --exclude-from /nonexistent ROOT", 1},
                                         UsageCase{"MissingRoot", "remove ROOT/missing", 1}),
                         [](const testing::TestParamInfo<UsageCase>& testInfo) {
                             return std::string(testInfo.param.name);
                         });

} // namespace
