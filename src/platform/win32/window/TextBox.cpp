#include "platform/win32/window/TextBox.h"

#include <commctrl.h>

namespace win32 {

namespace {

constexpr UINT_PTR SubclassId = 1;
// Posted to the edit on a click, so that the handler (which may open a modal dialog) runs
// once the edit has finished with the click and released the mouse.
constexpr UINT ClickedMessage = WM_APP + 1;
constexpr int OLEDropManual = 1;

} // namespace

TextBox::TextBox()
    : dropTarget_([this](const std::vector<std::string>& files) { DropFiles(files); }) {}

TextBox::~TextBox() = default;

bool TextBox::Create(const CreateArgs& args) {
    if (!CreateChild(args.parent, L"EDIT", args.text, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                     args.position, args.font)) {
        return false;
    }
    return ::SetWindowSubclass(hwnd_, SubclassProc, SubclassId,
                               reinterpret_cast<DWORD_PTR>(this)) != FALSE;
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

void TextBox::DropFiles(const std::vector<std::string>& files) {
    if (onDropFiles) {
        onDropFiles(files);
    }
}

LRESULT CALLBACK TextBox::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
    TextBox& box = *reinterpret_cast<TextBox*>(self);
    switch (message) {
    case WM_LBUTTONUP: {
        LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        ::PostMessageW(window, ClickedMessage, 0, 0);
        return result;
    }
    case ClickedMessage:
        if (box.onClick) {
            box.onClick();
        }
        return 0;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        std::vector<std::string> files = FilesFromHDrop(drop);
        ::DragFinish(drop);
        if (!files.empty()) {
            box.DropFiles(files);
        }
        return 0;
    }
    case WM_DESTROY:
        if (box.dropTargetRegistered_) {
            ::RevokeDragDrop(window);
            box.dropTargetRegistered_ = false;
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, SubclassProc, SubclassId);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace win32
