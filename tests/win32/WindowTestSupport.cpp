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

DialogCloser* activeCloser = nullptr;

std::string TextOf(HWND window) {
    wchar_t buffer[2048] = {};
    ::GetWindowTextW(window, buffer, 2048);
    return Utf8FromWide(buffer);
}

} // namespace

DialogCloser::DialogCloser() {
    activeCloser = this;
    timer_ = ::SetTimer(nullptr, 0, 20, OnTimer);
}

DialogCloser::~DialogCloser() {
    ::KillTimer(nullptr, timer_);
    activeCloser = nullptr;
}

void CALLBACK DialogCloser::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (activeCloser) {
        ::EnumThreadWindows(::GetCurrentThreadId(), CloseIfDialog,
                            reinterpret_cast<LPARAM>(activeCloser));
    }
}

// A message box is a dialog whose text is the static control 0xFFFF.
BOOL CALLBACK DialogCloser::CloseIfDialog(HWND window, LPARAM self) {
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770" || !::IsWindowVisible(window)) {
        return TRUE;
    }
    HWND text = ::GetDlgItem(window, 0xFFFF);
    std::vector<std::string>& texts = reinterpret_cast<DialogCloser*>(self)->texts;
    texts.push_back(text ? TextOf(text) : std::string());
    const bool question = !texts.back().empty() && texts.back().back() == '?';
    const int button = !text ? IDCANCEL : question ? IDYES : IDOK;
    // Sent, not posted: the dialog is gone before the timer can see it again.
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, button)));
    return TRUE;
}
