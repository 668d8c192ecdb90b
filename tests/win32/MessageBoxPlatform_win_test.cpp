#include <windows.h>
#undef MessageBox

#include "message_box/MessageBox.h"
#include "message_box/MessageBoxHook.h"
#include "platform/win32/MessageBoxPlatform_win.h"
#include "win32/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class Win32MessageBoxTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(form, nullptr);
        ::ShowWindow(form, SW_SHOW);
        platform->SetActiveForm(reinterpret_cast<WindowHandle>(form));
        MessageBox::SetPlatform(platform.get());
        MessageBox::AutoCloseInterval = 0;
        MessageBox::ButtonCaptions = {};
    }
    void TearDown() override {
        EXPECT_FALSE(::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(MessageBox::HookHandle)))
            << "hook left behind";
        MessageBox::SetPlatform(nullptr);
        ::DestroyWindow(form);
    }
    static std::int32_t Show(std::int32_t style, std::int32_t options) {
        return MessageBox::ShowMessageBox("Message", "Vacantor test", style, options);
    }

    HWND form = ::CreateWindowExW(0, L"STATIC", L"Form", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    std::unique_ptr<Win32MessageBoxPlatform> platform = Win32MessageBoxPlatform::Create();
};

TEST_F(Win32MessageBoxTest, AutoCloseTimerPressesEnterOnTheBox) {
    MessageBox::AutoCloseInterval = 200;
    MessageBox::BoxWindow = 0;

    EXPECT_EQ(Show(64 | 1, MessageBox::OptionAutoClose), 1);

    EXPECT_NE(MessageBox::BoxWindow, 0u);
    EXPECT_FALSE(::IsWindow(reinterpret_cast<HWND>(MessageBox::BoxWindow)));
}

TEST_F(Win32MessageBoxTest, YesButtonIsRelabelledAndNoKeepsItsLabel) {
    MessageBox::ButtonCaptions[6] = "Sure";
    std::wstring yes;
    std::wstring no;
    MessageBoxCloser closer([&](const MessageBoxCloser::Box&) {
        HWND box = ::FindWindowW(L"#32770", L"Vacantor test");
        wchar_t text[64] = {};
        ::GetWindowTextW(::GetDlgItem(box, IDYES), text, 64);
        yes = text;
        ::GetWindowTextW(::GetDlgItem(box, IDNO), text, 64);
        no = text;
        return IDNO;
    });

    EXPECT_EQ(Show(4 | 32, MessageBox::OptionButtonCaptions), 7);

    EXPECT_EQ(yes, L"Sure");
    EXPECT_NE(no, L"");
    EXPECT_NE(no, L"Sure");
}

} // namespace
