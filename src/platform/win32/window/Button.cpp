#include "platform/win32/window/Button.h"

namespace win32 {

bool Button::Create(const CreateArgs& args) {
    return CreateChild(args, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0);
}

void Button::SetCaption(const std::string& caption) {
    SetWindowTextUtf8(hwnd_, caption);
}

void Button::SetEnabled(bool enabled) {
    ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Button::OnCommand(WORD notification) {
    if (notification != BN_CLICKED) {
        return false;
    }
    if (onClick) {
        onClick();
    }
    return true;
}

} // namespace win32
