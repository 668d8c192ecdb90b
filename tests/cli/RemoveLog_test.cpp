// remove --log in the test's own process, on the fake file system and removal, with a
// clock the removal moves on: what the log says of each folder, in both builds.

#include "cli/FindCommand.h"
#include "cli/RemovalLog.h"
#include "cli/RemoveCommand.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeFolderRemoval.h"
#include "removal/RemovalResults.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

struct CliLog : testing::Test {
    CliLog() {
        // The root holds a file, so each folder is listed on its own, in this order.
        for (const char* entry : {"f", "a/", "E\x1b[1m/", "b/", "c/", "d/"}) {
            fileSystem.Add(entry);
        }
        removal.onDelete = [this](const std::string&) { now += 500ms; };
    }

    // Runs remove with `options` and the log; standard output claims to be a terminal. Its
    // exit status as a number, as the documentation gives it.
    int Run(std::vector<std::string> options) {
        options.insert(options.end(),
                       {"--threads", "1", "--log", temp.Text("log"), fileSystem.RootPath()});
        std::FILE* outFile = std::fopen(temp.Text("out").c_str(), "wb");
        std::FILE* errFile = std::fopen(temp.Text("err").c_str(), "wb");
        int status =
            static_cast<int>(RunRemoveCommand(options, fileSystem, removal, {outFile, true},
                                              {errFile, false}, [this] { return now; }));
        std::fclose(outFile);
        std::fclose(errFile);
        out = ReadFile(temp.Path() / "out");
        err = ReadFile(temp.Path() / "err");
        return status;
    }

    FakeFileSystem fileSystem;
    FakeFolderRemoval removal;
    TempFolder temp;
    std::chrono::steady_clock::time_point now{};
    std::string out;
    std::string err;
};

// Paths go to the log as their exact bytes, whatever the terminal is shown. The terminal
// and the log get each row as soon as it is done.
TEST_F(CliLog, SaysOfEachFolderRemovedSkippedOrFailedAndWhy) {
    removal.outcomes["b"] = MakeRemovalResult(RemovalOutcome::GainedFile);
    removal.outcomes["c"] = MakeRemovalResult(RemovalOutcome::AccessDenied);
    removal.outcomes["d"] = MakeRemovalResult(RemovalOutcome::MountPoint);
    WriteFile(temp.Path() / "log", std::string(500, 'x')); // an older log, longer
    std::string shownBeforeTheLast;
    removal.onDelete = [&](const std::string& folder) {
        now += 500ms;
        if (folder == "E\x1b[1m") {
            shownBeforeTheLast = ReadFile(temp.Path() / "out") + ReadFile(temp.Path() / "log");
        }
    };

    EXPECT_EQ(Run({}), 1);

    EXPECT_EQ(ReadFile(temp.Path() / "log"), "removed\ta\t\n"
                                             "skipped\tb\ta file appeared in it\n"
                                             "failed\tc\taccess denied\n"
                                             "skipped\td\tit is or holds a mount point\n"
                                             "removed\tE\x1b[1m\t\n"
                                             "summary\t2 removed, 2 skipped, 1 failed\t2.50 s\n");
    EXPECT_EQ(out, "a\n'E'$'\\033''[1m'\n");
    EXPECT_EQ(shownBeforeTheLast,
              "a\nremoved\ta\t\nskipped\tb\ta file appeared in it\n"
              "failed\tc\taccess denied\nskipped\td\tit is or holds a mount point\n");
}

// find shows a terminal each row as soon as it is found, not when the scan ends.
TEST_F(CliLog, FindShowsATerminalEachRowAsItIsFound) {
    std::string shownBeforeTheLast; // what the terminal held when the last folder was opened
    fileSystem.onOpen = [&](const std::string& path) {
        if (path.ends_with("E\x1b[1m")) {
            shownBeforeTheLast = ReadFile(temp.Path() / "out");
        }
    };
    std::FILE* outFile = std::fopen(temp.Text("out").c_str(), "wb");
    std::FILE* errFile = std::fopen(temp.Text("err").c_str(), "wb");
    // One thread: the walk opens each folder itself, in order.
    EXPECT_EQ(RunFindCommand({"--threads", "1", fileSystem.RootPath()}, fileSystem, {outFile, true},
                             {errFile, false}),
              ExitStatus::Done);
    std::fclose(outFile);
    std::fclose(errFile);
    EXPECT_EQ(shownBeforeTheLast, "0\ta\n1\tb\n2\tc\n3\td\n");
    EXPECT_EQ(ReadFile(temp.Path() / "out"), shownBeforeTheLast + "4\t'E'$'\\033''[1m'\n");
}

