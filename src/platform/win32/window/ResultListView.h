#pragma once

#include "platform/ResultRows.h"
#include "platform/win32/window/Control.h"
#include "platform/win32/window/ToolTip.h"

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace win32 {

// The result list: a comctl32 list view in virtual mode (LVS_OWNERDATA). The rows live in
// ResultRows and the control asks for what it shows, so tens of thousands of rows cost no
// more than a vector. The selection and the focus are the control's own, by position; a new
// order moves them with their rows. onClick runs on NM_CLICK, onColumnClick on a click on a
// column's header, onKeyDown on a key pressed in the list (the virtual-key code and the
// shift mask: 1 Shift, 2 Ctrl, 4 Alt), onContextMenu on WM_CONTEXTMENU (in screen
// coordinates; from the keyboard, below the focused row).
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
    bool AnySelected() const override;
    void SelectAll() override;
    std::optional<std::size_t> SelectedItem() const override;
    void SetToolTipText(const std::string& text) override;

    bool OnNotify(NMHDR& header, LRESULT& result) override;
    // Shows the rows added since the control was last told, now.
    void ShowAddedRows() { SyncItemCount(); }

    std::function<void()> onClick;
    std::function<void(int column)> onColumnClick;
    std::function<bool(int keyCode, int shift)> onKeyDown;
    std::function<void(POINT screen)> onContextMenu;

  private:
    void RowChanged(std::size_t row) override;
    void RowsReordering() override;
    void RowsReordered(const std::vector<std::size_t>& oldOrder, int sortColumn,
                       bool ascending) override;
    void SetSortIndicator(int sortColumn, bool ascending);
    void ShowContextMenu(LPARAM where);
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Tells the control how many rows there are. Appends are batched: a timer brings the
    // control up to date a few times a second, however many rows were added in between.
    void SyncItemCount() const;
    void FillLastColumn();
    void GetDisplayInfo(LVITEMW& item) const;
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;

    mutable std::size_t controlCount_ = 0;
    mutable bool syncPending_ = false;
    // Between the list's pre-paint and post-paint: the path asked for is drawn, and so
    // elided to its column's width.
    mutable bool painting_ = false;
    // The selected rows and the focused one while the order changes.
    std::vector<std::size_t> selectedRows_;
    std::optional<std::size_t> focusedRow_;
    bool allSelected_ = false;
    // While FillLastColumn sets the path column's width, whose change the header reports.
    bool fillingLastColumn_ = false;
    ToolTip toolTip_;
};

// A colour in the control's encoding as a COLORREF: the high bit set names a system
// colour by its index in the low bits, anything else is a BGR value.
COLORREF ColorRefFromCode(std::uint32_t code);

} // namespace win32
