#pragma once

#include "platform/MessageBoxPlatform.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A recording stand-in for the UI framework and user32. Every call is logged as one line
// ("SetWindowPos 256 -1 0 0 0 0 67"); MessageBox returns the scripted results in order (1
// when none is left) and, inside its "modal loop", reports the box's activation to an
// installed hook, runs `duringBox` and fires a pending timer when asked to.
class FakeMessageBoxPlatform final : public MessageBoxPlatform {
  public:
    struct Window {
        std::string className;
        std::intptr_t style = 0;
        std::int32_t controlId = 0;
        WindowRect rect;
        std::intptr_t instance = 0;
        std::string text;
        std::vector<WindowHandle> children;
        WindowHandle parent = 0;
    };
    struct MessageBoxCall {
        WindowHandle owner = 0;
        std::string text;
        std::string title;
        std::uint32_t type = 0;
    };

    // The scripted world.
    FormId activeForm = FormId::None;
    WindowHandle formHandle = 0;
    std::int32_t formState = 0;
    bool formVisible = true;
    bool formKeepsState = false; // SetFormWindowState has no effect (a form that stays down)
    std::map<WindowHandle, Window> windows;
    WindowRect workArea{0, 0, 1024, 768};
    std::deque<std::int32_t> results;
    WindowHandle boxToActivate = 0; // 0: the box is never activated
    bool fireTimerInBox = false;
    std::function<void()> duringBox;
    HookId nextHook = 0x4000; // 0 makes SetWindowsHookEx fail
    std::uintptr_t nextTimerId = 0x70;
    std::uint32_t threadId = 0x99;

    // What was done.
    std::vector<std::string> calls;
    std::vector<MessageBoxCall> messageBoxes;
    HookProc hook = nullptr;
    HookId installedHook = 0;
    TimerProc timer = nullptr;
    WindowHandle timerWindow = 0;
    std::uintptr_t timerId = 0;
    bool timerPending = false;

    // A form whose window is `handle`, made the active form.
    void SetActiveForm(WindowHandle handle, WindowRect rect = {}, std::int32_t state = 0,
                       bool visible = true) {
        activeForm = static_cast<FormId>(handle);
        formHandle = handle;
        formState = state;
        formVisible = visible;
        windows[handle] = Window{"ThunderRT6FormDC", 0, 0, rect, 0x400000, "", {}, 0};
    }
    void AddWindow(WindowHandle handle, WindowHandle parent, std::string className,
                   std::intptr_t style = 0, std::int32_t controlId = 0, WindowRect rect = {}) {
        windows[handle] =
            Window{std::move(className), style, controlId, rect, 0x400000, "", {}, parent};
        if (parent != 0) {
            windows[parent].children.push_back(handle);
        }
    }
    std::vector<std::string> CallsNamed(const std::string& name) const {
        std::vector<std::string> found;
        for (const std::string& call : calls) {
            if (call == name || call.rfind(name + " ", 0) == 0) {
                found.push_back(call);
            }
        }
        return found;
    }

