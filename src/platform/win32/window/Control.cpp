#include "platform/win32/window/Control.h"

#include "platform/win32/Utf.h"

#include <commctrl.h>

#include <vector>

namespace win32 {

namespace {

constexpr UINT_PTR SubclassId = 1;

} // namespace

int PixelsFromTwips(int twips, int dpi) {
    return ::MulDiv(twips, dpi, 1440);
}

// Per monitor, where Windows tells it (10 version 1607 on); older systems have one DPI for
// all screens, which the screen's device context gives.
int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) {
        if (UINT dpi = getDpiForWindow(window); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
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

bool Control::CreateChild(const CreateArgs& args, const wchar_t* className, DWORD style,
                          DWORD exStyle) {
    int dpi = WindowDpi(args.parent);
    const TwipsRect& position = args.position;
    hwnd_ = ::CreateWindowExW(
        exStyle, className, WideFromUtf8(args.text).c_str(), WS_CHILD | WS_VISIBLE | style,
        PixelsFromTwips(position.left, dpi), PixelsFromTwips(position.top, dpi),
        PixelsFromTwips(position.width, dpi), PixelsFromTwips(position.height, dpi), args.parent,
        nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) {
        return false;
    }
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetPropW(hwnd_, L"VacantorControl", reinterpret_cast<HANDLE>(1));
    if (args.font) {
        ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(args.font), FALSE);
    }
    return true;
}

bool Control::Subclass() {
    return ::SetWindowSubclass(hwnd_, SubclassProc, SubclassId,
                               reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CALLBACK Control::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, SubclassProc, SubclassId);
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (reinterpret_cast<Control*>(self)->OnMessage(message, wParam, lParam, result)) {
        return result;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
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
