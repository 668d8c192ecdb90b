#include "fakes/FakeShellPlatform.h"
#include "folder_picker/FileDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Call = FakeShellPlatform::Call;
using Sent = FakeShellPlatform::Sent;

constexpr ItemIdList ChosenList = 0x3030;
constexpr WindowHandle Desktop = FakeShellPlatform::Desktop;

std::string Browse(FakeShellPlatform& shell, std::uint32_t flags = BifReturnOnlyFsDirs,
                   const std::string& startFolder = "C:\\Data", WindowHandle owner = 0) {
    return FileDialog::BrowseForFolder(shell, "Select Folder", owner, 0, flags, startFolder);
}

// Without an owner the desktop window owns the dialog; the start folder is selected, as a
// path, once the dialog reports its creation.
TEST(BrowseForFolder, OpensOverItsOwnerOnTheStartFolder) {
    const Sent select{FakeShellPlatform::Dialog, 0x466, 1, "D:\\Photos\\2019"};
    struct Case {
        const char* name;
        WindowHandle owner;
        std::string startFolder;
        std::vector<std::uint32_t> notifications;
        WindowHandle expectedOwner;
        std::vector<Sent> expectedSent;
    };
    const std::vector<std::uint32_t> all{BffmSelChanged, BffmInitialized, BffmSelChanged, 3, 4};
    const std::vector<std::uint32_t> early{BffmSelChanged, 3};
    const Case cases[] = {
        {"no owner", 0, select.lParam, all, Desktop, {select}},
        {"owner", 0x777, select.lParam, all, 0x777, {select}},
        {"no start folder", 0, "", all, Desktop, {}},
        {"never initialised", 0, select.lParam, early, Desktop, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeShellPlatform shell;
        shell.notifications = c.notifications;
        Browse(shell, BifReturnOnlyFsDirs, c.startFolder, c.owner);
        EXPECT_EQ(shell.owner, c.expectedOwner);
        EXPECT_EQ(shell.sent, c.expectedSent);
    }
}

// A failing shell call is trapped: the answer is empty unless it was had before the free
// failed. The list is freed on every path.
TEST(BrowseForFolder, TakesTheResultAndAlwaysFreesTheList) {
    const std::string longest = "C:\\" + std::string(256, 'x'); // 259 bytes, the most that fits
    struct Case {
        const char* name;
        std::uint32_t flags;
        ItemIdList chosen;
        std::string displayName;
        std::optional<std::string> path;
        std::string expected;
        Call failing = Call::None;
    };
    const Case cases[] = {
        {"cancel", 1, 0, "", "C:\\Data", ""},
        {"folder", 1, ChosenList, "Data", "C:\\Data", "C:\\Data"},
        {"drive root keeps its backslash", 1, ChosenList, "C:", "C:\\", "C:\\"},
        {"longest path", 1, ChosenList, "x", longest, longest},
        {"cut at the first NUL", 1, ChosenList, "", std::string("C:\\a\0old", 8), "C:\\a"},
        {"item without a path", 1, ChosenList, "Printers", std::nullopt, ""},
        {"computer", 0x1001, ChosenList, "SERVER", "C:\\Data", "SERVER"},
        {"computer cancelled", 0x1000, 0, "", std::nullopt, ""},
        {"selection fails", 1, 0, "", "C:\\Data", "", Call::Send},
        {"path fails", 1, ChosenList, "", "C:\\Data", "", Call::SHGetPathFromIDList},
        {"free fails", 1, ChosenList, "", "C:\\Data", "C:\\Data", Call::SHFree},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeShellPlatform shell;
        shell.chosenList = c.chosen;
        shell.displayName = c.displayName;
        shell.path = c.path;
        shell.failingCall = c.failing;
        std::string result = "not set";
        EXPECT_NO_THROW(result = Browse(shell, c.flags));
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(shell.freed, std::vector<ItemIdList>{c.chosen});
    }
}

} // namespace
