#include "platform/MemoryResultList.h"

void MemoryResultList::ClearRows() {
    ResultRows::ClearRows();
    selected_.clear();
    focused_.reset();
}

void MemoryResultList::AddRow(const std::string& text) {
    ResultRows::AddRow(text);
    selected_.push_back(false);
}

bool MemoryResultList::IsSelected(std::size_t row) const {
    return row < selected_.size() && selected_[row];
}

std::optional<std::size_t> MemoryResultList::SelectedItem() const {
    if (focused_ && *focused_ < selected_.size() && selected_[*focused_]) {
        return focused_;
    }
    return std::nullopt;
}

// A row out of range is ignored, as a click below the last row selects nothing.
void MemoryResultList::SetSelected(std::size_t row, bool selected) {
    if (row < selected_.size()) {
        selected_[row] = selected;
        if (selected) {
            focused_ = row;
        }
    }
}
