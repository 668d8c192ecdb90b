#pragma once

#include "platform/WindowHandle.h"

#include <windows.h>

// The logic's window handles are HWND values on Windows.
inline HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
inline WindowHandle ToWindowHandle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}
