#pragma once

#include "platform/ResultRows.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

// A result list held in memory, for running the window's logic without a window; the
// list's set-up is not kept. Selection is set by the test, as a user's clicks would set it.
class FakeResultList : public ResultRows {
  public:
    void SetFullRowSelect(bool) override {}
    void SetMultiSelect(bool) override {}
    void SetView(int) override {}
    void ClearColumns() override {}
    void AddColumn(const std::string&) override {}

    void ClearRows() override {
        ResultRows::ClearRows();
        sortIndicator_.clear();
        selected_.clear();
        focused_.reset();
    }
    void AddRow(const std::string& text) override {
        ResultRows::AddRow(text);
        selected_.push_back(false);
    }
    bool IsSelected(std::size_t row) const override {
        return row < selected_.size() && selected_[row];
    }
    bool AnySelected() const override {
        return std::find(selected_.begin(), selected_.end(), true) != selected_.end();
    }
    void SelectAll() override { selected_.assign(selected_.size(), true); }
    // The focused row, while it is selected.
    std::optional<std::size_t> SelectedItem() const override {
        return focused_ && IsSelected(*focused_) ? focused_ : std::nullopt;
    }
    void SetToolTipText(const std::string& text) override { toolTipText_ = text; }

    // What a user does and sees. A row out of range is ignored, as a click below the last
    // row selects nothing.
    void SetSelected(std::size_t row, bool selected) {
        if (row < selected_.size()) {
            selected_[row] = selected;
            if (selected) {
                focused_ = row;
            }
        }
    }
    const std::string& ToolTipText() const { return toolTipText_; }
    // The header that shows a sort, with its direction: "1 up", "0 down"; "" for none.
    const std::string& SortIndicator() const { return sortIndicator_; }

  private:
    void RowsReordered(const std::vector<std::size_t>&, int sortColumn, bool ascending) override {
        sortIndicator_ =
            sortColumn < 0 ? "" : std::to_string(sortColumn) + (ascending ? " up" : " down");
    }

    std::string sortIndicator_;
    std::vector<bool> selected_; // one for each row
    std::optional<std::size_t> focused_;
    std::string toolTipText_;
};
