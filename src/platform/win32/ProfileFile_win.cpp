#include "platform/ProfileFile.h"

#include <windows.h>
#undef GetPrivateProfileString
#undef WritePrivateProfileString

#include "platform/win32/Utf.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

enum class Found { Usable, Missing, Refused };

// Only a regular file within the size cap goes to kernel32, which reads the file whole: a
// huge one would cost its size in memory, and a device or a pipe is no settings file. The
// handle asks for attributes only, so nothing is read here.
Found LookAtProfileFile(const std::wstring& file) {
    HANDLE handle = ::CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Found::Missing
                                                                              : Found::Refused;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    bool usable =
        ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) &&
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        ((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow) <= MaximumProfileFileSize;
    ::CloseHandle(handle);
    return usable ? Found::Usable : Found::Refused;
}

// What kernel32 delivers for a missing file: the default less its trailing spaces.
std::string DefaultAsDelivered(std::string_view defaultValue) {
    std::size_t end = defaultValue.find_last_not_of(' ');
    return std::string(defaultValue.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

class Win32ProfileFile final : public ProfileFile {
  public:
    // kernel32 cuts a value that does not fit and then returns size - 1: grow the buffer
    // until the whole value fits, so that a long root folder is never cut. No value is
    // longer than the file, so the buffer stops there; a value that still does not fit
    // (the file grew after the look) gives the default, never a cut path.
    std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue,
                                        std::string_view file) override {
        std::wstring wideFile = WideFromUtf8(file);
        if (LookAtProfileFile(wideFile) == Found::Refused) {
            return DefaultAsDelivered(defaultValue);
        }
        std::wstring wideSection = WideFromUtf8(section);
        std::wstring wideKey = WideFromUtf8(key);
        std::wstring wideDefault = WideFromUtf8(defaultValue);
        std::vector<wchar_t> buffer(1024, L'\0');
        for (;;) {
            DWORD count = ::GetPrivateProfileStringW(
                wideSection.c_str(), wideKey.c_str(), wideDefault.c_str(), buffer.data(),
                static_cast<DWORD>(buffer.size()), wideFile.c_str());
            if (count + 1 < buffer.size()) {
                return Utf8FromWide(std::wstring_view(buffer.data(), count));
            }
            if (buffer.size() >= MaximumBuffer) {
                return DefaultAsDelivered(defaultValue);
            }
            buffer.assign(std::min(buffer.size() * 2, MaximumBuffer), L'\0');
        }
    }

    bool WritePrivateProfileString(std::string_view section, std::string_view key,
                                   std::string_view value, std::string_view file) override {
        std::wstring wideFile = WideFromUtf8(file);
        if (LookAtProfileFile(wideFile) == Found::Refused) {
            return false;
        }
        return ::WritePrivateProfileStringW(WideFromUtf8(section).c_str(),
                                            WideFromUtf8(key).c_str(), WideFromUtf8(value).c_str(),
                                            wideFile.c_str()) != 0;
    }

  private:
    // Room for the longest value a file within the cap can hold, and the NUL after it.
    static constexpr std::size_t MaximumBuffer = MaximumProfileFileSize + 2;
};

} // namespace

std::unique_ptr<ProfileFile> CreateSystemProfileFile() {
    return std::make_unique<Win32ProfileFile>();
}
