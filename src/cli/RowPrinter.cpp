#include "cli/RowPrinter.h"

void RowPrinter::AddRow(const std::string& text) {
    lastRowText_ = text;
    ++rows_;
}

void RowPrinter::SetSubItem1Text(std::size_t row, const std::string& text) {
    if (row + 1 != rows_) {
        return;
    }
    records_.Add(lastRowText_);
    records_.Add("\t");
    records_.AddPath(text);
    records_.EndRecord();
}