    FormId ActiveForm() override {
        Log("ActiveForm");
        return activeForm;
    }
    WindowHandle FormHandle(FormId form) override {
        Log("FormHandle", Number(form));
        return formHandle;
    }
    std::int32_t FormWindowState(FormId form) override {
        Log("FormWindowState", Number(form));
        return formState;
    }
    bool FormVisible(FormId form) override {
        Log("FormVisible", Number(form));
        return formVisible;
    }
    void SetFormWindowState(FormId form, std::int32_t state) override {
        Log("SetFormWindowState", Number(form), state);
        if (!formKeepsState) {
            formState = state;
        }
    }
    std::uint32_t CurrentThreadId() override {
        Log("CurrentThreadId");
        return threadId;
    }
    bool SetWindowPos(WindowHandle window, std::intptr_t insertAfter, std::int32_t x,
                      std::int32_t y, std::int32_t cx, std::int32_t cy,
                      std::uint32_t flags) override {
        Log("SetWindowPos", window, insertAfter, x, y, cx, cy, flags);
        return true;
    }
    bool ShowWindow(WindowHandle window, std::int32_t command) override {
        Log("ShowWindow", window, command);
        return true;
    }
    std::int32_t MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                            std::uint32_t type) override {
        Log("MessageBox", owner, "\"" + text + "\"", "\"" + caption + "\"", type);
        messageBoxes.push_back({owner, text, caption, type});
        if (boxToActivate != 0 && installedHook != 0) {
            hook(3, boxToActivate, 0); // HCBT_CREATEWND comes first and must be ignored
        }
        if (boxToActivate != 0 && installedHook != 0) {
            hook(User32::HcbtActivate, boxToActivate, 0);
        }
        if (duringBox) {
            duringBox();
        }
        if (fireTimerInBox && timerPending) {
            timer(timerWindow, User32::WmTimer, timerId, 1234);
        }
        if (results.empty()) {
            return 1;
        }
        std::int32_t result = results.front();
        results.pop_front();
        return result;
    }
    std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t id, std::uint32_t interval,
                            TimerProc procedure) override {
        Log("SetTimer", window, id, interval);
        timer = procedure;
        timerWindow = window;
        timerId = window != 0 ? id : nextTimerId; // as user32 numbers them
        timerPending = true;
        return window != 0 ? 1 : nextTimerId;
    }
    bool KillTimer(WindowHandle window, std::uintptr_t id) override {
        Log("KillTimer", window, id);
        bool found = timerPending && window == timerWindow && id == timerId;
        timerPending = timerPending && !found;
        return found;
    }
    std::intptr_t GetWindowLong(WindowHandle window, std::int32_t index) override {
        Log("GetWindowLong", window, index);
        auto found = windows.find(window);
        if (found == windows.end()) {
            return 0;
        }
        return index == User32::GwlStyle ? found->second.style : found->second.instance;
    }
    HookId SetWindowsHookEx(std::int32_t hookId, HookProc procedure, std::uintptr_t instance,
                            std::uint32_t thread) override {
        Log("SetWindowsHookEx", hookId, instance, thread);
        hook = procedure;
        installedHook = nextHook;
        return nextHook;
    }
    bool UnhookWindowsHookEx(HookId hookHandle) override {
        Log("UnhookWindowsHookEx", hookHandle);
        bool found = hookHandle != 0 && hookHandle == installedHook;
        if (found) {
            installedHook = 0;
        }
        return found;
    }
    bool SetForegroundWindow(WindowHandle window) override {
        Log("SetForegroundWindow", window);
        return true;
    }
    void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                     std::uintptr_t extraInfo) override {
        Log("keybd_event", virtualKey, scanCode, flags, extraInfo);
    }
    WindowHandle GetWindow(WindowHandle window, std::uint32_t command) override {
        Log("GetWindow", window, command);
        auto found = windows.find(window);
        if (found == windows.end()) {
            return 0;
        }
        if (command == User32::GwChild) {
            return found->second.children.empty() ? 0 : found->second.children.front();
        }
        const std::vector<WindowHandle>& siblings = windows[found->second.parent].children;
        auto self = std::find(siblings.begin(), siblings.end(), window);
        return self == siblings.end() || self + 1 == siblings.end() ? 0 : *(self + 1);
    }
    std::int32_t GetClassName(WindowHandle window, char* buffer, std::int32_t maxCount) override {
        Log("GetClassName", window, maxCount);
        std::string name = windows.count(window) ? windows[window].className : "";
        name = name.substr(0, static_cast<std::size_t>(std::max(maxCount - 1, 0)));
        std::memcpy(buffer, name.c_str(), name.size() + 1);
        return static_cast<std::int32_t>(name.size());
    }
    std::int32_t GetDlgCtrlID(WindowHandle window) override {
        Log("GetDlgCtrlID", window);
        return windows.count(window) ? windows[window].controlId : 0;
    }
    bool SetWindowText(WindowHandle window, const std::string& text) override {
        Log("SetWindowText", window, "\"" + text + "\"");
        windows[window].text = text;
        return true;
    }
    std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
        Log("SendMessage", window, message, wParam, lParam);
        return 0;
    }
    WindowRect GetWindowRect(WindowHandle window) override {
        Log("GetWindowRect", window);
        return windows.count(window) ? windows[window].rect : WindowRect{};
    }
    bool SystemParametersInfo(std::uint32_t action, std::uint32_t param, WindowRect& rect,
                              std::uint32_t winIni) override {
        Log("SystemParametersInfo", action, param, winIni);
        rect = workArea;
        return true;
    }
    IconHandle PictureHandle(const Picture& picture) override {
        Log("PictureHandle", picture.handle);
        return picture.handle;
    }

  private:
    static std::string Number(FormId form) {
        return std::to_string(static_cast<std::uintptr_t>(form));
    }
    static std::string Text(const std::string& value) { return value; }
    static std::string Text(const char* value) { return value; }
    template <typename T>
    static std::string Text(T value) {
        return std::to_string(value);
    }
    template <typename... Args>
    void Log(const std::string& name, Args... args) {
        std::string line = name;
        ((line += " " + Text(args)), ...);
        calls.push_back(line);
    }
};
