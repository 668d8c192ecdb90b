#pragma once

#include "cli/RecordWriter.h"
#include "platform/ResultList.h"

#include <string>

// A result list that keeps no rows: each row is written out as soon as its path is set,
// as its number, a tab and the path, one record each; a row marked as holding junk files
// gets a third field, a tab and "junk".
class RowPrinter : public ResultList {
  public:
    RowPrinter(ConsoleStream out, char terminator) : records_(out, terminator) {}

    bool Flush() { return records_.Flush(); }
    bool Failed() const { return records_.Failed(); }
    // Printed before each path: ROOT's full path and a separator, for --absolute.
    void PrefixPaths(std::string prefix) { prefix_ = std::move(prefix); }
    // Marks the next row added.
    void MarkNextRowJunk(bool holdsJunk) { nextRowJunk_ = holdsJunk; }

    std::size_t RowCount() const override { return rows_; }
    void AddRow(const std::string& text) override;
    void SetSubItem1Text(std::size_t row, const std::string& text) override;

    // A printed row cannot be read back, selected or marked.
    void SetFullRowSelect(bool) override {}
    void SetMultiSelect(bool) override {}
    void SetView(int) override {}
    void ClearColumns() override {}
    void AddColumn(const std::string&) override {}
    void ClearRows() override {}
    std::string SubItem1Text(std::size_t) const override { return {}; }
    bool IsSelected(std::size_t) const override { return false; }
    bool IsRemoved(std::size_t) const override { return false; }
    void SetRemoved(std::size_t) override {}
    void SetSubItem1ForeColor(std::size_t, std::uint32_t) override {}
    std::optional<std::size_t> SelectedItem() const override { return std::nullopt; }
    void SetToolTipText(const std::string&) override {}

  private:
    RecordWriter records_;
    std::size_t rows_ = 0;
    std::string lastRowText_;
    std::string prefix_;
    bool nextRowJunk_ = false;
    bool lastRowJunk_ = false;
};
