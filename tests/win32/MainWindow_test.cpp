// The Win32 window's layout, tab order, pointer and close protocol, on the real window.
#include "platform/win32/window/MainWindow.h"
#include "platform/win32/Utf.h"
#include "win32/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using win32::MainWindow;
using win32::PixelsFromTwips;

class Win32MainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create({"C:\\app", false}));
        window.Show();
        dpi = win32::WindowDpi(window.Hwnd());
    }

    RECT ClientRectOf(HWND control) const {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, window.Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    Win32TestEnvironment environment;
    MainWindow window;
    int dpi = 96;
};

TEST(TwipsConversion, RoundsToTheNearestPixelAtTheDpi) {
    struct Case {
        int twips, dpi, pixels;
    } cases[] = {{1440, 96, 96}, {9645, 96, 643},  {4950, 96, 330}, {255, 96, 17}, {270, 96, 18},
                 {120, 96, 8},   {1440, 144, 144}, {375, 120, 31},  {0, 96, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(PixelsFromTwips(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
    }
}

TEST_F(Win32MainWindow, PlacesTheControlsInTabOrderAtTheirTwipsPositions) {
    struct Expected {
        std::string text;
        int left, top, width, height;
        bool tabStop;
    } expected[] = {
        {"Root Folder", 120, 240, 1095, 255, false},
        {"Text1", 1200, 240, 8175, 270, true},
        {"Find", 6960, 600, 1095, 375, true},
        {"", 120, 1080, 9495, 3735, true},
        {"Remove", 8280, 600, 1095, 375, true},
        {"Delete Read Only Folder", 240, 720, 3375, 255, true},
    };
    HWND child = ::GetWindow(window.Hwnd(), GW_CHILD);
    for (const Expected& e : expected) {
        ASSERT_NE(child, nullptr) << e.text;
        EXPECT_EQ(win32::WindowTextUtf8(child), e.text);
        RECT rect = ClientRectOf(child);
        EXPECT_EQ(rect.left, PixelsFromTwips(e.left, dpi)) << e.text;
        EXPECT_EQ(rect.top, PixelsFromTwips(e.top, dpi)) << e.text;
        EXPECT_EQ(rect.right - rect.left, PixelsFromTwips(e.width, dpi)) << e.text;
        EXPECT_EQ(rect.bottom - rect.top, PixelsFromTwips(e.height, dpi)) << e.text;
        EXPECT_EQ((::GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) != 0, e.tabStop) << e.text;
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    // The tab key walks the same order and wraps round.
    std::vector<HWND> order = {window.txtFolder.Hwnd(),   window.cmdFind.Hwnd(),
                               window.ListView1.Hwnd(),   window.cmdRemove.Hwnd(),
                               window.chkReadOnly.Hwnd(), window.txtFolder.Hwnd()};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_EQ(::GetNextDlgTabItem(window.Hwnd(), order[i], FALSE), order[i + 1]) << i;
    }
}

TEST_F(Win32MainWindow, ShowsTheArrowWithHourglassOnlyWhileThePointerIs13) {
    HCURSOR busy = ::LoadCursorW(nullptr, IDC_APPSTARTING);
    auto setCursor = [&](HWND over) {
        return ::SendMessageW(window.Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(over),
                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    window.SetMousePointer(13);
    ::SetCursor(nullptr);
    EXPECT_TRUE(setCursor(window.ListView1.Hwnd()));
    EXPECT_EQ(::GetCursor(), busy);

    window.SetMousePointer(0);
    ::SetCursor(nullptr);
    setCursor(window.Hwnd());
    EXPECT_NE(::GetCursor(), busy);
}

// Every call runs what is pending, however soon after the last: Remove pumps after each
// row so that a Stop is noticed within one row.
TEST_F(Win32MainWindow, DoEventsRunsPendingMessagesAndLeavesWmQuitToTheMainLoop) {
    int clicks = 0;
    window.cmdFind.onClick = [&] { ++clicks; };
    for (int expected = 1; expected <= 2; ++expected) {
        ::PostMessageW(window.cmdFind.Hwnd(), BM_CLICK, 0, 0);
        window.DoEvents();
        EXPECT_EQ(clicks, expected);
    }

    ::PostQuitMessage(3);
    ::PostMessageW(window.cmdFind.Hwnd(), BM_CLICK, 0, 0);
    window.DoEvents();
    MSG message;
    ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_EQ(clicks, 3);
}

} // namespace
