// The window's logic over fake controls, the real file system and settings file: what the
// shared window scenarios leave out.
#include "fakes/FakeFolderRemoval.h"
#include "fakes/FakeMainWindow.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemovalHook.h"
#include "platform/PlatformError.h"
#include "platform/ProfileFile.h"
#include "settings/IniFileCommon.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#ifndef _WIN32
#include "support/ChildProcess_posix.h"
#endif

namespace fs = std::filesystem;

namespace {

class WindowLogic : public ::testing::Test {
  protected:
    WindowLogic() {
        window.form.appPath = appFolder.Text();
        form.Form_Load();
    }

    // A root holding a file and `count` empty folders, listed by a Find.
    void FindRows(int count) {
        WriteFile(treeFolder.Path() / "file.txt", "x");
        for (int i = 0; i < count; ++i) {
            fs::create_directories(treeFolder.Path() / ("empty" + std::to_string(i)));
        }
        form.SetRootFolder(treeFolder.Text());
        form.cmdFind_Click();
        ASSERT_EQ(window.list.RowCount(), static_cast<std::size_t>(count));
    }

    std::string Path(std::size_t row) const { return window.list.Rows().at(row).subItem1; }

    std::string StoredFolder() {
        std::string value;
        IniFileCommon::GetIniValue(*profile, "Vacantor", "Folder", "<none>", value,
                                   form.State().IniFilePath);
        return value;
    }

    TempFolder appFolder;
    TempFolder treeFolder;
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    std::unique_ptr<ProfileFile> profile = CreateSystemProfileFile();
    FakeFolderRemoval removal{*fileSystem};
    FakeMainWindow window;
    frmVacantor form{window.Controls(), window.Services(*fileSystem, *profile, removal)};
    char separator = fileSystem->PathSeparator();
};

TEST_F(WindowLogic, FindScansTheRootWithoutItsTrailingSeparatorAndStoresItAsSet) {
    fs::create_directories(treeFolder.Path() / "a" / "b");
    WriteFile(treeFolder.Path() / "a" / "file.txt", "x");
    const std::string withSeparator = treeFolder.Text() + separator;
    form.SetRootFolder(withSeparator);
    form.cmdFind_Click();

    EXPECT_EQ(StoredFolder(), withSeparator);
    EXPECT_EQ(window.txtFolder.text, withSeparator);
    EXPECT_EQ(window.ListedPaths(), (std::vector<std::string>{std::string("a") + separator + "b"}));
}

// No root yet (the first start) or a root gone since: Find says so, keeps the rows it
// listed before and stores nothing.
TEST_F(WindowLogic, AMissingRootIsReportedAndChangesNothing) {
    form.cmdFind_Click();
    EXPECT_FALSE(fs::exists(appFolder.Path() / "Scryve.ini"));
    FindRows(3);
    fs::remove_all(treeFolder.Path());
    form.cmdFind_Click();

    EXPECT_EQ(window.messages,
              (std::vector<std::string>{"Set data !", "Found 0 Folders.", "Found 3 Folders.",
                                        "Set data !", "Found 3 Folders."}));
    EXPECT_EQ(window.list.RowCount(), 3u);
    EXPECT_EQ(StoredFolder(), treeFolder.Text());
}

// The tooltip tells whether the selected row was removed; the focused row deselected with
// Ctrl is not the selected row any more.
TEST_F(WindowLogic, AListClickShowsWhetherTheSelectedRowIsRemoved) {
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "");
    FindRows(2);
    window.list.SetSelected(1, true);
    window.list.SetRemoved(1);
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "True");
    window.list.SetSelected(0, true);
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "False");
    window.list.SetSelected(1, true);
    window.list.SetSelected(1, false);
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "False");
}

// The picker opens on the root; Cancel keeps it, a folder chosen becomes the root (stored
// by the next Find only), and a failure is reported with where it happened.
TEST_F(WindowLogic, ThePickerOpensOnTheRootAndSetsTheFolderChosen) {
    form.SetRootFolder("start");
    form.txtFolder_Click();
    window.browseResult = treeFolder.Text();
    form.txtFolder_Click();
    EXPECT_EQ(window.pickerStartFolders, (std::vector<std::string>{"start", "start"}));
    EXPECT_EQ(form.State().RootFolder, treeFolder.Text());
    EXPECT_EQ(window.txtFolder.text, treeFolder.Text());
    EXPECT_FALSE(fs::exists(appFolder.Path() / "Scryve.ini"));

    window.onBrowse = [] { throw PlatformError("Out of memory", "ShellPicker"); };
    form.txtFolder_Click();
    EXPECT_EQ(window.messages,
              std::vector<std::string>{"Out of memory\r\nIn txtFolder_Click of ShellPicker"});
    EXPECT_EQ(form.State().RootFolder, treeFolder.Text());
}

