#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The result list control: the Win32 list view, the Qt list model, or an in-memory list.
// Rows are counted from 0 here.
class ResultList {
  public:
    virtual ~ResultList() = default;

    // Set-up at start-up.
    virtual void SetFullRowSelect(bool fullRowSelect) = 0;
    virtual void SetMultiSelect(bool multiSelect) = 0;
    virtual void SetView(int view) = 0; // 3: report
    virtual void ClearColumns() = 0;
    virtual void AddColumn(const std::string& text) = 0;

    // Rows.
    virtual std::size_t RowCount() const = 0;
    virtual void ClearRows() = 0;
    // Appends a row with `text` in the first column and the Removed mark false.
    virtual void AddRow(const std::string& text) = 0;
    virtual void SetSubItem1Text(std::size_t row, const std::string& text) = 0;
    // The first column's text: the row's number.
    virtual std::string RowText(std::size_t row) const = 0;
    virtual std::string SubItem1Text(std::size_t row) const = 0;

    virtual bool IsSelected(std::size_t row) const = 0;
    virtual bool AnySelected() const = 0;
    virtual void SelectAll() = 0;
    virtual bool IsRemoved(std::size_t row) const = 0;
    virtual void SetRemoved(std::size_t row) = 0;
    // `color` in the control's encoding: the high bit set names a system colour by index.
    virtual void SetSubItem1ForeColor(std::size_t row, std::uint32_t color) = 0;

    // The focused selected row (SelectedItem), if any.
    virtual std::optional<std::size_t> SelectedItem() const = 0;
    virtual void SetToolTipText(const std::string& text) = 0;

    // The order rows are shown in; rows keep their indexes, numbers, marks and selection.
    // `order` holds a row for each position, from the top; empty: the order they were added
    // in. The header of `sortColumn` shows the direction (-1: no header does). Clearing the
    // rows goes back to the order of adding, without a sorted column.
    virtual void SetRowOrder(std::vector<std::size_t> order, int sortColumn, bool ascending) = 0;
    virtual std::size_t RowAtPosition(std::size_t position) const = 0;
};

// The system colour of inactive captions' text, drawn on the path of a removed row.
inline constexpr std::uint32_t RemovedRowColor = 0x80000013;
