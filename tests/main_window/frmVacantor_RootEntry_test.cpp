#include "main_window/MainWindowTest.h"

#include "platform/PlatformError.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class FormRootEntry : public MainWindowTest {
  protected:
    FormRootEntry() {
        form.Form_Load();
        form.SetRootFolder("start");
    }
};

TEST_F(FormRootEntry, PickerOpensOnTheRootAndCancelKeepsIt) {
    form.txtFolder_Click();
    ASSERT_EQ(window.browseCalls.size(), 1u);
    const auto& call = window.browseCalls[0];
    EXPECT_EQ(call.title, "Select Folder");
    EXPECT_EQ(call.owner, 0);
    EXPECT_EQ(call.root, 0);
    EXPECT_EQ(call.flags, 1u);
    EXPECT_EQ(call.startFolder, "start");
    EXPECT_EQ(form.State().RootFolder, "start");
    EXPECT_EQ(window.txtFolder.text, "start");

    window.browseResult = treeFolder.Text();
    form.txtFolder_Click();
    EXPECT_EQ(form.State().RootFolder, treeFolder.Text());
    EXPECT_EQ(window.txtFolder.text, treeFolder.Text());
    EXPECT_TRUE(window.messages.empty());
    EXPECT_FALSE(fs::exists(appFolder.Path() / "Scryve.ini")); // only Find stores it
}

TEST_F(FormRootEntry, AFailureIsReportedOnTwoLines) {
    window.onBrowse = [] { throw PlatformError("Out of memory", "ShellPicker"); };
    form.txtFolder_Click();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, "Out of memory\r\nIn txtFolder_Click of ShellPicker");
    EXPECT_EQ(window.messages[0].title, "Scryve Alarm");
    EXPECT_EQ(window.messages[0].style, 16);
    EXPECT_EQ(form.State().RootFolder, "start");
}

TEST_F(FormRootEntry, NewRootKeepsTheRowsOfTheLastScan) {
    WriteFile(treeFolder.Path() / "file.txt", "x");
    fs::create_directories(treeFolder.Path() / "empty");
    form.SetRootFolder(treeFolder.Text());
    form.cmdFind_Click();
    ASSERT_EQ(window.list.RowCount(), 1u);

    form.txtFolder_OLEDragDrop({appFolder.Text()});
    EXPECT_EQ(form.State().RootFolder, appFolder.Text());
    EXPECT_EQ(window.list.RowCount(), 1u);
}

} // namespace
