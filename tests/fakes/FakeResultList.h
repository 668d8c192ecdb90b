#pragma once

#include "platform/ResultList.h"

#include <string>
#include <vector>

// A result list held in memory, for running the window's logic without a window; the
// list's set-up is not kept.
// Selection is set by the test, as a user's clicks would set it. Out-of-range rows are
// ignored on writes and read as empty, as a list control answers.
class FakeResultList : public ResultList {
  public:
    struct Row {
        std::string text;
        std::string subItem1;
        bool selected = false;
        bool removed = false;
        std::uint32_t subItem1ForeColor = 0;
    };

    void SetFullRowSelect(bool) override {}
    void SetMultiSelect(bool) override {}
    void SetView(int) override {}
    void ClearColumns() override {}
    void AddColumn(const std::string&) override {}

    std::size_t RowCount() const override { return rows_.size(); }
    void ClearRows() override {
        rows_.clear();
        focused_.reset();
    }
    void AddRow(const std::string& text) override { rows_.push_back(Row{text, {}}); }
    void SetSubItem1Text(std::size_t row, const std::string& text) override {
        if (row < rows_.size()) {
            rows_[row].subItem1 = text;
        }
    }
    std::string SubItem1Text(std::size_t row) const override {
        return row < rows_.size() ? rows_[row].subItem1 : std::string();
    }

    bool IsSelected(std::size_t row) const override {
        return row < rows_.size() && rows_[row].selected;
    }
    bool IsRemoved(std::size_t row) const override {
        return row < rows_.size() && rows_[row].removed;
    }
    void SetRemoved(std::size_t row) override {
        if (row < rows_.size()) {
            rows_[row].removed = true;
        }
    }
    void SetSubItem1ForeColor(std::size_t row, std::uint32_t color) override {
        if (row < rows_.size()) {
            rows_[row].subItem1ForeColor = color;
        }
    }

    // The focused row, while it is selected.
    std::optional<std::size_t> SelectedItem() const override {
        return focused_ && IsSelected(*focused_) ? focused_ : std::nullopt;
    }
    void SetToolTipText(const std::string& text) override { toolTipText_ = text; }

    // What a user does and sees.
    void SetSelected(std::size_t row, bool selected) {
        if (row < rows_.size()) {
            rows_[row].selected = selected;
            if (selected) {
                focused_ = row;
            }
        }
    }
    const std::vector<Row>& Rows() const { return rows_; }
    const std::string& ToolTipText() const { return toolTipText_; }

  private:
    std::vector<Row> rows_;
    std::optional<std::size_t> focused_;
    std::string toolTipText_;
};
