#pragma once

#include "platform/MessageBoxPlatform.h"

#include <cstdint>
#include <vector>

// The service's state and procedures between ShowMessageBox and the platform's callbacks.
// Only the user-interface thread touches them; one box at a time.
namespace MessageBox {

extern std::int32_t BoxStyle;
extern std::int32_t BoxOptions;
extern FormId OwnerForm;
extern HookId HookHandle;
extern WindowHandle BoxWindow;

void SetMessageBoxHook();
// UnhookWindowsHookEx(HookHandle), and notes that no hook is left.
void RemoveMessageBoxHook();
std::intptr_t MessageBoxHookProc(std::int32_t code, std::uintptr_t wParam, std::intptr_t lParam);
void AutoCloseTimerProc(WindowHandle window, std::uint32_t message, std::uintptr_t timerId,
                        std::uint32_t time);
WindowHandle FindIconStatic(WindowHandle box);
std::vector<WindowHandle> GetButtonWindows(WindowHandle box);

// The BoxIcons slot for a style: 1 stop, 2 question, 3 exclamation, 4 information, else 0.
std::int32_t IconKind(std::int32_t style);

struct WindowPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const WindowPoint&, const WindowPoint&) = default;
};
// Where a box goes to be centred over the form, kept inside the work area.
WindowPoint CenterOverOwner(const WindowRect& form, const WindowRect& box, const WindowRect& work);

// The platform the service runs on (null before SetPlatform).
MessageBoxPlatform* Platform();

} // namespace MessageBox
