#include "platform/win32/window/ResultListView.h"

#include "platform/win32/Utf.h"

#include <commctrl.h>

namespace win32 {

namespace {

// Telling the control its new row count costs time in proportion to the rows (under Wine
// about 10 ms at 45,000 rows), so a scan's appends reach it at most this often.
constexpr UINT_PTR SyncCountTimer = 1;
constexpr UINT SyncCountMilliseconds = 250;
// A column added without a width gets the width the control's programming model gives
// it: one inch.
constexpr int DefaultColumnTwips = 1440;
constexpr int PathColumn = 1;

int ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void SetStyleBits(HWND window, LONG_PTR mask, LONG_PTR bits) {
    LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    LONG_PTR changed = (style & ~mask) | (bits & mask);
    if (changed != style) {
        ::SetWindowLongPtrW(window, GWL_STYLE, changed);
    }
}

} // namespace

COLORREF ColorRefFromCode(std::uint32_t code) {
    if (code & 0x80000000u) {
        return ::GetSysColor(static_cast<int>(code & 0xFFu));
    }
    return static_cast<COLORREF>(code & 0xFFFFFFu);
}

bool ResultListView::Create(const CreateArgs& args) {
    // Created as the control starts out (icon view, one row selectable at a time); the
    // window's start-up chooses report view, multi-select and full-row select.
    if (!CreateChild(args, WC_LISTVIEWW,
                     WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                     WS_EX_CLIENTEDGE) ||
        !Subclass()) {
        return false;
    }
    ::SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
    return toolTip_.Create(args.parent, hwnd_);
}

void ResultListView::SetFullRowSelect(bool fullRowSelect) {
    ::SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                   fullRowSelect ? LVS_EX_FULLROWSELECT : 0);
}

void ResultListView::SetMultiSelect(bool multiSelect) {
    SetStyleBits(hwnd_, LVS_SINGLESEL, multiSelect ? 0 : LVS_SINGLESEL);
}

void ResultListView::SetView(int view) {
    static constexpr LONG_PTR Views[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    if (view >= 0 && view < 4) {
        SetStyleBits(hwnd_, LVS_TYPEMASK, Views[view]);
        FillLastColumn();
    }
}

void ResultListView::ClearColumns() {
    while (::SendMessageW(hwnd_, LVM_DELETECOLUMN, 0, 0)) {
    }
}

void ResultListView::AddColumn(const std::string& text) {
    std::wstring wide = WideFromUtf8(text);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = wide.data();
    column.cx = PixelsFromTwips(DefaultColumnTwips, WindowDpi(hwnd_));
    int index = ColumnCount(hwnd_);
    ::SendMessageW(hwnd_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    FillLastColumn();
}

// The last column (the folder path) takes the width that the others leave, less a
// vertical scroll bar, so that paths are readable without scrolling sideways.
void ResultListView::FillLastColumn() {
    int count = ColumnCount(hwnd_);
    if (count < 2) {
        return;
    }
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    int used = 0;
    for (int column = 0; column + 1 < count; ++column) {
        used += static_cast<int>(::SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, column, 0));
    }
    int width = client.right - used - ::GetSystemMetrics(SM_CXVSCROLL);
    if (width > 0) {
        ::SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, count - 1, MAKELPARAM(width, 0));
    }
}

void ResultListView::ClearRows() {
    ResultRows::ClearRows();
    // Also forgets the selection and the focus, which belong to the old rows.
    ::SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
    controlCount_ = 0;
}

void ResultListView::AddRow(const std::string& text) {
    ResultRows::AddRow(text);
    if (!syncPending_) {
        syncPending_ = ::SetTimer(hwnd_, SyncCountTimer, SyncCountMilliseconds, nullptr) != 0;
    }
}

// A row not yet shown is drawn as it is when the control is told of it.
void ResultListView::RowChanged(std::size_t row) {
    if (row < controlCount_) {
        ::SendMessageW(hwnd_, LVM_REDRAWITEMS, row, row);
    }
}

bool ResultListView::IsSelected(std::size_t row) const {
    SyncItemCount();
    return (::SendMessageW(hwnd_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

std::optional<std::size_t> ResultListView::SelectedItem() const {
    SyncItemCount();
    // The focused row, and only when it is selected: a selection without the focus on one
    // of its rows has no selected item.
    LRESULT row = ::SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                 LVNI_FOCUSED | LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= RowCount()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(row);
}

void ResultListView::SetToolTipText(const std::string& text) {
    toolTip_.SetText(text);
}

void ResultListView::SyncItemCount() const {
    if (syncPending_) {
        ::KillTimer(hwnd_, SyncCountTimer);
        syncPending_ = false;
    }
    if (controlCount_ == RowCount()) {
        return;
    }
    ::SendMessageW(hwnd_, LVM_SETITEMCOUNT, RowCount(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    controlCount_ = RowCount();
}

bool ResultListView::OnNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case LVN_GETDISPINFOW:
        GetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
        result = 0;
        return true;
    case NM_CUSTOMDRAW:
        result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
        return true;
    case NM_CLICK:
        if (onClick) {
            onClick();
        }
        result = 0;
        return true;
    default:
        return false;
    }
}

void ResultListView::GetDisplayInfo(LVITEMW& item) const {
    if (!(item.mask & LVIF_TEXT) || item.iItem < 0 ||
        static_cast<std::size_t>(item.iItem) >= RowCount() || !item.pszText ||
        item.cchTextMax <= 0) {
        return;
    }
    const Row& row = Rows()[static_cast<std::size_t>(item.iItem)];
    const std::wstring text = item.iSubItem == 0            ? WideFromUtf8(row.text)
                              : item.iSubItem == PathColumn ? WideFromUtf8(row.subItem1)
                                                            : std::wstring();
    ::lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

LRESULT ResultListView::CustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        std::size_t row = draw.nmcd.dwItemSpec;
        // The colour given for one cell would stay for the next ones: set every cell's.
        draw.clrText = CLR_DEFAULT;
        if (draw.iSubItem == PathColumn && row < RowCount() && Rows()[row].subItem1ForeColor) {
            draw.clrText = ColorRefFromCode(*Rows()[row].subItem1ForeColor);
        }
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

bool ResultListView::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_TIMER || wParam != SyncCountTimer) {
        return false;
    }
    SyncItemCount();
    result = 0;
    return true;
}

} // namespace win32
