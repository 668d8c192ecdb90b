#include "platform/DesktopShell.h"

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/Utf.h"

#include <cstring>
#include <string>

namespace {

// The shell's item functions need COM on the thread; a thread that has it keeps it.
class ComSession {
  public:
    ComSession() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComSession() {
        if (initialized_) {
            ::CoUninitialize();
        }
    }
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;

  private:
    bool initialized_;
};

// Text on the Windows clipboard ends its lines with CR LF.
std::wstring WindowsLines(const std::string& text) {
    std::wstring wide = WideFromUtf8(text);
    std::wstring lines;
    lines.reserve(wide.size() + wide.size() / 16);
    for (wchar_t c : wide) {
        if (c == L'\n') {
            lines += L'\r';
        }
        lines += c;
    }
    return lines;
}

class Win32DesktopShell final : public DesktopShell {
  public:
    // With no child items given, the folder's own item list names the item to select in
    // its parent.
    bool ShowInFileManager(const std::string& path) override {
        ComSession com;
        PIDLIST_ABSOLUTE item = nullptr;
        if (FAILED(::SHParseDisplayName(WideFromUtf8(path).c_str(), nullptr, &item, 0, nullptr))) {
            return false;
        }
        const HRESULT shown = ::SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ::CoTaskMemFree(item);
        return SUCCEEDED(shown);
    }

    bool OpenFolder(const std::string& folder) override {
        ComSession com;
        const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
            nullptr, L"open", WideFromUtf8(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
    }

    // The clipboard needs an owner window for SetClipboardData to succeed; another program
    // may hold it for a moment, so it is asked a few times.
    bool SetClipboardText(const std::string& text) override {
        const std::wstring lines = WindowsLines(text);
        const std::size_t bytes = (lines.size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (!memory) {
            return false;
        }
        void* copy = ::GlobalLock(memory);
        if (!copy) {
            ::GlobalFree(memory);
            return false;
        }
        std::memcpy(copy, lines.c_str(), bytes);
        ::GlobalUnlock(memory);
        bool opened = false;
        for (int attempt = 0; attempt < 10 && !opened; ++attempt) {
            opened = ::OpenClipboard(::GetActiveWindow()) != FALSE;
            if (!opened) {
                ::Sleep(20);
            }
        }
        const bool set =
            opened && ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (opened) {
            ::CloseClipboard();
        }
        if (!set) {
            ::GlobalFree(memory); // the clipboard owns it only once set
        }
        return set;
    }
};

} // namespace

std::unique_ptr<DesktopShell> CreateSystemDesktopShell() {
    return std::make_unique<Win32DesktopShell>();
}
