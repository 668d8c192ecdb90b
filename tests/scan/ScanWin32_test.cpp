// What only Windows shows: paths beyond MAX_PATH, reparse points, drive roots.

#include "scan/EmptyFolderScan.h"
#include "platform/FileSystem.h"
#include "platform/MemoryResultList.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <windows.h>

#include "scan/RealTreeScan.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::string> ScanPaths(const std::string& root) {
    auto fileSystem = CreateSystemFileSystem();
    return PathsOnly(ScanRows(*fileSystem, root));
}

std::wstring Long(const std::string& path) {
    return L"\\\\?\\" + std::filesystem::u8path(path).wstring();
}

TEST(ScanWin32, FoldersBeyondMaxPath) {
    TempFolder temp;
    std::string name(60, 'n');
    std::string relative;
    std::string full = temp.Text();
    std::vector<std::string> levels;
    for (int level = 0; level < 8; ++level) { // about 490 characters below the root
        relative += (level ? "/" : "") + name;
        full += "\\" + name;
        ASSERT_TRUE(::CreateDirectoryW(Long(full).c_str(), nullptr)) << level;
        levels.push_back(full);
    }
    ASSERT_TRUE(::CreateDirectoryW(Long(full + "\\empty").c_str(), nullptr));
    HANDLE file = ::CreateFileW(Long(full + "\\f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    EXPECT_GT(full.size(), 300u);

    EXPECT_EQ(ScanPaths(temp.Text()), std::vector<std::string>{relative + "/empty"});
    EXPECT_TRUE(CreateSystemFileSystem()->FolderExists(full));
    EXPECT_TRUE(CreateSystemFileSystem()->FileExists(full + "\\f"));

    // The temporary folder's own removal does not reach this deep.
    ::DeleteFileW(Long(full + "\\f").c_str());
    ::RemoveDirectoryW(Long(full + "\\empty").c_str());
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        ::RemoveDirectoryW(Long(*level).c_str());
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
    EXPECT_EQ(ScanPaths(temp.Text()), std::vector<std::string>{"E"});
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
