#include "platform/win32/window/ResultListView.h"

#include "platform/win32/Utf.h"

#include <commctrl.h>

#include <vector>

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

// The shift keys held now, as a mask: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftMask() {
    auto down = [](int key) { return (::GetKeyState(key) & 0x8000) != 0; };
    return (down(VK_SHIFT) ? 1 : 0) | (down(VK_CONTROL) ? 2 : 0) | (down(VK_MENU) ? 4 : 0);
}

// `text` as it fits into `width` pixels in the list's font, the ellipsis before its last
// name ("Photos\2019\...\Wedding"), so that the folder of the row stays readable.
std::wstring ElidedPath(HWND list, const std::wstring& text, int width) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!dc) {
        return text;
    }
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(list, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    // DT_MODIFYSTRING writes the shortened text back, up to four characters longer.
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 5, L'\0');
    RECT room{0, 0, width, 0x4000};
    ::DrawTextW(dc, buffer.data(), static_cast<int>(text.size()), &room,
                DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_MODIFYSTRING);
    if (oldFont) {
        ::SelectObject(dc, oldFont);
    }
    ::DeleteDC(dc);
    return std::wstring(buffer.data());
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
    SetSortIndicator(-1, true);
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
    const std::size_t position = PositionOfRow(row);
    if (position < controlCount_) {
        ::SendMessageW(hwnd_, LVM_REDRAWITEMS, position, position);
    }
}

bool ResultListView::IsSelected(std::size_t row) const {
    SyncItemCount();
    return (::SendMessageW(hwnd_, LVM_GETITEMSTATE, PositionOfRow(row), LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}

bool ResultListView::AnySelected() const {
    SyncItemCount();
    return ::SendMessageW(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
}

// Item -1 stands for every item.
void ResultListView::SelectAll() {
    SyncItemCount();
    ListView_SetItemState(hwnd_, -1, LVIS_SELECTED, LVIS_SELECTED);
}

// The control keeps its selection by position: it is read by row before the order changes
// and set again at the rows' new positions after.
void ResultListView::RowsReordering() {
    SyncItemCount();
    selectedRows_.clear();
    focusedRow_.reset();
    const auto selected =
        static_cast<std::size_t>(::SendMessageW(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0));
    allSelected_ = selected > 0 && selected == RowCount();
    if (!allSelected_) {
        selectedRows_.reserve(selected);
        for (LRESULT position = -1;
             (position = ::SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(position),
                                        LVNI_SELECTED)) >= 0;) {
            selectedRows_.push_back(RowAtPosition(static_cast<std::size_t>(position)));
        }
    }
    LRESULT focused = ::SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    if (focused >= 0 && static_cast<std::size_t>(focused) < RowCount()) {
        focusedRow_ = RowAtPosition(static_cast<std::size_t>(focused));
    }
}

void ResultListView::RowsReordered(const std::vector<std::size_t>&, int sortColumn,
                                   bool ascending) {
    // Every row selected stays so without naming each.
    ListView_SetItemState(hwnd_, -1, allSelected_ ? LVIS_SELECTED : 0,
                          LVIS_SELECTED | LVIS_FOCUSED);
    if (!allSelected_) {
        for (std::size_t row : selectedRows_) {
            ListView_SetItemState(hwnd_, static_cast<int>(PositionOfRow(row)), LVIS_SELECTED,
                                  LVIS_SELECTED);
        }
    }
    if (focusedRow_) {
        const int position = static_cast<int>(PositionOfRow(*focusedRow_));
        ListView_SetItemState(hwnd_, position, LVIS_FOCUSED, LVIS_FOCUSED);
        ListView_EnsureVisible(hwnd_, position, FALSE);
    }
    selectedRows_.clear();
    focusedRow_.reset();
    SetSortIndicator(sortColumn, ascending);
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

// The header's arrow on the sorted column only.
void ResultListView::SetSortIndicator(int sortColumn, bool ascending) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
    const int columns = ColumnCount(hwnd_);
    for (int column = 0; header && column < columns; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!::SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item))) {
            continue;
        }
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == sortColumn) {
            item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        }
        ::SendMessageW(header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
    }
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
    return RowAtPosition(static_cast<std::size_t>(row));
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
    case LVN_COLUMNCLICK:
        if (onColumnClick) {
            onColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
        }
        result = 0;
        return true;
    case LVN_KEYDOWN:
        if (onKeyDown) {
            onKeyDown(reinterpret_cast<NMLVKEYDOWN&>(header).wVKey, ShiftMask());
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
    const Row& row = Rows()[RowAtPosition(static_cast<std::size_t>(item.iItem))];
    std::wstring text = item.iSubItem == 0            ? WideFromUtf8(row.text)
                        : item.iSubItem == PathColumn ? WideFromUtf8(row.subItem1)
                                                      : std::wstring();
    if (painting_ && item.iSubItem == PathColumn) {
        // The control's own margins around a cell's text, at the list's DPI.
        const int margins = PixelsFromTwips(180, WindowDpi(hwnd_));
        const int width =
            static_cast<int>(::SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, PathColumn, 0)) - margins;
        text = ElidedPath(hwnd_, text, width);
    }
    ::lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

LRESULT ResultListView::CustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        painting_ = true;
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_POSTPAINT:
        painting_ = false;
        return CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const std::size_t position = draw.nmcd.dwItemSpec;
        const std::size_t row = position < RowCount() ? RowAtPosition(position) : position;
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

bool ResultListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_TIMER:
        if (wParam != SyncCountTimer) {
            return false;
        }
        SyncItemCount();
        result = 0;
        return true;
    case WM_SIZE:
        // The path column follows the list's width.
        result = ::DefSubclassProc(hwnd_, message, wParam, lParam);
        FillLastColumn();
        return true;
    case WM_NOTIFY: {
        // And the number column's width, when the user drags its edge.
        const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        result = ::DefSubclassProc(hwnd_, message, wParam, lParam);
        if ((code == HDN_ITEMCHANGEDW || code == HDN_ITEMCHANGEDA) && !fillingLastColumn_) {
            fillingLastColumn_ = true;
            FillLastColumn();
            fillingLastColumn_ = false;
        }
        return true;
    }
    case WM_CONTEXTMENU:
        ShowContextMenu(lParam);
        result = 0;
        return true;
    default:
        return false;
    }
}

// From the keyboard (lParam -1) the menu opens below the focused row, or at the list's
// top-left corner.
void ResultListView::ShowContextMenu(LPARAM where) {
    if (!onContextMenu) {
        return;
    }
    POINT point{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    if (where == -1) {
        point = POINT{0, 0};
        SyncItemCount();
        LRESULT focused =
            ::SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        if (focused >= 0 && ::SendMessageW(hwnd_, LVM_GETITEMRECT, static_cast<WPARAM>(focused),
                                           reinterpret_cast<LPARAM>(&bounds))) {
            point = POINT{bounds.left, bounds.bottom};
        }
        ::ClientToScreen(hwnd_, &point);
    }
    onContextMenu(point);
}

} // namespace win32
