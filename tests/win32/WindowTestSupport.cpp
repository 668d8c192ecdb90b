#include "win32/WindowTestSupport.h"

#include "platform/win32/Utf.h"
#include "platform/win32/window/Control.h"

#include <commctrl.h>
#include <ole2.h>

#include <chrono>
#include <utility>

Win32TestEnvironment::Win32TestEnvironment() {
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
}

Win32TestEnvironment::~Win32TestEnvironment() {
    ::OleUninitialize();
}

bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        // Wakes for any message, or after a short while to test again.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return done();
}

namespace {

MessageBoxCloser* activeCloser = nullptr;

// The text of the selected item of the dialog's tree view, if it has one.
std::string SelectedTreeItem(HWND dialog) {
    HWND tree = ::FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
    auto item =
        tree ? reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0))
             : nullptr;
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
        ::EnumThreadWindows(::GetCurrentThreadId(), CloseIfDialog,
                            reinterpret_cast<LPARAM>(activeCloser));
    }
}

// A message box is a dialog whose text is the static control 0xFFFF.
BOOL CALLBACK MessageBoxCloser::CloseIfDialog(HWND window, LPARAM self) {
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770" || !::IsWindowVisible(window)) {
        return TRUE;
    }
    HWND text = ::GetDlgItem(window, 0xFFFF);
    auto& closer = *reinterpret_cast<MessageBoxCloser*>(self);
    closer.boxes.push_back(Box{win32::WindowTextUtf8(window),
                               text ? win32::WindowTextUtf8(text) : std::string(),
                               text ? std::string() : SelectedTreeItem(window)});
    const std::string& shown = closer.boxes.back().text;
    const bool question = !shown.empty() && shown.back() == '?';
    const int button = closer.answer_ ? closer.answer_(closer.boxes.back())
                       : !text        ? IDCANCEL
                       : question     ? IDYES
                                      : IDOK;
    // Sent, not posted: the dialog is gone before the timer can see it again.
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, button)));
    return TRUE;
}