// A row that fails stays unmarked and is reported after the count with its full path; a
// long report lists twenty and says how many more.
TEST_F(WindowLogic, FailedRowsAreReportedAfterTheCountAndStayUnmarked) {
    FindRows(24);
    for (std::size_t row = 0; row < 24; ++row) {
        window.list.SetSelected(row, true);
        if (row > 0) {
            removal.outcomes[Path(row)] = {RemovalOutcome::GainedFile, "a file appeared in it"};
        }
    }
    form.cmdRemove_Click();

    ASSERT_EQ(window.messages.size(), 3u);
    EXPECT_EQ(window.messages[1], "1 folders are removed.");
    const std::string& report = window.messages[2];
    const std::string start = "23 folders are not removed:\r\n" +
                              fileSystem->BuildPath(treeFolder.Text(), Path(1)) +
                              ": a file appeared in it\r\n";
    EXPECT_EQ(report.substr(0, start.size()), start);
    EXPECT_EQ(report.substr(report.rfind('\n') + 1), "and 3 more");
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 21);
    EXPECT_TRUE(window.list.IsRemoved(0));
    EXPECT_FALSE(window.list.IsRemoved(1));
}

// A new root keeps the rows, which are still reached from the root of their scan.
TEST_F(WindowLogic, RemoveJoinsTheRowsWithTheRootOfTheirScan) {
    FindRows(1);
    form.txtFolder_OLEDragDrop({appFolder.Text()});
    EXPECT_EQ(window.list.RowCount(), 1u);
    window.list.SetSelected(0, true);
    form.cmdRemove_Click();
    ASSERT_EQ(removal.calls.size(), 1u);
    EXPECT_EQ(removal.calls[0].rootFolder, treeFolder.Text());
}

#ifndef _WIN32
// The root "/" is held without its separator, as "": a failed row must still read "/e". A
// chroot into a small tree in a child process stands in for the whole file system.
TEST_F(WindowLogic, FailedRowsBelowTheFileSystemRootKeepTheirLeadingSeparator) {
    WriteFile(treeFolder.Path() / "keep.txt", "x");
    fs::create_directories(treeFolder.Path() / "e");
    removal.outcomes["e"] = {RemovalOutcome::GainedFile, "a file appeared in it"};

    int status = InChild([&] {
        if (::chroot(treeFolder.Text().c_str()) != 0 || ::chdir("/") != 0) {
            return ChildUnavailable;
        }
        form.SetRootFolder("/");
        form.cmdFind_Click();
        if (window.list.RowCount() != 1) {
            return 2;
        }
        window.list.SetSelected(0, true);
        form.cmdRemove_Click();
        return window.messages.back() == "1 folders are not removed:\r\n/e: a file appeared in it"
                   ? 0
                   : 1;
    });
    if (status == ChildUnavailable) {
        GTEST_SKIP() << "cannot change the root folder here";
    }
    EXPECT_EQ(status, 0);
}
#endif

// The real removal, with a root folder whose path leads elsewhere after Find: renamed away
// with a look-alike put in its place, or swapped for a link to a look-alike.
class WindowLogicWithTheRealRemoval : public WindowLogic {
  protected:
    // Rows x0 and x1, each holding an empty folder, so that the removal checks each one
    // (and runs its hook) before it deletes anything. Starts from a fresh tree.
    void FindRows() {
        fs::remove_all(treeFolder.Path());
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

    // False when the platform refuses (links under Wine; Windows refuses to rename a
    // folder a run holds).
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
    std::unique_ptr<FolderRemoval> realRemoval =
        CreateSystemFolderRemoval([this](const std::string& path) {
            if (hook) {
                hook(path);
            }
        });
    frmVacantor real{window.Controls(), window.Services(*fileSystem, *profile, *realRemoval)};
};

// Replaced after Find, nothing is removed; replaced during the run, which holds the root it
// checked, the rows go from the scanned folder wherever it now is. Nothing else is touched.
TEST_F(WindowLogicWithTheRealRemoval, RemovesOnlyFromTheFolderThatWasScanned) {
    for (bool duringTheRun : {false, true}) {
        for (bool withLink : {false, true}) {
            SCOPED_TRACE(std::string(duringTheRun ? "during the run, " : "after Find, ") +
                         (withLink ? "swapped for a link" : "renamed away"));
            FindRows();
            bool replaced = false;
            if (duringTheRun) {
                hook = [&](const std::string&) {
                    if (!replaced) {
                        replaced = true;
                        replaced = ReplaceRoot(withLink);
                    }
                };
            } else if (!ReplaceRoot(withLink)) {
                continue;
            } else {
                replaced = true;
            }

            real.cmdRemove_Click();
            hook = nullptr;

            const fs::path scanned = replaced ? Renamed() : Root();
            for (const char* row : {"x0", "x1"}) {
                EXPECT_EQ(fs::exists(scanned / row), !duringTheRun) << row;
                EXPECT_TRUE(fs::exists(LookAlike() / row / "a")) << row;
            }
            EXPECT_TRUE(fs::exists(scanned / "keep.txt"));
            if (replaced && !withLink) {
                EXPECT_TRUE(fs::exists(Root() / "x1" / "a"));
            }
            if (duringTheRun) {
                EXPECT_EQ(window.messages, std::vector<std::string>{"2 folders are removed."});
            } else {
                EXPECT_EQ(window.messages,
                          (std::vector<std::string>{
                              "0 folders are removed.",
                              "2 folders are not removed:\r\n" + PathText(Root()) +
                                  ": it is no longer the folder that was scanned"}));
            }
        }
    }
}

} // namespace
