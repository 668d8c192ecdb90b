#include <windows.h>
#undef MessageBox
#undef GetWindowLong
#undef SetWindowsHookEx
#undef GetClassName
#undef SetWindowText
#undef SendMessage
#undef SystemParametersInfo

#include "platform/win32/MessageBoxPlatform_win.h"

#include "platform/win32/Utf.h"
#include "platform/win32/WindowHandle_win.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

namespace {

// user32 calls plain CALLBACK functions with no context: the procedures handed over wait
// here. The service installs one hook at a time.
HookProc CurrentHookProc = nullptr;
std::map<std::pair<HWND, UINT_PTR>, TimerProc> TimerProcs;

LRESULT CALLBACK HookTrampoline(int code, WPARAM wParam, LPARAM lParam) {
    return CurrentHookProc != nullptr ? CurrentHookProc(code, wParam, lParam) : 0;
}

void CALLBACK TimerTrampoline(HWND window, UINT message, UINT_PTR timerId, DWORD time) {
    auto found = TimerProcs.find({window, timerId});
    if (found != TimerProcs.end()) {
        found->second(ToWindowHandle(window), message, timerId, time);
    }
}

// user32's calls, translated; the active form is the one the program set.
class User32MessageBoxPlatform final : public Win32MessageBoxPlatform {
  public:
    FormId ActiveForm() override {
        return activeForm_ != 0 && ::IsWindow(ToHwnd(activeForm_))
                   ? static_cast<FormId>(activeForm_)
                   : FormId::None;
    }

    WindowHandle FormHandle(FormId form) override { return static_cast<WindowHandle>(form); }

    std::int32_t FormWindowState(FormId form) override {
        HWND window = ToHwnd(FormHandle(form));
        if (::IsIconic(window)) {
            return 1;
        }
        return ::IsZoomed(window) ? 2 : 0;
    }

    bool FormVisible(FormId form) override {
        return ::IsWindowVisible(ToHwnd(FormHandle(form))) != FALSE;
    }

    // Normal means normal: SW_RESTORE brings a form that was maximized before it was
    // minimized back maximized, and a second one restores it from there.
    void SetFormWindowState(FormId form, std::int32_t state) override {
        HWND window = ToHwnd(FormHandle(form));
        if (state == 1) {
            ::ShowWindow(window, SW_MINIMIZE);
        } else if (state == 2) {
            ::ShowWindow(window, SW_MAXIMIZE);
        } else {
            if (::IsIconic(window)) {
                ::ShowWindow(window, SW_RESTORE);
            }
            if (::IsZoomed(window)) {
                ::ShowWindow(window, SW_RESTORE);
            }
        }
    }

    std::uint32_t CurrentThreadId() override { return ::GetCurrentThreadId(); }

    bool SetWindowPos(WindowHandle window, std::intptr_t insertAfter, std::int32_t x,
                      std::int32_t y, std::int32_t cx, std::int32_t cy,
                      std::uint32_t flags) override {
        return ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, cx, cy, flags) != FALSE;
    }

    bool ShowWindow(WindowHandle window, std::int32_t command) override {
        return ::ShowWindow(ToHwnd(window), command) != FALSE;
    }

    std::int32_t MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                            std::uint32_t type) override {
        return ::MessageBoxW(ToHwnd(owner), WideFromUtf8(text).c_str(),
                             WideFromUtf8(caption).c_str(), type);
    }

    std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t timerId, std::uint32_t interval,
                            TimerProc procedure) override {
        UINT_PTR result = ::SetTimer(ToHwnd(window), timerId, interval, &TimerTrampoline);
        // A window's timer keeps the id asked for; a timer of no window is given a new one.
        if (result != 0) {
            TimerProcs[{ToHwnd(window), window != 0 ? timerId : result}] = procedure;
        }
        return result;
    }

    bool KillTimer(WindowHandle window, std::uintptr_t timerId) override {
        TimerProcs.erase({ToHwnd(window), timerId});
        return ::KillTimer(ToHwnd(window), timerId) != FALSE;
    }

    std::intptr_t GetWindowLong(WindowHandle window, std::int32_t index) override {
        return ::GetWindowLongPtrW(ToHwnd(window), index);
    }

    HookId SetWindowsHookEx(std::int32_t hookId, HookProc procedure, std::uintptr_t instance,
                            std::uint32_t threadId) override {
        CurrentHookProc = procedure;
        HHOOK hook = ::SetWindowsHookExW(hookId, &HookTrampoline,
                                         reinterpret_cast<HINSTANCE>(instance), threadId);
        return reinterpret_cast<HookId>(hook);
    }

    bool UnhookWindowsHookEx(HookId hook) override {
        return ::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook)) != FALSE;
    }

    bool SetForegroundWindow(WindowHandle window) override {
        return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
    }

    void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                     std::uintptr_t extraInfo) override {
        ::keybd_event(virtualKey, scanCode, flags, extraInfo);
    }

    WindowHandle GetWindow(WindowHandle window, std::uint32_t command) override {
        return ToWindowHandle(::GetWindow(ToHwnd(window), command));
    }

    std::int32_t GetClassName(WindowHandle window, char* buffer, std::int32_t maxCount) override {
        if (maxCount <= 0) {
            return 0;
        }
        wchar_t wide[256] = {};
        int length = ::GetClassNameW(ToHwnd(window), wide, 256);
        std::string name = Utf8FromWide(std::wstring_view(wide, static_cast<std::size_t>(length)));
        std::size_t count = std::min(name.size(), static_cast<std::size_t>(maxCount - 1));
        std::memcpy(buffer, name.data(), count);
        buffer[count] = '\0';
        return static_cast<std::int32_t>(count);
    }

    std::int32_t GetDlgCtrlID(WindowHandle window) override {
        return ::GetDlgCtrlID(ToHwnd(window));
    }

    bool SetWindowText(WindowHandle window, const std::string& text) override {
        return ::SetWindowTextW(ToHwnd(window), WideFromUtf8(text).c_str()) != FALSE;
    }

    std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
        return ::SendMessageW(ToHwnd(window), message, wParam, lParam);
    }

    WindowRect GetWindowRect(WindowHandle window) override {
        RECT rect{};
        if (!::GetWindowRect(ToHwnd(window), &rect)) {
            return {};
        }
        return {rect.left, rect.top, rect.right, rect.bottom};
    }

    bool SystemParametersInfo(std::uint32_t action, std::uint32_t param, WindowRect& rect,
                              std::uint32_t winIni) override {
        RECT area{};
        if (!::SystemParametersInfoW(action, param, &area, winIni)) {
            return false;
        }
        rect = {area.left, area.top, area.right, area.bottom};
        return true;
    }

    IconHandle PictureHandle(const Picture& picture) override { return picture.handle; }
};

} // namespace

std::unique_ptr<Win32MessageBoxPlatform> Win32MessageBoxPlatform::Create() {
    return std::make_unique<User32MessageBoxPlatform>();
}
