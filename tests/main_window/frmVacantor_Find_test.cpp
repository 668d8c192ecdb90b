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

    form.cmdFind_Click();
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].text, "Set data !");
    EXPECT_EQ(window.messages[0].title, "Scryve Alarm");
    EXPECT_EQ(window.messages[1].text, "Found 0 Folders.");
    EXPECT_FALSE(fs::exists(appFolder.Path() / "Scryve.ini"));
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
    EXPECT_TRUE(window.txtFolder.enabled && window.cmdFind.enabled && window.cmdRemove.enabled);
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
    // The focused row deselected with Ctrl is not the selected row any more.
    window.list.SetSelected(1, true);
    window.list.SetSelected(1, false);
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "False");
}

} // namespace
