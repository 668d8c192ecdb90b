// The progress line against a clock the test sets: how often it is drawn, and how a
// terminal's line is covered and erased.

#include "cli/Progress.h"
#include "cli/WrittenFile.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace std::chrono_literals;

struct CliProgressClock : testing::Test {
    std::FILE* file = std::tmpfile();
    std::chrono::steady_clock::time_point now{};
    SteadyClock clock = [this] { return now; };

    // One folder read at each time, with no rows found.
    void ReadFoldersAt(Progress& progress, std::initializer_list<std::chrono::milliseconds> times) {
        for (std::chrono::milliseconds time : times) {
            now = std::chrono::steady_clock::time_point(time);
            progress.FolderRead(0);
        }
    }
};

// The line is redrawn in place at most every 100 ms; blanks cover what a longer line
// left, and the erased line leaves nothing but blanks behind.
TEST_F(CliProgressClock, ATerminalLineIsRedrawnAtMostTenTimesASecondAndErased) {
    {
        Progress progress(file, true, clock);
        ReadFoldersAt(progress, {0ms, 50ms, 99ms, 100ms, 130ms, 250ms});
        now = std::chrono::steady_clock::time_point(400ms);
        progress.RowDone(1, 0, 2);
        progress.Finish();
    }
    const std::string blanks(9, ' ');
    EXPECT_EQ(Written(file), "\r1 folders read, 0 found, 0:00"
                             "\r4 folders read, 0 found, 0:00"
                             "\r6 folders read, 0 found, 0:00"
                             "\r1 of 2 removed, 0:00" +
                                 blanks + "\r" + std::string(20, ' ') + "\r");
}

// A log gets whole lines, a second apart at the most, and the last state at the end.
TEST_F(CliProgressClock, ALogGetsALineASecondAndTheLastState) {
    {
        Progress progress(file, false, clock);
        ReadFoldersAt(progress, {0ms, 500ms, 999ms, 1000ms, 1500ms, 2000ms, 3723000ms});
        progress.ScanEnded(2);
        progress.Finish();
    }
    EXPECT_EQ(Written(file), "4 folders read, 0 found, 0:01\n"
                             "6 folders read, 0 found, 0:02\n"
                             "7 folders read, 0 found, 1:02:03\n"
                             "7 folders read, 2 found, 1:02:03\n");
}

} // namespace
