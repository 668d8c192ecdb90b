#include "main_window/MainWindowTest.h"

#include "settings/IniFileCommon.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class FormFind : public MainWindowTest {
  protected:
    // A root holding a file, so that each empty subfolder is listed on its own.
    void MakeTree(int emptyFolders) {
        WriteFile(treeFolder.Path() / "file.txt", "x");
        for (int i = 0; i < emptyFolders; ++i) {
            fs::create_directories(treeFolder.Path() / ("empty" + std::to_string(i)));
        }
        fs::create_directories(treeFolder.Path() / "full" / "inner");
        WriteFile(treeFolder.Path() / "full" / "inner" / "keep.txt", "x");
    }

    std::string StoredFolder() {
        std::string value;
        IniFileCommon::GetIniValue(*profile, "Vacantor", "Folder", "<none>", value,
                                   form.State().IniFilePath);
        return value;
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& message : window.messages) {
            texts.push_back(message.text);
        }
        return texts;
    }
};

TEST_F(FormFind, FirstStartWithoutSettingsFile) {
    form.Form_Load();
    EXPECT_EQ(form.State().IniFilePath, appFolder.Text() + separator + "Scryve.ini");
    EXPECT_EQ(window.txtFolder.text, "");
    EXPECT_EQ(form.State().RootFolder, "");
    EXPECT_EQ(window.txtFolder.oleDropMode, 1);
    EXPECT_EQ(window.list.Columns(), (std::vector<std::string>{"No.", "Folder Path"}));
    EXPECT_EQ(window.list.View(), 3);
    EXPECT_TRUE(window.list.FullRowSelect());
    EXPECT_TRUE(window.list.MultiSelect());

    form.cmdFind_Click();
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].text, "Set data !");
    EXPECT_EQ(window.messages[0].title, "Scryve Alarm");
    EXPECT_EQ(window.messages[0].style, 16);
    EXPECT_EQ(window.messages[1].text, "Found 0 Folders.");
    EXPECT_EQ(window.messages[1].title, "Scryve");
    EXPECT_EQ(window.messages[1].style, 64);
    EXPECT_EQ(window.messages[1].options, 0);
    EXPECT_FALSE(fs::exists(appFolder.Path() / "Scryve.ini"));
}

TEST_F(FormFind, TheRootOfTheLastFindIsRestoredAtTheNextStart) {
    MakeTree(1);
    form.Form_Load();
    form.SetRootFolder(treeFolder.Text());
    form.cmdFind_Click();
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Found 1 Folders."}));

    FakeMainWindow nextWindow;
    nextWindow.form.appPath = appFolder.Text();
    frmVacantor next(nextWindow.Controls(), nextWindow.Services(*fileSystem, *profile, removal));
    next.Form_Load();
    EXPECT_EQ(nextWindow.txtFolder.text, treeFolder.Text());
    EXPECT_EQ(next.State().RootFolder, treeFolder.Text());
}

TEST_F(FormFind, TrailingSeparatorIsStoredButNotScanned) {
    fs::create_directories(treeFolder.Path() / "a" / "b");
    WriteFile(treeFolder.Path() / "a" / "file.txt", "x");
    std::string withSeparator = treeFolder.Text() + separator;
    form.Form_Load();
    form.SetRootFolder(withSeparator);
    form.cmdFind_Click();

    EXPECT_EQ(StoredFolder(), withSeparator);
    EXPECT_EQ(form.State().RootFolder, treeFolder.Text());
    EXPECT_EQ(window.txtFolder.text, withSeparator);
    EXPECT_EQ(window.ListedPaths(), (std::vector<std::string>{std::string("a") + separator + "b"}));
    EXPECT_EQ(window.list.Rows()[0].text, "0");
}

TEST_F(FormFind, VanishedRootKeepsTheEarlierRows) {
    MakeTree(3);
    form.Form_Load();
    form.SetRootFolder(treeFolder.Text());
    form.cmdFind_Click();
    ASSERT_EQ(window.list.RowCount(), 3u);

    fs::remove_all(treeFolder.Path());
    form.cmdFind_Click();
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"Found 3 Folders.", "Set data !", "Found 3 Folders."}));
    EXPECT_EQ(window.list.RowCount(), 3u);
    EXPECT_EQ(StoredFolder(), treeFolder.Text());
}

