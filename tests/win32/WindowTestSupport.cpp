#include "win32/WindowTestSupport.h"

#include "platform/win32/Utf.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>

Win32TestEnvironment::Win32TestEnvironment() {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
}

Win32TestEnvironment::~Win32TestEnvironment() {
    ::OleUninitialize();
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return done();
        }
        // Wakes for any message, or at the latest after a short while to test again.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                    static_cast<DWORD>(std::min<long long>(left.count(), 20)),
                                    QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return true;
}

HGLOBAL MakeHDrop(const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) {
        list += WideFromUtf8(path);
        list += L'\0';
    }
    list += L'\0';
    std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(),
                list.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    return memory;
}

std::string ListViewCellText(HWND list, int row, int column) {
    wchar_t buffer[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 1024;
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return Utf8FromWide(buffer);
}

namespace {

MessageBoxCloser* activeCloser = nullptr;

std::string TextOf(HWND window) {
    wchar_t buffer[2048] = {};
    ::GetWindowTextW(window, buffer, 2048);
    return Utf8FromWide(buffer);
}

} // namespace

MessageBoxCloser::MessageBoxCloser(std::function<int(const Box&)> answer)
    : answer_(std::move(answer)) {
    activeCloser = this;
    timer_ = ::SetTimer(nullptr, 0, 20, OnTimer);
}

MessageBoxCloser::~MessageBoxCloser() {
    ::KillTimer(nullptr, timer_);
    activeCloser = nullptr;
}

void CALLBACK MessageBoxCloser::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (activeCloser) {
        activeCloser->CloseOpenBoxes();
    }
}

void MessageBoxCloser::CloseOpenBoxes() {
    ::EnumThreadWindows(::GetCurrentThreadId(), CloseIfDialog, reinterpret_cast<LPARAM>(this));
}

namespace {

// The text of the selected item of the first tree view in the dialog, if it has one.
std::string SelectedTreeItem(HWND dialog) {
    HWND tree = ::FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
    if (!tree) {
        return {};
    }
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    wchar_t text[MAX_PATH] = {};
    TVITEMW info{};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = MAX_PATH;
    if (!item || !::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info))) {
        return {};
    }
    return Utf8FromWide(text);
}

} // namespace

// A message box is a dialog whose text is the static control 0xFFFF.
BOOL CALLBACK MessageBoxCloser::CloseIfDialog(HWND window, LPARAM self) {
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770" || !::IsWindowVisible(window)) {
        return TRUE;
    }
    HWND text = ::GetDlgItem(window, 0xFFFF);
    auto& closer = *reinterpret_cast<MessageBoxCloser*>(self);
    closer.boxes.push_back(Box{TextOf(window), text ? TextOf(text) : std::string(),
                               text ? std::string() : SelectedTreeItem(window)});
    int button = closer.answer_ ? closer.answer_(closer.boxes.back()) : text ? IDOK : IDCANCEL;
    // Sent, not posted: the dialog is gone before the timer can see it again.
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, button)));
    return TRUE;
}
