#include "platform/win32/window/TextBox.h"

#include <commctrl.h>

namespace win32 {

namespace {

// Posted to the edit on a click, so that the handler (which may open a modal dialog) runs
// once the edit has finished with the click and released the mouse.
constexpr UINT ClickedMessage = WM_APP + 1;
constexpr int OLEDropManual = 1;

} // namespace

TextBox::TextBox()
    : dropTarget_([this](const std::vector<std::string>& files) { DropFiles(files); }) {}

TextBox::~TextBox() = default;

bool TextBox::Create(const CreateArgs& args) {
    return CreateChild(args, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE) && Subclass();
}

void TextBox::SetText(const std::string& text) {
    SetWindowTextUtf8(hwnd_, text);
}

void TextBox::SetEnabled(bool enabled) {
    ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void TextBox::SetOLEDropMode(int mode) {
    bool accept = mode == OLEDropManual;
    if (accept && !dropTargetRegistered_) {
        // Without OLE on this thread (OleInitialize) only WM_DROPFILES drops arrive.
        dropTargetRegistered_ = ::RegisterDragDrop(hwnd_, &dropTarget_) == S_OK;
    } else if (!accept && dropTargetRegistered_) {
        ::RevokeDragDrop(hwnd_);
        dropTargetRegistered_ = false;
    }
    ::DragAcceptFiles(hwnd_, accept ? TRUE : FALSE);
}

// A read-only edit is drawn on the dialog background, as a box that takes no typing.
void TextBox::SetLocked(bool locked) {
    ::SendMessageW(hwnd_, EM_SETREADONLY, locked ? TRUE : FALSE, 0);
}

void TextBox::DropFiles(const std::vector<std::string>& files) {
    if (onDropFiles) {
        onDropFiles(files);
    }
}

bool TextBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_LBUTTONUP:
        result = ::DefSubclassProc(hwnd_, message, wParam, lParam);
        ::PostMessageW(hwnd_, ClickedMessage, 0, 0);
        return true;
    case ClickedMessage:
        if (onClick) {
            onClick();
        }
        return true;
    case WM_GETDLGCODE:
        // Enter would otherwise go to the dialog manager as the default button's key.
        result = ::DefSubclassProc(hwnd_, message, wParam, lParam);
        if (auto* keyMessage = reinterpret_cast<MSG*>(lParam);
            keyMessage && keyMessage->message == WM_KEYDOWN && keyMessage->wParam == VK_RETURN) {
            result |= DLGC_WANTMESSAGE;
        }
        return true;
    case WM_KEYDOWN:
        if (onKeyDown && ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_MENU) >= 0 &&
            onKeyDown(static_cast<int>(wParam))) {
            return true;
        }
        return false;
    case WM_CHAR:
        // The characters of the keys that open the picker: nothing for a read-only box to
        // beep at.
        return wParam == L' ' || wParam == L'\r';
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        std::vector<std::string> files = FilesFromHDrop(drop);
        ::DragFinish(drop);
        if (!files.empty()) {
            DropFiles(files);
        }
        return true;
    }
    case WM_DESTROY:
        if (dropTargetRegistered_) {
            ::RevokeDragDrop(hwnd_);
            dropTargetRegistered_ = false;
        }
        return false;
    default:
        return false;
    }
}

} // namespace win32
