#pragma once

#include "platform/ResultList.h"

#include <optional>
#include <vector>

// A result list that keeps its own rows: the number, the path, the Removed mark and the
// path's colour, as the window's logic writes them, and the order they are shown in. A list
// control draws them from here; the selection, the columns and the looks stay the control's.
// A row out of range throws std::out_of_range: the logic only names rows it added.
class ResultRows : public ResultList {
  public:
    struct Row {
        std::string text;
        std::string subItem1;
        bool removed = false;
        std::optional<std::uint32_t> subItem1ForeColor; // none: the control's own colour
    };

    std::size_t RowCount() const final { return rows_.size(); }
    void ClearRows() override;
    void AddRow(const std::string& text) override;
    void SetSubItem1Text(std::size_t row, const std::string& text) final;
    std::string SubItem1Text(std::size_t row) const final { return rows_.at(row).subItem1; }
    std::string RowText(std::size_t row) const final { return rows_.at(row).text; }
    bool IsRemoved(std::size_t row) const final { return rows_.at(row).removed; }
    void SetRemoved(std::size_t row) final { rows_.at(row).removed = true; }
    void SetSubItem1ForeColor(std::size_t row, std::uint32_t color) final;

    // Throws std::invalid_argument unless `order` is empty or names each row once.
    void SetRowOrder(std::vector<std::size_t> order, int sortColumn, bool ascending) final;
    std::size_t RowAtPosition(std::size_t position) const final {
        return order_.empty() ? position : order_.at(position);
    }
    std::size_t PositionOfRow(std::size_t row) const {
        return positions_.empty() ? row : positions_.at(row);
    }

    const std::vector<Row>& Rows() const { return rows_; }

  protected:
    // A row's path or its colour has changed: a control draws it again.
    virtual void RowChanged(std::size_t /*row*/) {}
    // Around a change of order: a control moves its selection and focus with the rows (the
    // row that was at position p is oldOrder[p], or p when oldOrder is empty) and shows
    // the sorted column.
    virtual void RowsReordering() {}
    virtual void RowsReordered(const std::vector<std::size_t>& /*oldOrder*/, int /*sortColumn*/,
                               bool /*ascending*/) {}

  private:
    std::vector<Row> rows_;
    std::vector<std::size_t> order_;     // position -> row; empty: the order of adding
    std::vector<std::size_t> positions_; // row -> position; empty likewise
};
