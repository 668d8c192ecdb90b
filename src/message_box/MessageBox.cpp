#include "message_box/MessageBox.h"

#include "message_box/MessageBoxHook.h"

namespace MessageBox {

std::int32_t AutoCloseInterval = 0;
std::array<std::optional<Picture>, 5> BoxIcons;
std::array<std::string, 10> ButtonCaptions;

std::int32_t BoxStyle = 0;
std::int32_t BoxOptions = 0;
FormId OwnerForm = FormId::None;
HookId HookHandle = 0;
WindowHandle BoxWindow = 0;

namespace {

MessageBoxPlatform* CurrentPlatform = nullptr;

// Whether HookHandle still names an installed hook: a box that is never activated must
// not leave the hook waiting for the next window of the thread.
bool HookInstalled = false;

// The auto-close timer until it fires: a box closed by the user before the interval has
// passed must not leave an Enter press pending for whatever window comes next.
struct PendingTimer {
    bool pending = false;
    WindowHandle window = 0;
    std::uintptr_t id = 0;
};
PendingTimer AutoCloseTimer;

void StartAutoCloseTimer(MessageBoxPlatform& platform, WindowHandle window) {
    std::uintptr_t result = platform.SetTimer(
        window, 0, static_cast<std::uint32_t>(AutoCloseInterval), &AutoCloseTimerProc);
    // A timer of a window keeps the id asked for (0); a timer of no window gets a new one.
    if (result != 0) {
        AutoCloseTimer = {true, window, window != 0 ? 0 : result};
    }
}

void StopAutoCloseTimer(MessageBoxPlatform& platform) {
    if (AutoCloseTimer.pending) {
        platform.KillTimer(AutoCloseTimer.window, AutoCloseTimer.id);
        AutoCloseTimer.pending = false;
    }
}

} // namespace

void SetPlatform(MessageBoxPlatform* platform) {
    CurrentPlatform = platform;
}

MessageBoxPlatform* Platform() {
    return CurrentPlatform;
}

void RemoveMessageBoxHook() {
    CurrentPlatform->UnhookWindowsHookEx(HookHandle);
    HookInstalled = false;
}

std::int32_t ShowMessageBox(const std::string& text, const std::string& title, std::int32_t style,
                            std::int32_t options) {
    if (CurrentPlatform == nullptr) {
        return 0;
    }
    MessageBoxPlatform& platform = *CurrentPlatform;
    BoxStyle = style;
    BoxOptions = options;
    OwnerForm = platform.ActiveForm();
    WindowHandle owner = 0;
    if (OwnerForm != FormId::None) {
        owner = platform.FormHandle(OwnerForm);
        // Topmost and back: raised above every ordinary window without staying on top.
        constexpr std::uint32_t raise =
            User32::SwpNoSize | User32::SwpNoMove | User32::SwpShowWindow;
        platform.SetWindowPos(owner, User32::HwndTopmost, 0, 0, 0, 0, raise);
        platform.SetWindowPos(owner, User32::HwndNoTopmost, 0, 0, 0, 0, raise);
        platform.ShowWindow(owner, User32::SwShow);
        if (platform.FormWindowState(OwnerForm) == 1) {
            platform.SetFormWindowState(OwnerForm, 0);
        }
    }
    SetMessageBoxHook();
    std::int32_t result = platform.MessageBox(
        owner, text, title, static_cast<std::uint32_t>(style) | User32::MbSetForeground);
    StopAutoCloseTimer(platform);
    if (HookInstalled) {
        RemoveMessageBoxHook();
    }
    return result;
}

// Without a visible, restored owner the box is shown as it comes: no timer, no hook.
void SetMessageBoxHook() {
    MessageBoxPlatform& platform = *CurrentPlatform;
    WindowHandle window = 0;
    if (OwnerForm != FormId::None) {
        if (platform.FormWindowState(OwnerForm) == 1) {
            return;
        }
        if (!platform.FormVisible(OwnerForm)) {
            return;
        }
        window = platform.FormHandle(OwnerForm);
    }
    if ((BoxOptions & OptionAutoClose) != 0 && AutoCloseInterval > 0) {
        StartAutoCloseTimer(platform, window);
    }
    std::intptr_t instance = platform.GetWindowLong(window, User32::GwlHInstance);
    HookHandle = platform.SetWindowsHookEx(User32::WhCbt, &MessageBoxHookProc,
                                           static_cast<std::uintptr_t>(instance),
                                           platform.CurrentThreadId());
    HookInstalled = HookHandle != 0;
}

void AutoCloseTimerProc(WindowHandle window, std::uint32_t /*message*/, std::uintptr_t timerId,
                        std::uint32_t /*time*/) {
    MessageBoxPlatform& platform = *CurrentPlatform;
    platform.KillTimer(window, timerId);
    AutoCloseTimer.pending = false;
    platform.SetForegroundWindow(BoxWindow);
    platform.keybd_event(User32::VkReturn, 0, 0, 0);
    platform.keybd_event(User32::VkReturn, 0, User32::KeyEventFKeyUp, 0);
}

} // namespace MessageBox
