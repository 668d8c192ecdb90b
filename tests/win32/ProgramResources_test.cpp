// What Explorer shows of Vacantor.exe: its icon, and the version, company and product of
// its Details tab, with the version set in CMakeLists.txt.
#include "platform/win32/Utf.h"

#include "VacantorVersion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The program's path as Wine maps the Linux file system: drive Z: is its root.
std::wstring ProgramPath() {
    std::wstring path = L"Z:" + WideFromUtf8(VACANTOR_EXE);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

class Win32ProgramResources : public ::testing::Test {
  protected:
    void SetUp() override {
        DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), nullptr);
        ASSERT_GT(size, 0u) << "no version resource";
        versionInfo.resize(size);
        ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, versionInfo.data()));
    }

    std::string Text(const std::wstring& name) {
        std::wstring query = L"\\StringFileInfo\\040904b0\\" + name;
        wchar_t* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(versionInfo.data(), query.c_str(), reinterpret_cast<void**>(&value),
                              &length)) {
            return "(missing)";
        }
        return Utf8FromWide(std::wstring(value, length > 0 ? length - 1 : 0));
    }

    std::wstring path = ProgramPath();
    std::vector<char> versionInfo;
};

TEST_F(Win32ProgramResources, TheDetailsNameVacantorAndTheProjectsVersion) {
    EXPECT_EQ(Text(L"CompanyName"), "Vacantor");
    EXPECT_EQ(Text(L"ProductName"), "Vacantor");
    EXPECT_EQ(Text(L"FileVersion"), VACANTOR_VERSION);
    EXPECT_EQ(Text(L"ProductVersion"), VACANTOR_VERSION);
    EXPECT_EQ(Text(L"OriginalFilename"), "Vacantor.exe");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(
        ::VerQueryValueW(versionInfo.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(VACANTOR_VERSION_MINOR, VACANTOR_VERSION_MAJOR));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, VACANTOR_VERSION_PATCH));
}

TEST_F(Win32ProgramResources, ExplorerShowsTheProgramsIcon) {
    EXPECT_EQ(::ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0), 1u);
}

} // namespace
