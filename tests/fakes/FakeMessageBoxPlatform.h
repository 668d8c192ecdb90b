#pragma once

#include "platform/MessageBoxPlatform.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The UI framework and user32 with one active form and one box. MessageBox stands for the
// box's modal loop: it reports the box's activation to an installed hook, fires a pending
// timer when asked to and returns IDOK. It keeps what a user would notice: the box's
// owner, position, icon and button labels, the Enter presses, and what is left behind.
class FakeMessageBoxPlatform final : public MessageBoxPlatform {
  public:
    struct Control {
        std::string className;
        std::intptr_t style = 0;
        std::int32_t id = 0;
        std::string text = {};
    };
    static constexpr WindowHandle Box = 0x500;

    // The scripted world.
    WindowHandle form = 0; // the active form's window; 0: no active form
    WindowRect formRect{100, 100, 500, 400};
    std::int32_t formState = 0; // 1: minimised
    bool formVisible = true;
    bool formKeepsState = false;   // SetFormWindowState has no effect
    std::vector<Control> controls; // the box's children in order; handles Box + 1, Box + 2...
    bool boxActivated = true;      // false: the box never reaches the hook
    bool fireTimerInBox = false;

    // What happened.
    WindowHandle boxOwner = 0;
    std::int32_t formStateDuringBox = -1;
    std::optional<std::pair<std::int32_t, std::int32_t>> boxMovedTo;
    std::optional<IconHandle> iconShown;      // sent to the box's icon static
    std::vector<WindowHandle> enterPressedOn; // the foreground window of each Enter press
    bool hookInstalled = false;
    bool timerPending = false;

    FormId ActiveForm() override { return static_cast<FormId>(form); }
    WindowHandle FormHandle(FormId) override { return form; }
    std::int32_t FormWindowState(FormId) override { return formState; }
    bool FormVisible(FormId) override { return formVisible; }
    void SetFormWindowState(FormId, std::int32_t state) override {
        formState = formKeepsState ? formState : state;
    }
    std::uint32_t CurrentThreadId() override { return 1; }
    bool SetWindowPos(WindowHandle window, std::intptr_t, std::int32_t x, std::int32_t y,
                      std::int32_t, std::int32_t, std::uint32_t flags) override {
        if (window == Box && (flags & User32::SwpNoMove) == 0) {
            boxMovedTo = {x, y};
        }
        return true;
    }
    bool ShowWindow(WindowHandle, std::int32_t) override { return true; }
    std::int32_t MessageBox(WindowHandle owner, const std::string&, const std::string&,
                            std::uint32_t) override {
        boxOwner = owner;
        formStateDuringBox = formState;
        if (boxActivated && hookInstalled) {
            hook(3, Box, 0); // HCBT_CREATEWND comes first and must be ignored
            hook(User32::HcbtActivate, Box, 0);
        }
        if (fireTimerInBox && timerPending) {
            timer(timerWindow, User32::WmTimer, timerId, 0);
        }
        return 1;
    }
    std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t id, std::uint32_t,
                            TimerProc procedure) override {
        timer = procedure;
        timerWindow = window;
        timerId = window != 0 ? id : 0x70; // a timer of no window gets a new id, as in user32
        timerPending = true;
        return window != 0 ? 1 : timerId;
    }
    bool KillTimer(WindowHandle window, std::uintptr_t id) override {
        bool found = timerPending && window == timerWindow && id == timerId;
        timerPending = timerPending && !found;
        return found;
    }
    std::intptr_t GetWindowLong(WindowHandle window, std::int32_t index) override {
        return index == User32::GwlStyle ? ControlAt(window).style : 0x400000;
    }
    HookId SetWindowsHookEx(std::int32_t, HookProc procedure, std::uintptr_t,
                            std::uint32_t) override {
        hook = procedure;
        hookInstalled = true;
        return HookHandle;
    }
    bool UnhookWindowsHookEx(HookId handle) override {
        bool found = hookInstalled && handle == HookHandle;
        hookInstalled = hookInstalled && !found;
        return found;
    }
    bool SetForegroundWindow(WindowHandle window) override {
        foreground = window;
        return true;
    }
    void keybd_event(std::uint8_t key, std::uint8_t, std::uint32_t flags, std::uintptr_t) override {
        if (key == User32::VkReturn && (flags & User32::KeyEventFKeyUp) != 0) {
            enterPressedOn.push_back(foreground);
        }
    }
    WindowHandle GetWindow(WindowHandle window, std::uint32_t command) override {
        WindowHandle next = command == User32::GwChild ? (window == Box ? Box + 1 : 0)
                                                       : (IsControl(window) ? window + 1 : 0);
        return IsControl(next) ? next : 0;
    }
    std::int32_t GetClassName(WindowHandle window, char* buffer, std::int32_t maxCount) override {
        std::string name = ControlAt(window).className;
        name.resize(std::min(name.size(), static_cast<std::size_t>(maxCount - 1)));
        std::memcpy(buffer, name.c_str(), name.size() + 1);
        return static_cast<std::int32_t>(name.size());
    }
    std::int32_t GetDlgCtrlID(WindowHandle window) override { return ControlAt(window).id; }
    bool SetWindowText(WindowHandle window, const std::string& text) override {
        ControlAt(window).text = text;
        return IsControl(window);
    }
    std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t) override {
        if (message == User32::StmSetIcon && (ControlAt(window).style & User32::SsIcon) != 0) {
            iconShown = wParam;
        }
        return 0;
    }
    WindowRect GetWindowRect(WindowHandle window) override {
        return window == Box    ? WindowRect{0, 0, 200, 100}
               : window == form ? formRect
                                : WindowRect{};
    }
    bool SystemParametersInfo(std::uint32_t, std::uint32_t, WindowRect& rect,
                              std::uint32_t) override {
        rect = {0, 0, 1024, 768};
        return true;
    }
    IconHandle PictureHandle(const Picture& picture) override { return picture.handle; }

  private:
    static constexpr HookId HookHandle = 0x4000;

    bool IsControl(WindowHandle window) const {
        return window > Box && window <= Box + controls.size();
    }
    // Any other window reads as a nameless control without style or id and ignores a text.
    Control& ControlAt(WindowHandle window) {
        return IsControl(window) ? controls[window - Box - 1] : (none = {});
    }

    HookProc hook = nullptr;
    TimerProc timer = nullptr;
    WindowHandle timerWindow = 0;
    std::uintptr_t timerId = 0;
    WindowHandle foreground = 0;
    Control none;
};
