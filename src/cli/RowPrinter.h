#pragma once

#include "platform/ResultList.h"

#include <cstdio>
#include <string>

// A result list that keeps no rows: each row is written out as soon as its path is set,
// as its number, a tab, the path and the terminator. Output is buffered in large blocks,
// or flushed row by row for a reader watching a terminal.
class RowPrinter : public ResultList {
  public:
    RowPrinter(std::FILE* out, char terminator, bool flushEachRow)
        : out_(out), terminator_(terminator), flushEachRow_(flushEachRow) {}
    ~RowPrinter() override { Flush(); }
    RowPrinter(const RowPrinter&) = delete;
    RowPrinter& operator=(const RowPrinter&) = delete;

    // Writes what is buffered; false once any write has failed.
    bool Flush();
    bool Failed() const { return failed_; }

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
    static constexpr std::size_t BlockSize = 64 * 1024;

    std::FILE* out_;
    char terminator_;
    bool flushEachRow_;
    std::size_t rows_ = 0;
    std::string lastRowText_;
    std::string buffer_;
    bool failed_ = false;
};
