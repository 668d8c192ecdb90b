#include "cli/RemovalLog.h"

#include <string>

LogVerdict VerdictOf(RemovalOutcome outcome) {
    switch (outcome) {
    case RemovalOutcome::Removed:
        return LogVerdict::Removed;
    case RemovalOutcome::Vanished:
    case RemovalOutcome::GainedFile:
    case RemovalOutcome::BecameLink:
    case RemovalOutcome::MountPoint:
    case RemovalOutcome::Excluded:
    case RemovalOutcome::HoldsExcluded:
    case RemovalOutcome::Protected:
    case RemovalOutcome::HasProtected:
    case RemovalOutcome::Recent:
        return LogVerdict::Skipped;
    case RemovalOutcome::AccessDenied:
    case RemovalOutcome::InUse:
    case RemovalOutcome::Failed:
        break;
    }
    return LogVerdict::Failed;
}

namespace {

const char* const VerdictWords[] = {"removed", "skipped", "failed"};
constexpr const char* TrashedWord = "trashed";

} // namespace

// The file is no terminal: paths go out as their exact bytes.
RemovalLog::RemovalLog(std::FILE* file, char terminator, bool trashing)
    : file_(file), trashing_(trashing) {
    records_.emplace(ConsoleStream{file, false}, terminator, true);
}

RemovalLog::~RemovalLog() {
    if (records_) {
        records_.reset();
        std::fclose(file_);
    }
}

const char* RemovalLog::Word(LogVerdict verdict) const {
    return trashing_ && verdict == LogVerdict::Removed
               ? TrashedWord
               : VerdictWords[static_cast<std::size_t>(verdict)];
}

void RemovalLog::Add(LogVerdict verdict, std::string_view path, std::string_view reason) {
    const auto index = static_cast<std::size_t>(verdict);
    ++counts_[index];
    records_->Add(Word(verdict));
    records_->Add("\t");
    records_->AddPath(path);
    records_->Add("\t");
    records_->Add(reason);
    records_->EndRecord();
}

bool RemovalLog::Close(std::chrono::steady_clock::duration taken, std::string_view cutShort) {
    std::string counts;
    for (std::size_t index = 0; index < 3; ++index) {
        counts += (index == 0 ? "" : ", ") + std::to_string(counts_[index]) + " " +
                  Word(static_cast<LogVerdict>(index));
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f s", std::chrono::duration<double>(taken).count());
    records_->Add("summary\t" + counts + "\t" + seconds);
    if (!cutShort.empty()) {
        records_->Add("\tcut short: ");
        records_->Add(cutShort);
    }
    records_->EndRecord();
    bool written = !records_->Failed();
    records_.reset();
    return std::fclose(file_) == 0 && written;
}
