// The virtual result list on the real comctl32 list view: rows read back through the
// control, selection from the control, the Removed mark, the dimmed path, the tooltip.
#include "platform/win32/window/MainWindow.h"
#include "win32/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <string>

namespace {

class Win32ResultList : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create({"C:\\app", false}));
        window.Show();
        // As the window's start-up sets the list up.
        list.SetFullRowSelect(true);
        list.ClearColumns();
        list.AddColumn("No.");
        list.AddColumn("Folder Path");
        list.SetView(3);
        list.SetMultiSelect(true);
    }

    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            list.AddRow(std::to_string(list.RowCount()));
            list.SetSubItem1Text(list.RowCount() - 1, "folder\\" + std::to_string(i));
        }
    }

    void Select(int row, bool selected, bool focused = false) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | (focused ? LVIS_FOCUSED : 0);
        item.state = (selected ? LVIS_SELECTED : 0) | (focused ? LVIS_FOCUSED : 0);
        ::SendMessageW(hwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

    int ControlItemCount() {
        return static_cast<int>(::SendMessageW(hwnd(), LVM_GETITEMCOUNT, 0, 0));
    }
    HWND hwnd() { return list.Hwnd(); }

    Win32TestEnvironment environment;
    win32::MainWindow window;
    win32::ResultListView& list = window.ListView1;
};

TEST_F(Win32ResultList, RowsAreShownByTheControlOnceTheEventsHaveRun) {
    AddRows(3);
    list.AddRow("3");
    list.SetSubItem1Text(3, "caf\xc3\xa9\\\xe6\x97\xa5");
    EXPECT_EQ(list.RowCount(), 4u);
    ASSERT_TRUE(PumpUntil([&] { return ControlItemCount() == 4; }));
    EXPECT_EQ(ListViewCellText(hwnd(), 0, 0), "0");
    EXPECT_EQ(ListViewCellText(hwnd(), 2, 1), "folder\\2");
    EXPECT_EQ(ListViewCellText(hwnd(), 3, 1), "caf\xc3\xa9\\\xe6\x97\xa5");
    EXPECT_EQ(list.SubItem1Text(3), "caf\xc3\xa9\\\xe6\x97\xa5");

    list.ClearRows();
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_EQ(ControlItemCount(), 0);
}

TEST_F(Win32ResultList, SelectionComesFromTheControlAndIsApartFromTheRemovedMark) {
    AddRows(5);
    EXPECT_FALSE(list.SelectedItem());
    Select(1, true);
    EXPECT_FALSE(list.SelectedItem()); // selected, but the focus is on no row
    Select(3, true, true);
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(list.IsSelected(row), row == 1 || row == 3) << row;
        EXPECT_FALSE(list.IsRemoved(row)) << row;
    }
    EXPECT_EQ(list.SelectedItem(), 3u); // the focused one
    // Regression: with the focus on a row that is not selected, the first selected row was
    // taken; there is no selected item then, though row 1 stays selected.
    Select(3, false);
    EXPECT_TRUE(list.IsSelected(1));
    EXPECT_FALSE(list.SelectedItem());

    list.SetRemoved(1);
    EXPECT_TRUE(list.IsRemoved(1));
    EXPECT_TRUE(list.IsSelected(1));
    Select(1, false);
    EXPECT_TRUE(list.IsRemoved(1));

    // A new search starts with nothing selected and nothing removed.
    list.ClearRows();
    AddRows(2);
    EXPECT_FALSE(list.IsSelected(1));
    EXPECT_FALSE(list.IsRemoved(1));
    EXPECT_FALSE(list.SelectedItem());
}

TEST_F(Win32ResultList, DrawsTheRemovedRowsPathInTheInactiveCaptionTextColour) {
    EXPECT_EQ(win32::ColorRefFromCode(0x80000013), ::GetSysColor(COLOR_INACTIVECAPTIONTEXT));
    EXPECT_EQ(win32::ColorRefFromCode(0x800000FF & 0x80000005), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(win32::ColorRefFromCode(0x0000FF), RGB(255, 0, 0));

    AddRows(2);
    list.SetSubItem1ForeColor(1, RemovedRowColor);
    auto drawnColour = [&](int row, int column) {
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr.hwndFrom = hwnd();
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        draw.iSubItem = column;
        draw.clrText = RGB(1, 2, 3); // left over from the previous cell
        LRESULT result =
            ::SendMessageW(window.Hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(result, CDRF_NEWFONT);
        return draw.clrText;
    };
    EXPECT_EQ(drawnColour(1, 1), ::GetSysColor(COLOR_INACTIVECAPTIONTEXT));
    EXPECT_EQ(drawnColour(1, 0), CLR_DEFAULT);
    EXPECT_EQ(drawnColour(0, 1), CLR_DEFAULT);
}

TEST_F(Win32ResultList, AMouseClickOnARowSelectsItAndRaisesTheClick) {
    AddRows(3);
    ASSERT_TRUE(PumpUntil([&] { return ControlItemCount() == 3; }));
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    RECT cell{};
    cell.top = 1;
    cell.left = LVIR_BOUNDS;
    ASSERT_TRUE(::SendMessageW(hwnd(), LVM_GETSUBITEMRECT, 2, reinterpret_cast<LPARAM>(&cell)));
    LPARAM point = MAKELPARAM(cell.left + 5, (cell.top + cell.bottom) / 2);
    ::SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendMessageW(hwnd(), WM_LBUTTONUP, 0, point);
    ASSERT_TRUE(PumpUntil([&] { return clicks > 0; }));
    EXPECT_TRUE(list.IsSelected(2));
    EXPECT_EQ(list.SelectedItem(), 2u);
}

} // namespace
