#include "platform/win32/window/CheckBox.h"

namespace win32 {

bool CheckBox::Create(const CreateArgs& args) {
    return CreateChild(args, L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0);
}

int CheckBox::Value() const {
    return ::SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

} // namespace win32