TEST_F(FormFind, TypedTextIsIgnored) {
    MakeTree(2);
    form.Form_Load();
    form.SetRootFolder(treeFolder.Text());
    window.txtFolder.text = appFolder.Text(); // typed by the user, never read back
    form.cmdFind_Click();
    EXPECT_EQ(window.list.RowCount(), 2u);
    EXPECT_EQ(StoredFolder(), treeFolder.Text());
}

TEST_F(FormFind, BusyProtocolFromClickToMessage) {
    MakeTree(1);
    form.Form_Load();
    form.SetRootFolder(treeFolder.Text());
    window.events.clear();

    bool checkedDuringScan = false;
    window.form.onDoEvents = [&] {
        checkedDuringScan = true;
        EXPECT_TRUE(form.State().IsBusy);
        EXPECT_EQ(window.cmdFind.caption, "Stop");
        EXPECT_TRUE(window.cmdFind.enabled);
        EXPECT_FALSE(window.cmdRemove.enabled);
        EXPECT_FALSE(window.txtFolder.enabled);
        EXPECT_EQ(window.form.mousePointer, 13);
    };
    window.onMessage = [&](const FakeMainWindow::Message&) {
        EXPECT_TRUE(form.State().IsBusy); // still busy while the result is shown
        EXPECT_EQ(window.cmdFind.caption, "Find");
        EXPECT_EQ(window.form.mousePointer, 0);
    };
    form.cmdFind_Click();

    EXPECT_TRUE(checkedDuringScan);
    EXPECT_FALSE(form.State().IsBusy);
    const std::vector<std::string> expected = {
        "MousePointer=13",      "txtFolder.Enabled=0", "cmdFind.Enabled=0",
        "cmdRemove.Enabled=0",  "cmdFind.Enabled=1",   "cmdFind.Caption=Stop",
        "cmdFind.Caption=Find", "txtFolder.Enabled=1", "cmdFind.Enabled=1",
        "cmdRemove.Enabled=1",  "MousePointer=0",      "Message Found 1 Folders.",
    };
    EXPECT_EQ(window.events, expected);
}

TEST_F(FormFind, StopKeepsTheRowsFoundSoFarAndDoesNotCarryOver) {
    MakeTree(40);
    form.Form_Load();
    form.SetRootFolder(treeFolder.Text());
    window.form.onDoEvents = [&] {
        if (window.form.doEventsCalls == 10) {
            form.cmdFind_Click(); // the Stop click
        }
    };
    form.cmdFind_Click();
    std::size_t found = window.list.RowCount();
    EXPECT_LT(found, 40u);
    EXPECT_EQ(window.messages.back().text, "Found " + std::to_string(found) + " Folders.");
    EXPECT_FALSE(form.State().StopRequested);

    window.form.onDoEvents = nullptr;
    form.cmdFind_Click();
    EXPECT_EQ(window.messages.back().text, "Found 40 Folders.");
}

TEST_F(FormFind, ClosingDuringFindStopsThenClosesWithoutMessage) {
    MakeTree(40);
    form.Form_Load();
    form.SetRootFolder(treeFolder.Text());
    bool closeAllowed = true;
    window.form.onDoEvents = [&] {
        if (window.form.doEventsCalls == 5) {
            closeAllowed = form.Form_QueryUnload();
        }
    };
    form.cmdFind_Click();
    EXPECT_FALSE(closeAllowed);
    EXPECT_TRUE(window.form.closed);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_LT(window.list.RowCount(), 40u);
    EXPECT_FALSE(form.State().IsBusy);
    EXPECT_TRUE(form.Form_QueryUnload()); // idle: closes at once
}

TEST_F(FormFind, ListClickShowsTheRemovedMarkOfTheSelectedRow) {
    MakeTree(2);
    form.Form_Load();
    form.ListView1_Click(); // nothing selected: nothing changes
    EXPECT_EQ(window.list.ToolTipText(), "");

    form.SetRootFolder(treeFolder.Text());
    form.cmdFind_Click();
    window.list.SetSelected(1, true);
    window.list.SetRemoved(1);
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "True");
    window.list.SetSelected(0, true);
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "False");
}

TEST_F(FormFind, SettingsPathIsJoinedAsItIs) {
    window.form.appPath = appFolder.Text() + separator; // a drive's root ends with one
    form.Form_Load();
    EXPECT_EQ(form.State().IniFilePath, appFolder.Text() + separator + separator + "Scryve.ini");
}

} // namespace