// Left whole on purpose, the log says skipped; not removed for another reason, failed.
TEST(CliLogVerdict, EachOutcomeIsRemovedSkippedOrFailed) {
    using enum RemovalOutcome;
    for (RemovalOutcome outcome : {Vanished, GainedFile, BecameLink, MountPoint, Excluded,
                                   HoldsExcluded, Protected, HasProtected, Recent}) {
        EXPECT_EQ(VerdictOf(outcome), LogVerdict::Skipped) << static_cast<int>(outcome);
    }
    for (RemovalOutcome outcome : {AccessDenied, InUse, Failed}) {
        EXPECT_EQ(VerdictOf(outcome), LogVerdict::Failed) << static_cast<int>(outcome);
    }
    EXPECT_EQ(VerdictOf(Removed), LogVerdict::Removed);
}

#ifdef _WIN32
const std::string TrashName = "the Recycle Bin";
#else
const std::string TrashName = "the Trash";
#endif

// With --trash every folder goes to the trash, which the log names; a dry run skips each.
TEST_F(CliLog, TrashedFoldersAreLoggedWithTheirTrash) {
    removal.outcomes["b"] = MakeRemovalResult(RemovalOutcome::Failed, "no trash");
    EXPECT_EQ(Run({"--trash"}), 1);

    EXPECT_EQ(ReadFile(temp.Path() / "log"), "trashed\ta\t/fake/Trash\n"
                                             "failed\tb\tit could not be removed: no trash\n"
                                             "trashed\tc\t/fake/Trash\n"
                                             "trashed\td\t/fake/Trash\n"
                                             "trashed\tE\x1b[1m\t/fake/Trash\n"
                                             "summary\t4 trashed, 0 skipped, 1 failed\t2.50 s\n");
    EXPECT_EQ(removal.calls.size(), 5u);
    for (const FakeFolderRemoval::Call& call : removal.calls) {
        EXPECT_TRUE(call.toTrash) << call.relativePath;
    }
    EXPECT_EQ(err, "vacantor-cli: not trashed: b: it could not be removed: no trash\n"
                   "vacantor-cli: 4 folders are moved to " +
                       TrashName + ".\n");

    removal.calls.clear();
    EXPECT_EQ(Run({"--trash", "--dry-run", "--print0"}), 0);
    EXPECT_TRUE(removal.calls.empty());
    EXPECT_EQ(err, "vacantor-cli: 5 folders would be moved to " + TrashName + ".\n");
    EXPECT_EQ(ReadFile(temp.Path() / "log"),
              "skipped\ta\tdry run\0skipped\tb\tdry run\0skipped\tc\tdry run\0"
              "skipped\td\tdry run\0skipped\tE\x1b[1m\tdry run\0"
              "summary\t0 trashed, 5 skipped, 0 failed\t0.00 s\0"s);
}

// A root replaced between the scan and the removal (seen when the removal looks at the
// root's path), or deleted and made again with the same numbers while the scan held it, is
// reported once; every folder is logged as left whole on purpose.
TEST_F(CliLog, AReplacedOrRemadeRootIsReportedOnceAndNothingIsRemoved) {
    for (bool remade : {false, true}) {
        SCOPED_TRACE(remade ? "made again" : "replaced");
        fileSystem.onOpen = [this, remade](const std::string& path) {
            if (path == fileSystem.RootPath() && !fileSystem.opened.empty()) {
                if (remade) {
                    ++fileSystem.rootGeneration;
                } else {
                    fileSystem.rootIdentity = {7, 7, 7};
                }
            }
        };
        fileSystem.opened.clear();

        EXPECT_EQ(Run({}), 1);

        EXPECT_TRUE(removal.calls.empty());
        EXPECT_EQ(out, "");
        const std::string why = "it is no longer the folder that was scanned";
        EXPECT_EQ(err, "vacantor-cli: nothing removed below C:\\Root: " + why +
                           "\nvacantor-cli: 0 folders are removed.\n");
        std::string log;
        for (const char* folder : {"a", "b", "c", "d", "E\x1b[1m"}) {
            log += "skipped\t"s + folder + "\troot folder: " + why + "\n";
        }
        EXPECT_EQ(ReadFile(temp.Path() / "log"),
                  log + "summary\t0 removed, 5 skipped, 0 failed\t0.00 s\n");
    }
}

} // namespace
