#include "main_window/MainWindowTest.h"

#include "platform/FolderRemovalHook.h"

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

class FormRemove : public MainWindowTest {
  protected:
    // Lists `count` empty folders through a real Find, then forgets what that showed.
    void FindRows(int count) {
        WriteFile(treeFolder.Path() / "file.txt", "x");
        for (int i = 0; i < count; ++i) {
            fs::create_directories(treeFolder.Path() / ("empty" + std::to_string(i)));
        }
        form.Form_Load();
        form.SetRootFolder(treeFolder.Text());
        form.cmdFind_Click();
        ASSERT_EQ(window.list.RowCount(), static_cast<std::size_t>(count));
        window.messages.clear();
        window.form.doEventsCalls = 0;
    }

    std::string LastMessage() const {
        return window.messages.empty() ? "" : window.messages.back().text;
    }

    std::string Path(std::size_t row) const { return window.list.Rows().at(row).subItem1; }
};

TEST_F(FormRemove, NothingSelectedVisitsEveryRowAndRemovesNothing) {
    form.Form_Load();
    form.cmdRemove_Click();
    EXPECT_EQ(LastMessage(), "0 folders are removed.");

    FindRows(3);
    form.cmdRemove_Click();
    EXPECT_TRUE(removal.calls.empty());
    EXPECT_EQ(window.form.doEventsCalls, 3);
    EXPECT_EQ(LastMessage(), "0 folders are removed.");
}

// The scan may pump at most once per interval; Remove pumps after every row all the same,
// so that a Stop is noticed within one row.
TEST_F(FormRemove, PumpsAfterEveryRowWhereFindIsThrottled) {
    MainWindowServices services = window.Services(*fileSystem, *profile, removal);
    services.scanPumpInterval = std::chrono::hours(1);
    frmVacantor throttled(window.Controls(), services);
    WriteFile(treeFolder.Path() / "file.txt", "x");
    for (int i = 0; i < 5; ++i) {
        fs::create_directories(treeFolder.Path() / ("empty" + std::to_string(i)));
    }
    throttled.Form_Load();
    throttled.SetRootFolder(treeFolder.Text());
    throttled.cmdFind_Click();
    EXPECT_EQ(window.form.doEventsCalls, 1);

    window.form.doEventsCalls = 0;
    throttled.cmdRemove_Click();
    EXPECT_EQ(window.form.doEventsCalls, 5);
}

TEST_F(FormRemove, BusyProtocolKeepsTheControlsDisabledUntilTheMessageIsClosed) {
    FindRows(1);
    window.list.SetSelected(0, true);
    window.onMessage = [&](const FakeMainWindow::Message&) {
        EXPECT_TRUE(form.State().IsBusy);
        EXPECT_FALSE(window.txtFolder.enabled);
        EXPECT_FALSE(window.cmdFind.enabled);
    };
    form.cmdRemove_Click();
    EXPECT_FALSE(form.State().IsBusy);
    EXPECT_TRUE(window.txtFolder.enabled && window.cmdFind.enabled && window.cmdRemove.enabled);
}

TEST_F(FormRemove, StopAnsweredNoGoesOnAndAsksAgain) {
    FindRows(4);
    for (std::size_t row = 0; row < 4; ++row) {
        window.list.SetSelected(row, true);
    }
    window.answers = {7, 7}; // No, No, then OK for the count
    window.form.onDoEvents = [&] {
        if (window.form.doEventsCalls == 1 || window.form.doEventsCalls == 3) {
            form.cmdRemove_Click(); // the Stop click
        }
    };
    form.cmdRemove_Click();
    ASSERT_EQ(window.messages.size(), 3u);
    EXPECT_EQ(window.messages[0].text, "Do you stop removing folders?");
    EXPECT_EQ(window.messages[0].style, 36);
    EXPECT_EQ(window.messages[1].text, "Do you stop removing folders?");
    EXPECT_EQ(LastMessage(), "4 folders are removed.");
    EXPECT_FALSE(form.State().StopRequested);
}

TEST_F(FormRemove, StopAfterTheLastRowStillAsks) {
    FindRows(2);
    window.list.SetSelected(1, true);
    window.answers = {6};
    window.form.onDoEvents = [&] {
        if (window.form.doEventsCalls == 2) {
            form.cmdRemove_Click();
        }
    };
    form.cmdRemove_Click();
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].text, "Do you stop removing folders?");
    EXPECT_EQ(LastMessage(), "1 folders are removed.");
}

TEST_F(FormRemove, FailedRowsAreReportedAfterTheCountAndStayUnmarked) {
    FindRows(3);
    for (std::size_t row = 0; row < 3; ++row) {
        window.list.SetSelected(row, true);
    }
    removal.outcomes[Path(1)] = {RemovalOutcome::GainedFile, "a file appeared in it"};
    form.cmdRemove_Click();

    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].text, "2 folders are removed.");
    EXPECT_EQ(window.messages[1].title, "Scryve Alarm");
    EXPECT_EQ(window.messages[1].style, 16);
    EXPECT_EQ(window.messages[1].text, "1 folders are not removed:\r\n" +
                                           fileSystem->BuildPath(treeFolder.Text(), Path(1)) +
                                           ": a file appeared in it");
    EXPECT_TRUE(window.list.Rows()[0].removed);
    EXPECT_FALSE(window.list.Rows()[1].removed);
    EXPECT_TRUE(window.list.Rows()[2].removed);
}

