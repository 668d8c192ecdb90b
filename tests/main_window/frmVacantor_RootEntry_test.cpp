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

TEST_F(FormRootEntry, DropTakesTheFirstItemOnly) {
    fs::create_directories(treeFolder.Path() / "folder");
    WriteFile(treeFolder.Path() / "folder" / "file.txt", "x");
    const std::string folder = treeFolder.Text("folder");
    const std::string file = PathText(treeFolder.Path() / "folder" / "file.txt");
    const std::string missing = treeFolder.Text("missing");

    struct Case {
        std::vector<std::string> files;
        std::string expectedRoot;
    };
    const Case cases[] = {
        {{folder}, folder}, // a folder as it came
        {{folder + fileSystem->PathSeparator()}, folder + fileSystem->PathSeparator()},
        {{file, missing}, folder},    // a file gives its folder
        {{missing, folder}, "start"}, // only the first item counts
        {{}, "start"},                // no file list at all
    };
    for (const Case& c : cases) {
        form.SetRootFolder("start");
        form.txtFolder_OLEDragDrop(c.files);
        EXPECT_EQ(form.State().RootFolder, c.expectedRoot);
        EXPECT_EQ(window.txtFolder.text, c.expectedRoot);
    }
    EXPECT_TRUE(window.messages.empty());
}

// The root box is disabled during a run; a drop must not change the root under it either.
TEST_F(FormRootEntry, ADropWhileACommandRunsChangesNothing) {
    WriteFile(treeFolder.Path() / "file.txt", "x");
    fs::create_directories(treeFolder.Path() / "empty");
    form.SetRootFolder(treeFolder.Text());
    window.form.onDoEvents = [&] { form.txtFolder_OLEDragDrop({appFolder.Text()}); };

    form.cmdFind_Click();
    EXPECT_EQ(form.State().RootFolder, treeFolder.Text());
    window.list.SetSelected(0, true);
    form.cmdRemove_Click();

    EXPECT_EQ(form.State().RootFolder, treeFolder.Text());
    EXPECT_EQ(window.txtFolder.text, treeFolder.Text());
    EXPECT_EQ(removal.calls.size(), 1u);
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
