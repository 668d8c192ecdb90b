#pragma once

#include "cli/ConsoleText.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

struct CommandLine;

// The options both commands take for the progress line.
inline constexpr const char* ProgressOption = "--progress";
inline constexpr const char* QuietOption = "--quiet";

using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

inline std::chrono::steady_clock::time_point SteadyNow() {
    return std::chrono::steady_clock::now();
}

// How far a command has come, on standard error: folders read and rows found while the
// scan runs, then rows removed out of the total. On a terminal it is one line redrawn in
// place, at most ten times a second, and erased before anything else is written to the
// terminal and at the end. Elsewhere (--progress to a log) it is plain lines without
// control characters, at most one a second, and the last state at the end.
class Progress {
  public:
    Progress(std::FILE* file, bool terminal, SteadyClock clock);
    ~Progress() { Erase(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // A folder the scan reaches, with the rows found so far. Called for every folder: it
    // costs a count and a look at the clock unless the line is due.
    void FolderRead(std::size_t rowsFound);

    // The end of the scan, with all the rows it found: a folder's last rows come after the
    // last folder below it was read.
    void ScanEnded(std::size_t rowsFound) { rows_ = rowsFound; }

    // Where the removal stands after a row.
    void RowDone(std::size_t removed, std::size_t notRemoved, std::size_t total);

    // Takes the line off the terminal, so that what is written next starts a clean line.
    void Erase();

    // The end of the command: the line is erased from a terminal; a log gets the last state.
    void Finish();

  private:
    std::string Text() const;
    void ShowIfDue();

    std::FILE* file_;
    bool terminal_;
    SteadyClock clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point due_;
    std::size_t shownLength_ = 0; // of the line now on the terminal; 0 when none is
    bool removing_ = false;
    std::size_t folders_ = 0;
    std::size_t rows_ = 0;
    std::size_t removed_ = 0;
    std::size_t notRemoved_ = 0;
};

// The progress line the options and standard error call for, or nullptr: none with
// --quiet (which wins over --progress), nor when standard error is not a terminal and
// --progress is not given. `out` and `err` are told to erase the line before they write
// where it is shown.
std::unique_ptr<Progress> StartProgress(const CommandLine& options, ConsoleStream& out,
                                        ConsoleStream& err, SteadyClock clock = SteadyNow);
