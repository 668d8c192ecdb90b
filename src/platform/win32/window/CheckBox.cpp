#include "platform/win32/window/CheckBox.h"

namespace win32 {

bool CheckBox::Create(const CreateArgs& args) {
    return CreateChild(args, L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0);
}

int CheckBox::Value() const {
    return ::SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CheckBox::SetValue(int value) {
    ::SendMessageW(hwnd_, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckBox::OnCommand(WORD notification) {
    if (notification != BN_CLICKED) {
        return false;
    }
    if (onClick) {
        onClick();
    }
    return true;
}

} // namespace win32
