#include "platform/ProfileFile.h"

#include <windows.h>
#undef GetPrivateProfileString
#undef WritePrivateProfileString

#include "platform/win32/Utf.h"

#include <vector>

namespace {

class Win32ProfileFile final : public ProfileFile {
  public:
    // kernel32 cuts a value that does not fit and then returns size - 1: grow the buffer
    // until the whole value fits, so that a long root folder is never cut.
    std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue,
                                        std::string_view file) override {
        std::wstring wideSection = WideFromUtf8(section);
        std::wstring wideKey = WideFromUtf8(key);
        std::wstring wideDefault = WideFromUtf8(defaultValue);
        std::wstring wideFile = WideFromUtf8(file);
        std::vector<wchar_t> buffer(1024, L'\0');
        for (;;) {
            DWORD count = ::GetPrivateProfileStringW(
                wideSection.c_str(), wideKey.c_str(), wideDefault.c_str(), buffer.data(),
                static_cast<DWORD>(buffer.size()), wideFile.c_str());
            if (count + 1 < buffer.size() || buffer.size() >= MaximumBuffer) {
                return Utf8FromWide(std::wstring_view(buffer.data(), count));
            }
            buffer.assign(buffer.size() * 2, L'\0');
        }
    }

    bool WritePrivateProfileString(std::string_view section, std::string_view key,
                                   std::string_view value, std::string_view file) override {
        return ::WritePrivateProfileStringW(WideFromUtf8(section).c_str(),
                                            WideFromUtf8(key).c_str(), WideFromUtf8(value).c_str(),
                                            WideFromUtf8(file).c_str()) != 0;
    }

  private:
    // Far above any real value; keeps a damaged file from growing the buffer without end.
    static constexpr std::size_t MaximumBuffer = std::size_t{64} << 20;
};

} // namespace

std::unique_ptr<ProfileFile> CreateSystemProfileFile() {
    return std::make_unique<Win32ProfileFile>();
}
