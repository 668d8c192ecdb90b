#include "cli/RecordWriter.h"

#include "cli/Progress.h"

void RecordWriter::EndRecord() {
    buffer_ += terminator_;
    if (out_.terminal || flushEachRecord_ || buffer_.size() >= BlockSize) {
        Flush();
    }
}

bool RecordWriter::Flush() {
    if (!failed_ && !buffer_.empty()) {
        if (out_.progress) {
            out_.progress->Erase();
        }
        failed_ = std::fwrite(buffer_.data(), 1, buffer_.size(), out_.file) != buffer_.size();
    }
    buffer_.clear();
    if (!failed_) {
        failed_ = std::fflush(out_.file) != 0;
    }
    return !failed_;
}
