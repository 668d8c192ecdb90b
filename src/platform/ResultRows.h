#pragma once

#include "platform/ResultList.h"

#include <optional>
#include <vector>

// A result list that keeps its own rows: the number, the path, the Removed mark and the
// path's colour, as the window's logic writes them. A list control draws them from here;
// the selection, the columns and the looks stay the control's. A row out of range throws
// std::out_of_range: the logic only names rows it added.
class ResultRows : public ResultList {
  public:
    struct Row {
        std::string text;
        std::string subItem1;
        bool removed = false;
        std::optional<std::uint32_t> subItem1ForeColor; // none: the control's own colour
    };

    std::size_t RowCount() const final { return rows_.size(); }
    void ClearRows() override { rows_.clear(); }
    void AddRow(const std::string& text) override { rows_.push_back(Row{text, {}, false, {}}); }
    void SetSubItem1Text(std::size_t row, const std::string& text) final;
    std::string SubItem1Text(std::size_t row) const final { return rows_.at(row).subItem1; }
    bool IsRemoved(std::size_t row) const final { return rows_.at(row).removed; }
    void SetRemoved(std::size_t row) final { rows_.at(row).removed = true; }
    void SetSubItem1ForeColor(std::size_t row, std::uint32_t color) final;

    const std::vector<Row>& Rows() const { return rows_; }

  protected:
    // A row's path or its colour has changed: a control draws it again.
    virtual void RowChanged(std::size_t /*row*/) {}

  private:
    std::vector<Row> rows_;
};
