#include "cli/RowPrinter.h"

void RowPrinter::AddRow(const std::string& text) {
    lastRowText_ = text;
    ++rows_;
}

void RowPrinter::SetSubItem1Text(std::size_t row, const std::string& text) {
    if (row + 1 != rows_) {
        return;
    }
    buffer_ += lastRowText_;
    buffer_ += '\t';
    buffer_ += text;
    buffer_ += terminator_;
    if (flushEachRow_ || buffer_.size() >= BlockSize) {
        Flush();
    }
}

bool RowPrinter::Flush() {
    if (!failed_ && !buffer_.empty()) {
        failed_ = std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size();
    }
    buffer_.clear();
    if (!failed_) {
        failed_ = std::fflush(out_) != 0;
    }
    return !failed_;
}
