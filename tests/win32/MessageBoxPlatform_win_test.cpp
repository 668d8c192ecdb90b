#include <windows.h>
#undef MessageBox

#include "message_box/MessageBox.h"
#include "message_box/MessageBoxHook.h"
#include "platform/win32/MessageBoxPlatform_win.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

// Each box is closed by the service's own timer or by the test's timer, which polls the
// thread's windows from inside the box's modal loop. Should the box never appear, the test
// ends the loop itself after a few seconds.
constexpr UINT PollInterval = 20;
constexpr int MaximumPolls = 250;

std::function<bool(HWND)> OnBox; // true when the box has been dealt with
int Polls = 0;
bool BoxSeen = false;

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (std::wstring(name) == L"#32770" && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK PollForBox(HWND, UINT, UINT_PTR timerId, DWORD) {
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
    if (box != nullptr && !BoxSeen && OnBox(box)) {
        BoxSeen = true;
        ::KillTimer(nullptr, timerId);
    } else if (++Polls > MaximumPolls) {
        ::KillTimer(nullptr, timerId);
        ::PostQuitMessage(0); // ends the modal loop of a box that never came
    }
}

std::wstring ButtonText(HWND box, int id) {
    wchar_t text[64] = {};
    ::GetWindowTextW(::GetDlgItem(box, id), text, 64);
    return text;
}

class Win32MessageBoxTest : public testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VacantorTestForm";
        ::RegisterClassW(&windowClass);
        form = ::CreateWindowExW(0, L"VacantorTestForm", L"Form", WS_OVERLAPPEDWINDOW, 100, 100,
                                 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(form, nullptr);
        ::ShowWindow(form, SW_SHOW);
        platform.SetActiveForm(reinterpret_cast<WindowHandle>(form));
        MessageBox::SetPlatform(&platform);
        MessageBox::AutoCloseInterval = 0;
        MessageBox::ButtonCaptions = {};
        Polls = 0;
        BoxSeen = false;
    }
    void TearDown() override {
        MessageBox::SetPlatform(nullptr);
        ::DestroyWindow(form);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        }
    }
    // Runs ShowMessageBox with the test's poll timer running inside its modal loop.
    std::int32_t ShowPolled(std::int32_t style, std::int32_t options) {
        UINT_PTR poll = ::SetTimer(nullptr, 0, PollInterval, &PollForBox);
        std::int32_t result =
            MessageBox::ShowMessageBox("Message", "Vacantor test", style, options);
        ::KillTimer(nullptr, poll);
        return result;
    }
    static void ExpectHookGone() {
        EXPECT_FALSE(::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(MessageBox::HookHandle)));
    }

    HWND form = nullptr;
    Win32MessageBoxPlatform platform;
};

TEST_F(Win32MessageBoxTest, AutoCloseTimerPressesEnterOnTheBox) {
    MessageBox::AutoCloseInterval = 200;
    MessageBox::BoxWindow = 0;

    OnBox = [](HWND) { return false; }; // the service's timer closes it

    EXPECT_EQ(ShowPolled(64 | 1, MessageBox::OptionAutoClose), 1);

    EXPECT_NE(MessageBox::BoxWindow, 0u);
    EXPECT_FALSE(::IsWindow(reinterpret_cast<HWND>(MessageBox::BoxWindow)));
    ExpectHookGone();
}

TEST_F(Win32MessageBoxTest, YesButtonIsRelabelledAndNoKeepsItsLabel) {
    MessageBox::ButtonCaptions[6] = "Sure";
    std::wstring yes;
    std::wstring no;
    OnBox = [&](HWND box) {
        yes = ButtonText(box, IDYES);
        no = ButtonText(box, IDNO);
        ::PostMessageW(box, WM_COMMAND, IDNO, 0);
        return true;
    };

    EXPECT_EQ(ShowPolled(4 | 32, MessageBox::OptionButtonCaptions), 7);

    EXPECT_TRUE(BoxSeen);
    EXPECT_EQ(yes, L"Sure");
    EXPECT_NE(no, L"");
    EXPECT_NE(no, L"Sure");
    ExpectHookGone();
}

} // namespace
