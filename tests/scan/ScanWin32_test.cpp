// What only Windows shows: paths beyond MAX_PATH, reparse points, drive roots.

#include <windows.h>

#include "platform/FileSystem.h"
#include "scan/ScanRun.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::wstring Long(const std::string& path) {
    return L"\\\\?\\" + std::filesystem::u8path(path).wstring();
}

TEST(ScanWin32, FoldersBeyondMaxPath) {
    TempFolder temp;
    std::string name(60, 'n');
    std::string relative;
    std::string full = temp.Text();
    for (int level = 0; level < 8; ++level) { // about 490 characters below the root
        relative += (level ? "/" : "") + name;
        full += "\\" + name;
        ASSERT_TRUE(::CreateDirectoryW(Long(full).c_str(), nullptr)) << level;
    }
    ASSERT_TRUE(::CreateDirectoryW(Long(full + "\\empty").c_str(), nullptr));
    HANDLE file = ::CreateFileW(Long(full + "\\f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    EXPECT_GT(full.size(), 300u);

    auto fileSystem = CreateSystemFileSystem();
    EXPECT_EQ(ScanRows(*fileSystem, temp.Text()),
              std::vector<std::string>{"0 " + relative + "/empty"});
    EXPECT_TRUE(fileSystem->FolderExists(full));
    EXPECT_TRUE(fileSystem->FileExists(full + "\\f"));

    // The temporary folder's own removal does not reach this deep.
    ::DeleteFileW(Long(full + "\\f").c_str());
    ::RemoveDirectoryW(Long(full + "\\empty").c_str());
    for (std::string level = full; level.size() > temp.Text().size();
         level.resize(level.rfind('\\'))) {
        ::RemoveDirectoryW(Long(level).c_str());
    }
}

TEST(ScanWin32, LinkToFolderIsContentAndNeverEntered) {
    TempFolder temp;
    MakeTree(temp.Path(), {"f", "A/", "E/"});
    std::wstring link = (temp.Path() / "A" / "l").wstring();
    std::wstring target = (temp.Path() / "E").wstring();
    bool made = ::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    DWORD attributes = ::GetFileAttributesW(link.c_str());
    if (!made || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        GTEST_SKIP() << "no link to a folder can be made here";
    }
    EXPECT_EQ(ScanRows(*CreateSystemFileSystem(), temp.Text()), std::vector<std::string>{"0 E"});
}

TEST(ScanWin32, DriveWithoutSeparatorIsItsRoot) {
    auto fileSystem = CreateSystemFileSystem();
    EXPECT_TRUE(fileSystem->FolderExists("C:"));
    auto root = fileSystem->GetFolder("C:");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->Path(), "C:");
    auto windows = root->SubFolderNames();
    ASSERT_TRUE(windows);
    EXPECT_NE(std::find(windows->begin(), windows->end(), "windows"), windows->end());
}

} // namespace
