// The progress line against a clock the test sets: how often it is drawn, and how a
// terminal's line is covered and erased.

#include "cli/Progress.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace std::chrono_literals;
using Time = std::chrono::steady_clock::time_point;

// What the progress writes for one folder read at each time, with no rows found, and then
// `end` at 400 ms.
std::string Drawn(bool terminal, std::initializer_list<std::chrono::milliseconds> times,
                  const std::function<void(Progress&)>& end) {
    TempFolder temp;
    std::FILE* file = std::fopen(temp.Text("drawn").c_str(), "wb");
    Time now{};
    {
        Progress progress(file, terminal, [&] { return now; });
        for (std::chrono::milliseconds time : times) {
            now = Time(time);
            progress.FolderRead(0);
        }
        now = std::max(now, Time(400ms));
        end(progress);
        progress.Finish();
    }
    std::fclose(file);
    return ReadFile(temp.Path() / "drawn");
}

// The line is redrawn in place at most every 100 ms; blanks cover what a longer line
// left, and the erased line leaves nothing but blanks behind.
TEST(CliProgress, ATerminalLineIsRedrawnAtMostTenTimesASecondAndErased) {
    EXPECT_EQ(Drawn(true, {0ms, 50ms, 99ms, 100ms, 130ms, 250ms},
                    [](Progress& progress) { progress.RowDone(1, 0, 2); }),
              "\r1 folder read, 0 found, 0:00"
              "\r4 folders read, 0 found, 0:00"
              "\r6 folders read, 0 found, 0:00"
              "\r1 of 2 removed, 0:00" +
                  std::string(9, ' ') + "\r" + std::string(20, ' ') + "\r");
}

// A log gets whole lines, a second apart at the most, and the last state at the end.
TEST(CliProgress, ALogGetsALineASecondAndTheLastState) {
    EXPECT_EQ(Drawn(false, {0ms, 500ms, 999ms, 1000ms, 1500ms, 2000ms, 3723000ms},
                    [](Progress& progress) { progress.ScanEnded(2); }),
              "4 folders read, 0 found, 0:01\n"
              "6 folders read, 0 found, 0:02\n"
              "7 folders read, 0 found, 1:02:03\n"
              "7 folders read, 2 found, 1:02:03\n");
}

} // namespace
