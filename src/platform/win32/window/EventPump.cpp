#include "platform/win32/window/EventPump.h"

namespace win32 {

void EventPump::RunPending() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit to the main loop, which is waiting further out.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(dialogWindow_, message);
    }
}

void EventPump::Dispatch(HWND dialogWindow, MSG& message) {
    if (dialogWindow && ::IsWindow(dialogWindow) && ::IsDialogMessageW(dialogWindow, &message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

} // namespace win32
