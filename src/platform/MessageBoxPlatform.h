#pragma once

#include "platform/WindowHandle.h"

#include <cstdint>
#include <string>

using HookId = std::uintptr_t;
using IconHandle = std::uintptr_t;

// A form of the UI framework (the application's windows); None is no form.
enum class FormId : std::uintptr_t { None = 0 };

// Screen pixels; right and bottom lie just outside the rectangle, as on Windows.
struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// A picture that yields an icon handle; the default, empty picture yields 0.
struct Picture {
    IconHandle handle = 0;
};

// Procedures the platform calls back; it stores them when they are handed over.
using HookProc = std::intptr_t (*)(std::int32_t code, std::uintptr_t wParam, std::intptr_t lParam);
using TimerProc = void (*)(WindowHandle window, std::uint32_t message, std::uintptr_t timerId,
                           std::uint32_t time);

// What the message box service needs from the UI framework and from user32. Win32 passes
// the calls on to user32; Qt answers them with its widgets.
class MessageBoxPlatform {
  public:
    virtual ~MessageBoxPlatform() = default;

    // The UI framework.
    virtual FormId ActiveForm() = 0;
    virtual WindowHandle FormHandle(FormId form) = 0;
    virtual std::int32_t FormWindowState(FormId form) = 0; // 0 normal, 1 minimized, 2 maximized
    virtual bool FormVisible(FormId form) = 0;
    virtual void SetFormWindowState(FormId form, std::int32_t state) = 0;
    virtual std::uint32_t CurrentThreadId() = 0; // of the user-interface thread

    // user32.
    virtual bool SetWindowPos(WindowHandle window, std::intptr_t insertAfter, std::int32_t x,
                              std::int32_t y, std::int32_t cx, std::int32_t cy,
                              std::uint32_t flags) = 0;
    virtual bool ShowWindow(WindowHandle window, std::int32_t command) = 0;
    // Runs the modal box and returns the id of the button that closed it, 0 on failure.
    virtual std::int32_t MessageBox(WindowHandle owner, const std::string& text,
                                    const std::string& caption, std::uint32_t type) = 0;
    virtual std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t timerId,
                                    std::uint32_t interval, TimerProc procedure) = 0;
    virtual bool KillTimer(WindowHandle window, std::uintptr_t timerId) = 0;
    virtual std::intptr_t GetWindowLong(WindowHandle window, std::int32_t index) = 0;
    virtual HookId SetWindowsHookEx(std::int32_t hookId, HookProc procedure,
                                    std::uintptr_t instance, std::uint32_t threadId) = 0;
    virtual bool UnhookWindowsHookEx(HookId hook) = 0;
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    virtual void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                             std::uintptr_t extraInfo) = 0;
    virtual WindowHandle GetWindow(WindowHandle window, std::uint32_t command) = 0;
    // Writes at most maxCount - 1 characters and a NUL into buffer; returns the count written.
    virtual std::int32_t GetClassName(WindowHandle window, char* buffer, std::int32_t maxCount) = 0;
    virtual std::int32_t GetDlgCtrlID(WindowHandle window) = 0;
    virtual bool SetWindowText(WindowHandle window, const std::string& text) = 0;
    virtual std::intptr_t SendMessage(WindowHandle window, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual WindowRect GetWindowRect(WindowHandle window) = 0; // all 0 when it fails
    // Only SPI_GETWORKAREA: fills rect with the work area.
    virtual bool SystemParametersInfo(std::uint32_t action, std::uint32_t param, WindowRect& rect,
                                      std::uint32_t winIni) = 0;
    virtual IconHandle PictureHandle(const Picture& picture) = 0;
};

// The user32 numbers the service and its platforms share (windows.h has them as macros,
// hence the names), grouped by the call they belong to.
namespace User32 {
// SetWindowPos: the place in the z-order, and the flags.
inline constexpr std::intptr_t HwndTop = 0, HwndBottom = 1, HwndTopmost = -1, HwndNoTopmost = -2;
inline constexpr std::uint32_t SwpNoSize = 0x1, SwpNoMove = 0x2, SwpNoZOrder = 0x4,
                               SwpNoActivate = 0x10, SwpShowWindow = 0x40, SwpHideWindow = 0x80;
// ShowWindow's commands.
inline constexpr std::int32_t SwHide = 0, SwShowNormal = 1, SwShowMinimized = 2, SwMaximize = 3,
                              SwShow = 5, SwMinimize = 6, SwRestore = 9;
// MessageBox's type word: the buttons, the default button, the Help button, the foreground.
inline constexpr std::uint32_t MbTypeMask = 0xF, MbDefMask = 0xF00, MbHelp = 0x4000,
                               MbSetForeground = 0x10000;
// GetWindowLong's indexes and GetWindow's commands.
inline constexpr std::int32_t GwlHInstance = -6, GwlStyle = -16;
inline constexpr std::uint32_t GwHwndNext = 2, GwChild = 5;
// The CBT hook, and the code of a window's activation.
inline constexpr std::int32_t WhCbt = 5, HcbtActivate = 5;
// WM_TIMER, STM_SETICON, SPI_GETWORKAREA, and the style of the icon's static.
inline constexpr std::uint32_t WmTimer = 0x113, StmSetIcon = 368, SpiGetWorkArea = 48;
inline constexpr std::int32_t SsIcon = 3;
// keybd_event: the Enter key, and the flag of a key's release.
inline constexpr std::uint8_t VkReturn = 13;
inline constexpr std::uint32_t KeyEventFKeyUp = 2;
} // namespace User32
