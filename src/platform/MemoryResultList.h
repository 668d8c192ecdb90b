#pragma once

#include "platform/ResultRows.h"

#include <string>
#include <vector>

// A result list held in memory, with no window: for running the window's logic without one.
// Selection is set by the caller, as a user's clicks would set it.
class MemoryResultList : public ResultRows {
  public:
    // With no window there are no looks to keep.
    void SetFullRowSelect(bool /*fullRowSelect*/) override {}
    void SetMultiSelect(bool /*multiSelect*/) override {}
    void SetView(int /*view*/) override {}
    void ClearColumns() override {}
    void AddColumn(const std::string& /*text*/) override {}

    void ClearRows() override;
    void AddRow(const std::string& text) override;
    bool IsSelected(std::size_t row) const override;
    std::optional<std::size_t> SelectedItem() const override;
    void SetToolTipText(const std::string& text) override { toolTipText_ = text; }

    // What a user does and sees.
    void SetSelected(std::size_t row, bool selected);
    const std::string& ToolTipText() const { return toolTipText_; }

  private:
    std::vector<bool> selected_; // one for each row
    std::optional<std::size_t> focused_;
    std::string toolTipText_;
};
