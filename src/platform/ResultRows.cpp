#include "platform/ResultRows.h"

void ResultRows::SetSubItem1Text(std::size_t row, const std::string& text) {
    rows_.at(row).subItem1 = text;
    RowChanged(row);
}

void ResultRows::SetSubItem1ForeColor(std::size_t row, std::uint32_t color) {
    rows_.at(row).subItem1ForeColor = color;
    RowChanged(row);
}
