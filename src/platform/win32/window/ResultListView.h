#pragma once

#include "platform/ResultList.h"
#include "platform/win32/window/Control.h"
#include "platform/win32/window/ToolTip.h"

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace win32 {

// The result list: a comctl32 list view in virtual mode (LVS_OWNERDATA). The rows' texts,
// Removed marks and colours live here and the control asks for what it shows, so tens of
// thousands of rows cost no more than a vector. The selection and the focus are the
// control's own. onClick runs on NM_CLICK.
class ResultListView final : public Control, public ResultList {
  public:
    struct CreateArgs {
        HWND parent = nullptr;
        TwipsRect position;
        HFONT font = nullptr;
    };
    bool Create(const CreateArgs& args);

    void SetFullRowSelect(bool fullRowSelect) override;
    void SetMultiSelect(bool multiSelect) override;
    void SetView(int view) override;
    void ClearColumns() override;
    void AddColumn(const std::string& text) override;

    std::size_t RowCount() const override;
    void ClearRows() override;
    void AddRow(const std::string& text) override;
    void SetSubItem1Text(std::size_t row, const std::string& text) override;
    std::string SubItem1Text(std::size_t row) const override;

    bool IsSelected(std::size_t row) const override;
    bool IsRemoved(std::size_t row) const override;
    void SetRemoved(std::size_t row) override;
    void SetSubItem1ForeColor(std::size_t row, std::uint32_t color) override;

    std::optional<std::size_t> SelectedItem() const override;
    void SetToolTipText(const std::string& text) override;
    std::string ToolTipText() const { return toolTip_.Text(); }

    bool OnNotify(NMHDR& header, LRESULT& result) override;
    // Shows the rows added since the control was last told, now.
    void ShowAddedRows() { SyncItemCount(); }

    std::function<void()> onClick;

  private:
    struct Row {
        std::wstring number;
        std::wstring path;
        bool removed = false;
        std::optional<std::uint32_t> pathColor;
    };

    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    // Tells the control how many rows there are. Appends are batched: a timer brings the
    // control up to date a few times a second, however many rows were added in between.
    void SyncItemCount() const;
    void FillLastColumn();
    void GetDisplayInfo(LVITEMW& item) const;
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;

    std::vector<Row> rows_;
    mutable std::size_t controlCount_ = 0;
    mutable bool syncPending_ = false;
    ToolTip toolTip_;
};

// A colour in the control's encoding as a COLORREF: the high bit set names a system
// colour by its index in the low bits, anything else is a BGR value.
COLORREF ColorRefFromCode(std::uint32_t code);

} // namespace win32
