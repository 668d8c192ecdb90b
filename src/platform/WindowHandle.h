#pragma once

#include <cstdint>

// A window as the logic sees it: an HWND value on Windows, the name of a Qt widget in
// QtWindowHandles on Qt. 0 is no window.
using WindowHandle = std::uintptr_t;
