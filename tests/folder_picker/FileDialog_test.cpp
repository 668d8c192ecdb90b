#include "fakes/FakeShellPlatform.h"
#include "folder_picker/FileDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Call = FakeShellPlatform::Call;

constexpr ItemIdList ChosenList = 0x3030;

std::string Browse(FakeShellPlatform& shell, std::uint32_t flags = BifReturnOnlyFsDirs,
                   const std::string& startFolder = "C:\\Data", WindowHandle owner = 0) {
    return FileDialog::BrowseForFolder(shell, "Select Folder", owner, 0, flags, startFolder);
}

TEST(BrowseForFolder, FillsTheRecordFromItsArguments) {
    struct Case {
        WindowHandle owner;
        std::string startFolder;
        WindowHandle expectedOwner;
        bool expectedCallback;
    };
    const std::vector<Case> cases = {
        {0, "C:\\Data", 0x10010, true}, // no owner: the desktop window owns the dialog
        {0x777, "C:\\Data", 0x777, true},
        {0, "", 0x10010, false}, // no start folder: no callback, no lParam
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startFolder + " owner " + std::to_string(c.owner));
        FakeShellPlatform shell;
        FileDialog::BrowseForFolder(shell, "Select Folder", c.owner, 0x55, 0x41, c.startFolder);
        ASSERT_EQ(shell.records.size(), 1u);
        const auto& record = shell.records[0];
        EXPECT_EQ(record.hwndOwner, c.expectedOwner);
        EXPECT_EQ(record.hasCallback, c.expectedCallback);
        EXPECT_EQ(record.lParam.has_value(), c.expectedCallback);
        if (record.lParam) {
            EXPECT_EQ(*record.lParam, c.startFolder);
        }
        EXPECT_EQ(shell.sent.size(), c.expectedCallback ? 1u : 0u);
    }
}

TEST(BrowseForFolder, SelectsTheStartFolderOnlyWhenTheDialogReportsItsCreation) {
    struct Case {
        std::vector<std::uint32_t> notifications;
        std::size_t expectedSends;
    };
    const std::vector<Case> cases = {
        {{BffmSelChanged, BffmInitialized, BffmSelChanged, 3, 4}, 1},
        {{BffmSelChanged, 3}, 0},
        {{}, 0},
    };
    for (const Case& c : cases) {
        FakeShellPlatform shell;
        shell.notifications = c.notifications;
        Browse(shell, BifReturnOnlyFsDirs, "D:\\Photos\\2019");
        ASSERT_EQ(shell.sent.size(), c.expectedSends);
        if (c.expectedSends == 1) {
            EXPECT_EQ(shell.sent[0].window, shell.dialogWindow);
            EXPECT_EQ(shell.sent[0].message, 0x466u);
            EXPECT_EQ(shell.sent[0].wParam, 1u);
            EXPECT_EQ(shell.sent[0].lParam, "D:\\Photos\\2019");
        }
    }
}

TEST(BrowseForFolder, TakesTheResultAndAlwaysFreesTheList) {
    const std::string longest = "C:\\" + std::string(256, 'x'); // 259 bytes, the most that fits
    struct Case {
        const char* name;
        std::uint32_t flags;
        ItemIdList chosen;
        std::string displayName;
        std::optional<std::string> path;
        std::string expected;
        std::size_t expectedPathQueries;
    };
    const std::vector<Case> cases = {
        {"cancel", 1, 0, "", "C:\\Data", "", 0},
        {"folder", 1, ChosenList, "Data", "C:\\Data", "C:\\Data", 1},
        {"drive root keeps its backslash", 1, ChosenList, "C:", "C:\\", "C:\\", 1},
        {"longest path", 1, ChosenList, "x", longest, longest, 1},
        {"cut at the first NUL", 1, ChosenList, "", std::string("C:\\a\0old", 8), "C:\\a", 1},
        {"item without a path", 1, ChosenList, "Printers", std::nullopt, "", 1},
        {"computer", 0x1001, ChosenList, "SERVER", "C:\\Data", "SERVER", 0},
        {"computer cancelled", 0x1000, 0, "", std::nullopt, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeShellPlatform shell;
        shell.chosenList = c.chosen;
        shell.displayName = c.displayName;
        shell.path = c.path;
        EXPECT_EQ(Browse(shell, c.flags), c.expected);
        ASSERT_EQ(shell.pathQueries.size(), c.expectedPathQueries);
        if (c.expectedPathQueries == 1) {
            EXPECT_EQ(shell.pathQueries[0], c.chosen);
            EXPECT_EQ(shell.pathBufferSizes[0], 260u);
        }
        EXPECT_EQ(shell.freed, std::vector<ItemIdList>{c.chosen});
    }
}

TEST(BrowseForFolder, TrapsAFailingShellCall) {
    struct Case {
        const char* name;
        Call failing;
        std::uint32_t flags;
        std::string expected;
        ItemIdList expectedFreed;
    };
    const std::vector<Case> cases = {
        {"desktop window", Call::GetDesktopWindow, 1, "", 0},
        {"dialog", Call::SHBrowseForFolder, 1, "", 0},
        {"selection", Call::SendMessage, 1, "", 0},
        {"path", Call::SHGetPathFromIDList, 1, "", ChosenList},
        // The answer was had before the free failed: it is not thrown away.
        {"free", Call::SHFree, 1, "C:\\Data", ChosenList},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeShellPlatform shell;
        shell.chosenList = ChosenList;
        shell.path = "C:\\Data";
        shell.failingCall = c.failing;
        std::string result = "not set";
        EXPECT_NO_THROW(result = Browse(shell, c.flags));
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(shell.freed, std::vector<ItemIdList>{c.expectedFreed});
    }
}

} // namespace
