#include "cli/RowPrinter.h"

#include <utility>

void RowPrinter::AddRow(const std::string& text) {
    lastRowText_ = text;
    lastRowJunk_ = std::exchange(nextRowJunk_, false);
    ++rows_;
}

void RowPrinter::SetSubItem1Text(std::size_t row, const std::string& text) {
    if (row + 1 != rows_) {
        return;
    }
    records_.Add(lastRowText_);
    records_.Add("\t");
    records_.AddPath(prefix_ + text);
    if (lastRowJunk_) {
        records_.Add("\tjunk");
    }
    records_.EndRecord();
}
