#include "cli/Progress.h"

#include "cli/CommandLine.h"

namespace {

using namespace std::chrono_literals;

// A terminal is redrawn often enough to look alive; a log gets a line a second, so that an
// hour's scan adds thousands of lines, not tens of thousands.
constexpr std::chrono::steady_clock::duration TerminalInterval = 100ms;
constexpr std::chrono::steady_clock::duration LogInterval = 1s;

// "0:07", "12:34", "1:02:03".
std::string ElapsedText(std::chrono::steady_clock::duration elapsed) {
    long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    }
    return text;
}

} // namespace

// A terminal shows the first state at once, so that a slow first folder does not look
// like a hang; a log starts with a line only when the command outlasts a second.
Progress::Progress(std::FILE* file, bool terminal, SteadyClock clock)
    : file_(file), terminal_(terminal), clock_(std::move(clock)), start_(clock_()),
      due_(terminal ? start_ : start_ + LogInterval) {}

void Progress::FolderRead(std::size_t rowsFound) {
    ++folders_;
    rows_ = rowsFound;
    ShowIfDue();
}

void Progress::RowDone(std::size_t removed, std::size_t notRemoved, std::size_t total) {
    removing_ = true;
    removed_ = removed;
    notRemoved_ = notRemoved;
    rows_ = total;
    ShowIfDue();
}

std::string Progress::Text() const {
    std::string text;
    if (removing_) {
        text = std::to_string(removed_) + " of " + std::to_string(rows_) + " removed";
        if (notRemoved_ != 0) {
            text += ", " + std::to_string(notRemoved_) + " not removed";
        }
    } else {
        text = Counted(folders_, "folder") + " read, " + std::to_string(rows_) + " found";
    }
    return text + ", " + ElapsedText(clock_() - start_);
}

void Progress::ShowIfDue() {
    std::chrono::steady_clock::time_point now = clock_();
    if (now < due_) {
        return;
    }
    due_ = now + (terminal_ ? TerminalInterval : LogInterval);
    std::string text = Text();
    if (!terminal_) {
        std::fprintf(file_, "%s\n", text.c_str());
        return;
    }
    // Blanks, not an erase sequence, cover a longer line drawn before: every console
    // understands them.
    std::string line = "\r" + text;
    if (shownLength_ > text.size()) {
        line.append(shownLength_ - text.size(), ' ');
    }
    shownLength_ = text.size();
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

void Progress::Erase() {
    if (shownLength_ == 0) {
        return;
    }
    std::string blank(shownLength_ + 2, ' ');
    blank.front() = '\r';
    blank.back() = '\r';
    shownLength_ = 0;
    std::fwrite(blank.data(), 1, blank.size(), file_);
    std::fflush(file_);
}

void Progress::Finish() {
    if (terminal_) {
        Erase();
    } else {
        std::fprintf(file_, "%s\n", Text().c_str());
    }
}

std::unique_ptr<Progress> StartProgress(const CommandLine& options, ConsoleStream& out,
                                        ConsoleStream& err, SteadyClock clock) {
    if (options.Has(QuietOption) || !(err.terminal || options.Has(ProgressOption))) {
        return nullptr;
    }
    auto progress = std::make_unique<Progress>(err.file, err.terminal, std::move(clock));
    err.progress = progress.get();
    // Rows on the terminal the line is drawn on would run into it.
    if (out.terminal) {
        out.progress = progress.get();
    }
    return progress;
}
