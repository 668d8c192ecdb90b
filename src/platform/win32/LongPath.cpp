#include "platform/win32/LongPath.h"

#include "platform/win32/Utf.h"

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

using DisableRedirection = BOOL(WINAPI*)(PVOID*);
using RevertRedirection = BOOL(WINAPI*)(PVOID);

struct RedirectionFunctions {
    DisableRedirection disable = nullptr;
    RevertRedirection revert = nullptr;
};

// Found at run time: 32-bit Windows has no such functions.
const RedirectionFunctions& LoadRedirectionFunctions() {
    static const RedirectionFunctions functions = [] {
        RedirectionFunctions loaded;
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        if (kernel) {
            auto disable = reinterpret_cast<void (*)()>(
                ::GetProcAddress(kernel, "Wow64DisableWow64FsRedirection"));
            auto revert = reinterpret_cast<void (*)()>(
                ::GetProcAddress(kernel, "Wow64RevertWow64FsRedirection"));
            if (disable && revert) {
                loaded.disable = reinterpret_cast<DisableRedirection>(disable);
                loaded.revert = reinterpret_cast<RevertRedirection>(revert);
            }
        }
        return loaded;
    }();
    return functions;
}

} // namespace

std::wstring LongPath(const std::string& path) {
    std::wstring wide = WideFromUtf8(path);
    if (wide.size() == 2 && wide[1] == L':') {
        wide += L'\\';
    }
    if (wide.empty() || StartsWith(wide, L"\\\\?\\")) {
        return wide;
    }
    DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring full(needed, L'\0');
    DWORD written = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) {
        return {};
    }
    full.resize(written);
    if (StartsWith(full, L"\\\\.\\")) {
        return full;
    }
    if (StartsWith(full, L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

FileSystemRedirectionOff::FileSystemRedirectionOff() {
    const RedirectionFunctions& functions = LoadRedirectionFunctions();
    active_ = functions.disable && functions.disable(&previous_) != FALSE;
}

FileSystemRedirectionOff::~FileSystemRedirectionOff() {
    if (active_) {
        LoadRedirectionFunctions().revert(previous_);
    }
}
