#include "platform/win32/window/ToolTip.h"

#include "platform/win32/Utf.h"

#include <commctrl.h>

namespace win32 {

namespace {

TOOLINFOW ToolInfo(HWND owner, HWND tool) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    return info;
}

} // namespace

ToolTip::~ToolTip() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        ::DestroyWindow(hwnd_);
    }
}

bool ToolTip::Create(HWND owner, HWND tool) {
    owner_ = owner;
    tool_ = tool;
    hwnd_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) {
        return false;
    }
    wchar_t empty[] = L"";
    TOOLINFOW info = ToolInfo(owner_, tool_);
    info.lpszText = empty;
    return ::SendMessageW(hwnd_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void ToolTip::SetText(const std::string& text) {
    std::wstring wide = WideFromUtf8(text);
    TOOLINFOW info = ToolInfo(owner_, tool_);
    info.lpszText = wide.data();
    ::SendMessageW(hwnd_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

} // namespace win32
