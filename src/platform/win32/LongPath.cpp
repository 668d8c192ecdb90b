#include "platform/win32/LongPath.h"

#include "platform/win32/Utf.h"

#include <windows.h>

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
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

std::wstring JoinLongPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') {
        return folder + name;
    }
    return folder + L'\\' + name;
}
