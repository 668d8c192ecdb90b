#pragma once

#include "platform/ResultRows.h"
#include "platform/win32/window/Control.h"
#include "platform/win32/window/ToolTip.h"

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace win32 {

// The result list: a comctl32 list view in virtual mode (LVS_OWNERDATA). The rows live in
// ResultRows and the control asks for what it shows, so tens of thousands of rows cost no
// more than a vector. The selection and the focus are the control's own. onClick runs on
// NM_CLICK.
class ResultListView final : public Control, public ResultRows {
  public:
    bool Create(const CreateArgs& args);

    void SetFullRowSelect(bool fullRowSelect) override;
    void SetMultiSelect(bool multiSelect) override;
    void SetView(int view) override;
    void ClearColumns() override;
    void AddColumn(const std::string& text) override;

    void ClearRows() override;
    void AddRow(const std::string& text) override;
    bool IsSelected(std::size_t row) const override;
    std::optional<std::size_t> SelectedItem() const override;
    void SetToolTipText(const std::string& text) override;

    bool OnNotify(NMHDR& header, LRESULT& result) override;
    // Shows the rows added since the control was last told, now.
    void ShowAddedRows() { SyncItemCount(); }

    std::function<void()> onClick;

  private:
    void RowChanged(std::size_t row) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Tells the control how many rows there are. Appends are batched: a timer brings the
    // control up to date a few times a second, however many rows were added in between.
    void SyncItemCount() const;
    void FillLastColumn();
    void GetDisplayInfo(LVITEMW& item) const;
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;

    mutable std::size_t controlCount_ = 0;
    mutable bool syncPending_ = false;
    ToolTip toolTip_;
};

// A colour in the control's encoding as a COLORREF: the high bit set names a system
// colour by its index in the low bits, anything else is a BGR value.
COLORREF ColorRefFromCode(std::uint32_t code);

} // namespace win32
