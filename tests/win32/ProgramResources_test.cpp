// What Explorer shows of Vacantor.exe: its icon, and the version of its Details tab, as
// set in CMakeLists.txt.
#include "platform/win32/Utf.h"

#include "VacantorVersion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(Win32ProgramResources, ExplorerShowsTheIconAndTheProjectsVersion) {
    // The program's path as Wine maps the Linux file system: drive Z: is its root.
    std::wstring path = L"Z:" + WideFromUtf8(VACANTOR_EXE);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    EXPECT_EQ(::ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0), 1u);

    std::vector<char> info(::GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_FALSE(info.empty()) << "no version resource";
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, info.size(), info.data()));
    for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        wchar_t* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value),
                                     &length));
        EXPECT_EQ(Utf8FromWide(value), VACANTOR_VERSION);
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(VACANTOR_VERSION_MINOR, VACANTOR_VERSION_MAJOR));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, VACANTOR_VERSION_PATCH));
}

} // namespace
