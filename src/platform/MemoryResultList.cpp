#include "platform/MemoryResultList.h"

// Out-of-range rows are ignored on writes and read as empty, as a list control answers.

void MemoryResultList::ClearRows() {
    rows_.clear();
    focused_.reset();
}

void MemoryResultList::AddRow(const std::string& text) {
    rows_.push_back(Row{text, {}});
}

void MemoryResultList::SetSubItem1Text(std::size_t row, const std::string& text) {
    if (row < rows_.size()) {
        rows_[row].subItem1 = text;
    }
}

std::string MemoryResultList::SubItem1Text(std::size_t row) const {
    return row < rows_.size() ? rows_[row].subItem1 : std::string();
}

bool MemoryResultList::IsSelected(std::size_t row) const {
    return row < rows_.size() && rows_[row].selected;
}

bool MemoryResultList::IsRemoved(std::size_t row) const {
    return row < rows_.size() && rows_[row].removed;
}

void MemoryResultList::SetRemoved(std::size_t row) {
    if (row < rows_.size()) {
        rows_[row].removed = true;
    }
}

void MemoryResultList::SetSubItem1ForeColor(std::size_t row, std::uint32_t color) {
    if (row < rows_.size()) {
        rows_[row].subItem1ForeColor = color;
    }
}

std::optional<std::size_t> MemoryResultList::SelectedItem() const {
    if (focused_ && *focused_ < rows_.size() && rows_[*focused_].selected) {
        return focused_;
    }
    return std::nullopt;
}

void MemoryResultList::SetSelected(std::size_t row, bool selected) {
    if (row < rows_.size()) {
        rows_[row].selected = selected;
        if (selected) {
            focused_ = row;
        }
    }
}
