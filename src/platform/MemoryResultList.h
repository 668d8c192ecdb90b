#pragma once

#include "platform/ResultList.h"

#include <string>
#include <vector>

// A result list held in memory, with no window: for running the window's logic without one.
// Selection is set by the caller, as a user's clicks would set it.
class MemoryResultList : public ResultList {
  public:
    struct Row {
        std::string text;
        std::string subItem1;
        bool selected = false;
        bool removed = false;
        std::uint32_t subItem1ForeColor = 0;
    };

    void SetFullRowSelect(bool fullRowSelect) override { fullRowSelect_ = fullRowSelect; }
    void SetMultiSelect(bool multiSelect) override { multiSelect_ = multiSelect; }
    void SetView(int view) override { view_ = view; }
    void ClearColumns() override { columns_.clear(); }
    void AddColumn(const std::string& text) override { columns_.push_back(text); }

    std::size_t RowCount() const override { return rows_.size(); }
    void ClearRows() override;
    void AddRow(const std::string& text) override;
    void SetSubItem1Text(std::size_t row, const std::string& text) override;
    std::string SubItem1Text(std::size_t row) const override;

    bool IsSelected(std::size_t row) const override;
    bool IsRemoved(std::size_t row) const override;
    void SetRemoved(std::size_t row) override;
    void SetSubItem1ForeColor(std::size_t row, std::uint32_t color) override;

    std::optional<std::size_t> SelectedItem() const override;
    void SetToolTipText(const std::string& text) override { toolTipText_ = text; }

    // What a user does and sees.
    void SetSelected(std::size_t row, bool selected);
    const std::vector<Row>& Rows() const { return rows_; }
    const std::vector<std::string>& Columns() const { return columns_; }
    bool FullRowSelect() const { return fullRowSelect_; }
    bool MultiSelect() const { return multiSelect_; }
    int View() const { return view_; }
    const std::string& ToolTipText() const { return toolTipText_; }

  private:
    std::vector<Row> rows_;
    std::vector<std::string> columns_;
    std::optional<std::size_t> focused_;
    bool fullRowSelect_ = false;
    bool multiSelect_ = false;
    int view_ = 0;
    std::string toolTipText_;
};
