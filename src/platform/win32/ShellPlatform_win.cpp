#include "platform/ShellPlatform.h"

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#undef SendMessage
#undef SHBrowseForFolder
#undef SHGetPathFromIDList

#include "platform/win32/Utf.h"
#include "platform/win32/WindowHandle_win.h"

#include <exception>
#include <string_view>
#include <vector>

namespace {

// The whole buffer, NULs included: where the text ends is the logic's business.
std::string Utf8FromBuffer(const std::vector<wchar_t>& buffer) {
    return Utf8FromWide(std::wstring_view(buffer.data(), buffer.size()));
}

// What the shell hands to our callback. The logic's callback may throw, but no exception
// may unwind through shell32's frames: the first failure is kept and rethrown afterwards.
struct CallbackContext {
    ShellPlatform& shell;
    BrowseCallback callback;
    const std::string* startFolder;
    std::exception_ptr failure;
};

int CALLBACK ForwardBrowseCallback(HWND window, UINT message, LPARAM argument, LPARAM data) {
    auto& context = *reinterpret_cast<CallbackContext*>(data);
    if (context.failure) {
        return 0;
    }
    try {
        return context.callback(context.shell, ToWindowHandle(window), message, argument,
                                context.startFolder);
    } catch (...) {
        context.failure = std::current_exception();
        return 0;
    }
}

// The browse dialog needs OLE on its thread (the new dialog style even more so); a thread
// that already has it keeps it as it was.
class OleSession {
  public:
    OleSession() : initialized_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleSession() {
        if (initialized_) {
            ::OleUninitialize();
        }
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

  private:
    bool initialized_;
};

class Win32ShellPlatform final : public ShellPlatform {
  public:
    WindowHandle GetDesktopWindow() override { return ToWindowHandle(::GetDesktopWindow()); }

    ItemIdList SHBrowseForFolder(const BrowseInfo& info) override {
        OleSession ole;
        std::vector<wchar_t> displayName(MAX_PATH, L'\0');
        std::wstring title = WideFromUtf8(info.lpszTitle);
        CallbackContext context{*this, info.lpfn, info.lParam, nullptr};

        BROWSEINFOW record{};
        record.hwndOwner = ToHwnd(info.hwndOwner);
        record.pidlRoot = reinterpret_cast<PCIDLIST_ABSOLUTE>(info.pidlRoot);
        record.pszDisplayName = displayName.data();
        record.lpszTitle = title.c_str();
        record.ulFlags = info.ulFlags;
        if (info.lpfn != nullptr) {
            record.lpfn = &ForwardBrowseCallback;
            record.lParam = reinterpret_cast<LPARAM>(&context);
        }
        record.iImage = info.iImage;

        PIDLIST_ABSOLUTE list = ::SHBrowseForFolderW(&record);
        if (context.failure) {
            ::CoTaskMemFree(list);
            std::rethrow_exception(context.failure);
        }
        if (info.pszDisplayName != nullptr) {
            *info.pszDisplayName = Utf8FromBuffer(displayName);
        }
        return reinterpret_cast<ItemIdList>(list);
    }

    // The W buffer holds MAX_PATH UTF-16 units, so a path of up to 259 units comes back
    // whole, however many UTF-8 bytes it takes.
    std::int32_t SHGetPathFromIDList(ItemIdList list, std::string& buffer) override {
        std::vector<wchar_t> path(MAX_PATH, L'\0');
        if (!::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(list), path.data())) {
            return 0;
        }
        buffer = Utf8FromBuffer(path);
        return 1;
    }

    // shell32's export 195 (SHFree) hands the list to the task allocator; call it directly.
    void SHFree(ItemIdList list) override { ::CoTaskMemFree(reinterpret_cast<void*>(list)); }

    // The text goes as UTF-16, so the selection message goes in its W form.
    std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              const std::string& lParam) override {
        std::wstring text = WideFromUtf8(lParam);
        UINT wideMessage = message == BffmSetSelection ? BFFM_SETSELECTIONW : message;
        return ::SendMessageW(ToHwnd(window), wideMessage, wParam,
                              reinterpret_cast<LPARAM>(text.c_str()));
    }
};

} // namespace

std::unique_ptr<ShellPlatform> CreateSystemShellPlatform() {
    return std::make_unique<Win32ShellPlatform>();
}
