#include "platform/win32/window/Control.h"

#include "platform/win32/Utf.h"

#include <vector>

namespace win32 {

int PixelsFromTwips(int twips, int dpi) {
    return ::MulDiv(twips, dpi, 1440);
}

int WindowDpi(HWND window) {
    HDC dc = ::GetDC(window);
    int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) {
        ::ReleaseDC(window, dc);
    }
    return dpi > 0 ? dpi : 96;
}

Control* Control::FromHwnd(HWND window) {
    // Only our own children carry the marker property; GWLP_USERDATA alone could be any
    // other window's data.
    if (!window || !::GetPropW(window, L"VacantorControl")) {
        return nullptr;
    }
    return reinterpret_cast<Control*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool Control::CreateChild(HWND parent, const wchar_t* className, const std::string& text,
                          DWORD style, DWORD exStyle, const TwipsRect& position, HFONT font) {
    int dpi = WindowDpi(parent);
    hwnd_ = ::CreateWindowExW(
        exStyle, className, WideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style,
        PixelsFromTwips(position.left, dpi), PixelsFromTwips(position.top, dpi),
        PixelsFromTwips(position.width, dpi), PixelsFromTwips(position.height, dpi), parent,
        nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) {
        return false;
    }
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetPropW(hwnd_, L"VacantorControl", reinterpret_cast<HANDLE>(1));
    if (font) {
        ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return true;
}

void SetWindowTextUtf8(HWND window, const std::string& text) {
    ::SetWindowTextW(window, WideFromUtf8(text).c_str());
}

std::string WindowTextUtf8(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(window, buffer.data(), length + 1);
    return Utf8FromWide(std::wstring_view(buffer.data(), static_cast<std::size_t>(copied)));
}

} // namespace win32