TEST_F(FormRemove, LongFailureReportsAreCut) {
    FindRows(23);
    for (std::size_t row = 0; row < 23; ++row) {
        window.list.SetSelected(row, true);
        removal.outcomes[Path(row)] = {RemovalOutcome::Vanished, "it no longer exists"};
    }
    form.cmdRemove_Click();
    const std::string& report = window.messages.back().text;
    EXPECT_EQ(report.substr(0, report.find('\r')), "23 folders are not removed:");
    EXPECT_EQ(report.substr(report.rfind('\n') + 1), "and 3 more");
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 21);
}

TEST_F(FormRemove, RowsAreJoinedWithTheRootOfTheirScan) {
    FindRows(1);
    window.list.SetSelected(0, true);
    form.SetRootFolder(appFolder.Text()); // chosen after the scan
    form.cmdRemove_Click();
    ASSERT_EQ(removal.calls.size(), 1u);
    EXPECT_EQ(removal.calls[0].rootFolder, treeFolder.Text());
}

// Remove with the real removal, on a root folder whose path leads elsewhere after Find:
// renamed away with a look-alike put in its place, or swapped for a link to a look-alike.
class FormRemoveFromTheScannedRoot : public MainWindowTest {
  protected:
    // Rows x0 and x1, each holding an empty folder, so that the removal checks each one
    // (and runs its hook) before it deletes anything. Starts from a fresh tree.
    void FindRows() {
        fs::remove_all(treeFolder.Path());
        fs::create_directories(treeFolder.Path());
        for (const fs::path& top : {Root(), LookAlike()}) {
            WriteFile(top / "keep.txt", "x");
            fs::create_directories(top / "x0" / "a");
            fs::create_directories(top / "x1" / "a");
        }
        real.Form_Load();
        real.SetRootFolder(PathText(Root()));
        real.cmdFind_Click();
        ASSERT_EQ(window.list.RowCount(), 2u);
        window.list.SetSelected(0, true);
        window.list.SetSelected(1, true);
        window.messages.clear();
    }

    fs::path Root() const { return treeFolder.Path() / "root"; }
    fs::path Renamed() const { return treeFolder.Path() / "root.old"; }
    fs::path LookAlike() const { return treeFolder.Path() / "other"; }

    // Renames the root away and puts the look-alike, or a link to it, in its place; false
    // when the platform refuses (Windows refuses to rename a folder a run holds).
    bool ReplaceRoot(bool withLink) {
        std::error_code error;
        fs::rename(Root(), Renamed(), error);
        if (error) {
            return false;
        }
        if (withLink) {
            fs::create_directory_symlink(LookAlike(), Root(), error);
            return !error;
        }
        fs::create_directories(Root() / "x0" / "a");
        fs::create_directories(Root() / "x1" / "a");
        return true;
    }

    AfterFolderCheckedHook hook;
    std::unique_ptr<FolderRemoval> removal =
        CreateSystemFolderRemoval([this](const std::string& path) {
            if (hook) {
                hook(path);
            }
        });
    frmVacantor real{window.Controls(), window.Services(*fileSystem, *profile, *removal)};
};

TEST_F(FormRemoveFromTheScannedRoot, NothingIsRemovedOnceTheRootIsReplaced) {
    for (bool withLink : {false, true}) {
        SCOPED_TRACE(withLink ? "swapped for a link" : "renamed away");
        FindRows();
        if (!ReplaceRoot(withLink)) {
            continue; // no links here (Wine)
        }

        real.cmdRemove_Click();

        ASSERT_EQ(window.messages.size(), 2u);
        EXPECT_EQ(window.messages[0].text, "0 folders are removed.");
        EXPECT_EQ(window.messages[1].text, "2 folders are not removed:\r\n" + PathText(Root()) +
                                               ": it is no longer the folder that was scanned");
        for (const fs::path& top : {Renamed(), LookAlike(), Root()}) {
            EXPECT_TRUE(fs::exists(top / "x0" / "a")) << top;
            EXPECT_TRUE(fs::exists(top / "x1" / "a")) << top;
        }
    }
}

// The run holds the root it checked: a root replaced during the run changes nothing, the
// rows go from the scanned folder wherever it now is, and nothing else is touched.
TEST_F(FormRemoveFromTheScannedRoot, ARunStaysInTheRootItHolds) {
    for (bool withLink : {false, true}) {
        SCOPED_TRACE(withLink ? "swapped for a link" : "renamed away");
        FindRows();
        bool replaced = false;
        hook = [&](const std::string&) {
            if (!replaced) {
                replaced = true;
                replaced = ReplaceRoot(withLink);
            }
        };

        real.cmdRemove_Click();
        hook = nullptr;

        EXPECT_EQ(window.messages.back().text, "2 folders are removed.");
        const fs::path scanned = replaced ? Renamed() : Root();
        EXPECT_FALSE(fs::exists(scanned / "x0"));
        EXPECT_FALSE(fs::exists(scanned / "x1"));
        EXPECT_TRUE(fs::exists(scanned / "keep.txt"));
        EXPECT_TRUE(fs::exists(LookAlike() / "x0" / "a"));
        EXPECT_TRUE(fs::exists(LookAlike() / "x1" / "a"));
        if (replaced && !withLink) {
            EXPECT_TRUE(fs::exists(Root() / "x1" / "a"));
        }
    }
}

} // namespace
