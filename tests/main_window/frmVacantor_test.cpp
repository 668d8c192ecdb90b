// The window's logic over fake controls, with the real file system and settings file: the
// window scenarios that all front ends share, then what they leave out.
#include "fakes/FakeDesktopShell.h"
#include "fakes/FakeFolderRemoval.h"
#include "platform/HeldTrash.h"
#include "fakes/FakeResultList.h"
#include "main_window/MainWindowLayout.h"
#include "main_window/frmVacantor.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/MainWindowControls.h"
#include "platform/PlatformError.h"
#include "platform/ProfileFile.h"
#include "settings/IniFileCommon.h"
#include "support/TempFolder.h"
#include "window/WindowScenarios.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <utility>

#ifndef _WIN32
#include "support/ChildProcess_posix.h"

#include <fcntl.h>
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {

// The main window's controls as fakes that keep their state; message boxes are recorded and
// answered `answer` to a question, OK otherwise.
class FakeMainWindow {
  public:
    // The root box or a button: its text or caption, and whether it takes input.
    class Control : public TextBoxControl, public ButtonControl {
      public:
        explicit Control(std::string initial = "") : text(std::move(initial)) {}
        void SetText(const std::string& value) override { text = value; }
        void SetCaption(const std::string& value) override { text = value; }
        void SetEnabled(bool value) override { enabled = value; }
        void SetOLEDropMode(int) override {}
        void SetLocked(bool value) override { locked = value; }
        // What typing does: a locked box keeps its text.
        void Type(const std::string& typed) {
            if (!locked) {
                text += typed;
            }
        }
        std::string text;
        bool enabled = true;
        bool locked = false;
    };

    class CheckBox : public CheckBoxControl {
      public:
        int Value() const override { return value; }
        void SetValue(int newValue) override { value = newValue; }
        int value = 0;
    };

    class Form : public FormRuntime {
      public:
        void SetMousePointer(int pointer) override { mousePointer = pointer; }
        std::string AppPath() const override { return appPath; }
        // Runs `onDoEvents` once, at the first turn.
        void DoEvents() override {
            if (onDoEvents) {
                std::exchange(onDoEvents, nullptr)();
            }
        }
        void Close() override { closed = true; }
        // A window that starts at the least size of its layout, on one screen, and is never
        // made smaller than that.
        WindowPlacement Placement() const override { return placement; }
        void SetPlacement(const WindowPlacement& wanted) override {
            placement = wanted;
            placement.width = std::max(wanted.width, MinimumClientSize(96, 96).width);
            placement.height = std::max(wanted.height, MinimumClientSize(96, 96).height);
        }
        std::vector<PixelRect> Screens() const override { return {{0, 0, 1024, 768}}; }
        WindowPlacement placement{10, 10, MinimumClientSize(96, 96).width,
                                  MinimumClientSize(96, 96).height};
        std::string appPath;
        int mousePointer = 0;
        bool closed = false;
        std::function<void()> onDoEvents;
    };

    MainWindowControls Controls() {
        return MainWindowControls{form,        txtFolder, cmdFind,      cmdRemove,
                                  chkReadOnly, list,      chkIgnoreJunk};
    }

    // The services with this window's message boxes and folder picker; the scan pumps at
    // every folder.
    MainWindowServices Services(FileSystem& fileSystem, ProfileFile& profileFile,
                                FolderRemoval& folderRemoval) {
        MainWindowServices services{
            fileSystem,
            profileFile,
            folderRemoval,
            [this](const std::string& text, const std::string& title, std::int32_t, std::int32_t) {
                messages.push_back(text);
                titles.push_back(title);
                return text.back() == '?' ? answer : std::int32_t{1};
            },
            [this](const std::string&, std::intptr_t, std::intptr_t, std::uint32_t,
                   const std::string& startFolder) {
                pickerStartFolders.push_back(startFolder);
                if (onBrowse) {
                    onBrowse();
                }
                return browseResult;
            },
            std::chrono::milliseconds(0)};
        services.desktopShell = &desktop;
        return services;
    }

    // The path cells of the list, in the order shown.
    std::vector<std::string> ListedPaths() const {
        std::vector<std::string> paths;
        for (std::size_t position = 0; position < list.RowCount(); ++position) {
            paths.push_back(list.Rows()[list.RowAtPosition(position)].subItem1);
        }
        return paths;
    }

    Form form;
    Control txtFolder;
    Control cmdFind{"Find"};
    Control cmdRemove{"Remove"};
    CheckBox chkReadOnly;
    FakeResultList list;
    CheckBox chkIgnoreJunk;
    FakeDesktopShell desktop;

    std::int32_t answer = 6;           // to a question: Yes
    std::vector<std::string> messages; // the texts of the boxes shown, in order
    std::vector<std::string> titles;   // and their titles
    std::vector<std::string> pickerStartFolders;
    std::string browseResult;       // what the picker returns ("" for cancel)
    std::function<void()> onBrowse; // runs while the picker is "open" (may throw)
};

// The shared window scenarios against the window's logic over fake controls, with the real
// file system, settings file and removal.
class FakeWindowDriver : public WindowDriver {
  public:
    void Start(const std::string& settingsFolder) override {
        window_ = std::make_unique<FakeMainWindow>();
        window_->form.appPath = settingsFolder;
        form_ = std::make_unique<frmVacantor>(
            window_->Controls(), window_->Services(*fileSystem_, *profile_, *removal_));
        form_->Form_Load();
    }
    void Quit() override {
        EXPECT_TRUE(form_->Form_QueryUnload());
        form_.reset();
    }
    bool RequestClose() override { return window_->form.closed = form_->Form_QueryUnload(); }
    bool IsOpen() override { return form_ && !window_->form.closed; }

    void Drop(const std::vector<std::string>& paths) override {
        form_->txtFolder_OLEDragDrop(paths);
    }
    void ClickRootBox() override { form_->txtFolder_Click(); }
    int ChoosersShown() override { return static_cast<int>(window_->pickerStartFolders.size()); }
    std::string RootText() override { return window_->txtFolder.text; }
    void ClickFind() override { form_->cmdFind_Click(); }
    void ClickRemove() override { form_->cmdRemove_Click(); }
    void DuringTheNextRun(std::function<void()> action) override {
        window_->form.onDoEvents = std::move(action);
    }

    void Select(std::size_t position) override { List().SetSelected(Row(position), true); }
    std::vector<std::string> Rows() override { return Cells(&FakeResultList::Row::subItem1); }
    std::vector<std::string> Numbers() override { return Cells(&FakeResultList::Row::text); }
    bool ShownAsRemoved(std::size_t position) override {
        const std::size_t row = Row(position);
        return List().IsRemoved(row) && List().Rows()[row].subItem1ForeColor == RemovedRowColor;
    }
    std::vector<std::size_t> SelectedPositions() override {
        std::vector<std::size_t> positions;
        for (std::size_t position = 0; position < List().RowCount(); ++position) {
            if (List().IsSelected(Row(position))) {
                positions.push_back(position);
            }
        }
        return positions;
    }
    void ClickColumnHeader(int column) override { form_->ListView1_ColumnClick(column); }
    std::string SortIndicator() override { return List().SortIndicator(); }
    void PressCtrlA() override { EXPECT_TRUE(form_->ListView1_KeyDown(KeyCodeA, ShiftMaskCtrl)); }
    std::vector<std::string> ContextMenu(std::size_t position, const std::string& choice) override {
        List().SetSelected(Row(position), true); // and focused, as the right click leaves it
        std::vector<std::string> captions;
        std::function<void()> click;
        for (const ListMenuItem& item : form_->ListView1_MenuItems()) {
            captions.push_back(item.caption.empty() ? "-"
                                                    : item.caption + (item.enabled ? "" : "-"));
            if (item.caption == choice && item.enabled) {
                click = item.click;
            }
        }
        if (click) {
            click();
        }
        return captions;
    }
    FakeDesktopShell& Desktop() override { return window_->desktop; }
    std::vector<std::string> Messages() override { return window_->messages; }
    std::string SettingsFile() override { return form_->State().IniFilePath; }
    PixelSize ClientSize() override {
        return {window_->form.placement.width, window_->form.placement.height};
    }
    PixelRect Place() override {
        const WindowPlacement& p = window_->form.placement;
        return {p.left, p.top, p.width, p.height};
    }
    void Resize(PixelSize size) override {
        const WindowPlacement& now = window_->form.placement;
        window_->form.SetPlacement({now.left, now.top, size.width, size.height});
    }
    void Move(int left, int top) override {
        window_->form.placement.left = left;
        window_->form.placement.top = top;
    }
    MainWindowLayout ControlPlaces() override { return LayOutMainWindow(ClientSize(), 96, 96); }
    std::pair<int, int> Dpi() override { return {96, 96}; }
    void TypeInRootBox(const std::string& text) override { window_->txtFolder.Type(text); }
    void PressKeyInRootBox(int keyCode) override { form_->txtFolder_KeyDown(keyCode); }
    void ClickIgnoreJunk() override {
        window_->chkIgnoreJunk.value = 1 - window_->chkIgnoreJunk.value;
        form_->chkIgnoreJunk_Click();
    }
    bool IgnoreJunkTicked() override { return window_->chkIgnoreJunk.value == 1; }

    std::string Controls() override {
        const FakeMainWindow& w = *window_;
        return ControlsText(w.cmdFind.text, w.cmdFind.enabled, w.cmdRemove.text,
                            w.cmdRemove.enabled, w.txtFolder.enabled,
                            w.form.mousePointer == PointerArrowHourglass);
    }

  private:
    FakeResultList& List() { return window_->list; }
    std::size_t Row(std::size_t position) { return List().RowAtPosition(position); }
    std::vector<std::string> Cells(std::string FakeResultList::Row::*cell) {
        std::vector<std::string> cells;
        for (std::size_t position = 0; position < List().RowCount(); ++position) {
            cells.push_back(List().Rows()[Row(position)].*cell);
        }
        return cells;
    }

    std::unique_ptr<FileSystem> fileSystem_ = CreateSystemFileSystem();
    std::unique_ptr<ProfileFile> profile_ = CreateSystemProfileFile();
    std::unique_ptr<FolderRemoval> removal_ = CreateSystemFolderRemoval();
    std::unique_ptr<FakeMainWindow> window_;
    std::unique_ptr<frmVacantor> form_;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, WindowScenario, FakeWindowDriver);

namespace {

class WindowLogic : public ::testing::Test {
  protected:
    WindowLogic() {
        window.form.appPath = appFolder.Text();
        form.Form_Load();
    }

    // A Find of a root holding a file and `count` empty folders.
    void FindRows(int count) {
        WriteFile(treeFolder.Path() / "file.txt", "x");
        for (int i = 0; i < count; ++i) {
            fs::create_directories(treeFolder.Path() / ("empty" + std::to_string(i)));
        }
        form.SetRootFolder(treeFolder.Text());
        form.cmdFind_Click();
    }

    std::string Path(std::size_t row) const { return window.list.Rows().at(row).subItem1; }

    TempFolder appFolder;
    TempFolder treeFolder;
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    std::unique_ptr<ProfileFile> profile = CreateSystemProfileFile();
    FakeFolderRemoval removal;
    FakeMainWindow window;
    frmVacantor form{window.Controls(), window.Services(*fileSystem, *profile, removal)};
    // The same window over the real removal, for the tests that load it.
    std::unique_ptr<FolderRemoval> realRemoval = CreateSystemFolderRemoval();
    frmVacantor real{window.Controls(), window.Services(*fileSystem, *profile, *realRemoval)};
};

// Find stores the root as set and scans it without one trailing separator. No root yet (the
// first start) or a root gone since: Find says so, keeps the rows it listed before and
// stores nothing.
TEST_F(WindowLogic, FindStoresTheRootAsSetAndReportsAMissingOne) {
    form.cmdFind_Click();
    EXPECT_FALSE(fs::exists(appFolder.Path() / "Scryve.ini"));
    fs::create_directories(treeFolder.Path() / "a" / "b");
    WriteFile(treeFolder.Path() / "a" / "file.txt", "x");
    const char separator = fileSystem->PathSeparator();
    const std::string withSeparator = treeFolder.Text() + separator;
    const std::vector<std::string> rows{std::string("a") + separator + "b"};
    form.SetRootFolder(withSeparator);
    form.cmdFind_Click();
    EXPECT_EQ(form.State().RootFolder, treeFolder.Text());
    EXPECT_EQ(window.ListedPaths(), rows);
    fs::remove_all(treeFolder.Path());
    form.cmdFind_Click();

    EXPECT_EQ(window.messages,
              (std::vector<std::string>{"Set data !", "Found 0 Folders.", "Found 1 Folders.",
                                        "Set data !", "Found 1 Folders."}));
    EXPECT_EQ(window.ListedPaths(), rows);
    std::string stored;
    IniFileCommon::GetIniValue(*profile, "Vacantor", "Folder", "", stored,
                               form.State().IniFilePath);
    EXPECT_EQ(stored, withSeparator);
    EXPECT_EQ(window.txtFolder.text, withSeparator);
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
    EXPECT_EQ(window.titles, std::vector<std::string>{"Scryve Alarm"});
    EXPECT_EQ(form.State().RootFolder, treeFolder.Text());
}

// A row that fails stays unmarked and is reported after the count with its full path; a
// report lists at most twenty and then says how many more. A Stop answered No goes on,
// asked once. A row removed is not tried again. A root set since the scan keeps its rows, which are
// still reached from the root of their scan. A click on the list shows whether the selected row was
// removed; the focused row deselected with Ctrl is not the selected row any more.
TEST_F(WindowLogic, FailedRowsAreReportedAfterTheCountAndStayUnmarked) {
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "");
    FindRows(24);
    form.txtFolder_OLEDragDrop({appFolder.Text()});
    ASSERT_EQ(window.list.RowCount(), 24u);
    for (std::size_t row = 0; row < 24; ++row) {
        window.list.SetSelected(row, row <= 20);
        if (row > 0) {
            removal.outcomes[Path(row)] = {RemovalOutcome::GainedFile, "a file appeared in it"};
        }
    }
    window.answer = 7;
    window.form.onDoEvents = [&] { form.cmdRemove_Click(); };
    form.cmdRemove_Click(); // twenty fail
    window.list.SelectAll();
    form.cmdRemove_Click(); // twenty-three fail

    ASSERT_EQ(window.messages.size(), 6u);
    EXPECT_EQ(window.messages[1], "Do you stop removing folders?");
    EXPECT_EQ(window.messages[2], "1 folders are removed.");
    EXPECT_EQ(window.messages[4], "0 folders are removed.");
    EXPECT_EQ(window.titles, (std::vector<std::string>{"Scryve", "Scryve", "Scryve", "Scryve Alarm",
                                                       "Scryve", "Scryve Alarm"}));
    std::string twenty = "20 folders are not removed:";
    for (std::size_t row = 1; row <= 20; ++row) {
        twenty += "\r\n" + fileSystem->BuildPath(treeFolder.Text(), Path(row)) +
                  ": a file appeared in it";
    }
    EXPECT_EQ(window.messages[3], twenty);
    EXPECT_EQ(window.messages[5], "23" + twenty.substr(2) + "\r\nand 3 more");
    EXPECT_TRUE(window.list.IsRemoved(0));
    EXPECT_FALSE(window.list.IsRemoved(1));
    EXPECT_EQ(removal.calls.at(0).rootFolder, treeFolder.Text());

    window.list.SetSelected(0, true);
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "True");
    window.list.SetSelected(1, true);
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "False");
    window.list.SetSelected(0, true);
    window.list.SetSelected(0, false);
    form.ListView1_Click();
    EXPECT_EQ(window.list.ToolTipText(), "False");
}

// Closing the window during a Find stops the scan where it is, then closes the window.
TEST_F(WindowLogic, ClosingDuringAFindStopsTheScan) {
    window.form.onDoEvents = [&] { EXPECT_FALSE(form.Form_QueryUnload()); };
    FindRows(30);
    EXPECT_TRUE(window.form.closed);
    EXPECT_LT(window.list.RowCount(), 30u);
    EXPECT_EQ(window.messages, std::vector<std::string>{});
}

// Paths sort folder by folder ("a/b" before "a b/c", where the space comes before the
// separator in the text) and each name in the natural order; a column that is not the list's
// own sorts nothing, and the next Find shows its rows in the order found, unsorted, until
// a click sorts them again from the start.
TEST_F(WindowLogic, PathsSortFolderByFolderInTheNaturalOrder) {
    const std::string separator(1, fileSystem->PathSeparator());
    WriteFile(treeFolder.Path() / "a" / "keep.txt", "x");
    WriteFile(treeFolder.Path() / "a b" / "keep.txt", "x");
    for (const char* folder : {"x", "x/p", "x/p q"}) {
        WriteFile(treeFolder.Path() / "a" / folder / "keep.txt", "x");
    }
    // Enough rows that they are sorted name by name, not all at once.
    std::vector<std::string> sorted{"a" + separator + "b"};
    for (int i = 0; i < 30; ++i) {
        sorted.push_back("a" + separator + "IMG_" + std::to_string(i));
    }
    for (const char* path : {"a/x/IMG_9", "a/x/IMG_10", "a/x/p/q", "a/x/p q/r", "a b/c"}) {
        sorted.push_back(path);
        std::replace(sorted.back().begin(), sorted.back().end(), '/', separator[0]);
    }
    for (const std::string& path : sorted) {
        fs::create_directories(treeFolder.Path() / path);
    }
    form.SetRootFolder(treeFolder.Text());
    form.cmdFind_Click();
    const std::vector<std::string> found = window.ListedPaths();
    form.ListView1_ColumnClick(1);
    EXPECT_EQ(window.ListedPaths(), sorted);
    form.ListView1_ColumnClick(2);
    EXPECT_EQ(window.list.SortIndicator(), "1 up");
    form.cmdFind_Click();
    EXPECT_EQ(window.ListedPaths(), found);
    EXPECT_EQ(window.list.SortIndicator(), "");
    form.ListView1_ColumnClick(1);
    EXPECT_EQ(window.ListedPaths(), sorted);
}

// Move to Trash runs as Remove does (its controls during the run are Remove's), and its
// messages say where the folders went.
TEST_F(WindowLogic, MoveToTrashRunsAsRemoveAndSaysWhereTheFoldersWent) {
#ifdef _WIN32
    const std::string trash = "the Recycle Bin";
    EXPECT_EQ(std::string(SystemTrashWording().menuCaption), "Move to Recycle Bin");
#else
    const std::string trash = "the Trash";
    EXPECT_EQ(std::string(SystemTrashWording().menuCaption), "Move to Trash");
#endif
    FindRows(4);
    window.list.SelectAll();
    removal.outcomes[Path(1)] = {RemovalOutcome::Failed, "no trash", ""};
    window.form.onDoEvents = [&] { form.mnuMoveToTrash_Click(); }; // a Stop, as Remove's
    form.mnuMoveToTrash_Click();

    EXPECT_EQ(window.messages,
              (std::vector<std::string>{"Found 4 Folders.",
                                        "Do you stop moving folders to " + trash + "?",
                                        "1 folders are moved to " + trash + "."}));
    ASSERT_EQ(removal.calls.size(), 1u);
    EXPECT_TRUE(removal.calls[0].toTrash);

    form.mnuMoveToTrash_Click();
    ASSERT_EQ(window.messages.size(), 5u);
    EXPECT_EQ(window.messages[3], "2 folders are moved to " + trash + ".");
    EXPECT_EQ(window.messages[4], "1 folders are not moved to " + trash + ":\r\n" +
                                      fileSystem->BuildPath(treeFolder.Text(), Path(1)) +
                                      ": no trash");
    EXPECT_FALSE(form.State().IsBusy);
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

// The windows always keep protected folders: Find lists nothing above one, and Remove checks
// again, so one made in a listed folder after Find keeps it.
TEST_F(WindowLogic, ProtectedFoldersAreKeptByFindAndRemove) {
    const fs::path root = treeFolder.Path();
    WriteFile(root / "file.txt", "x");
    fs::create_directories(root / "repo" / ".git" / "refs");
    fs::create_directories(root / "e" / "a");
    real.Form_Load();
    real.SetRootFolder(treeFolder.Text());
    real.cmdFind_Click();
    ASSERT_EQ(window.ListedPaths(), std::vector<std::string>{"e"});
    fs::create_directories(root / "e" / "a" / ".git");
    window.list.SetSelected(0, true);
    real.cmdRemove_Click();
    ASSERT_EQ(window.messages.size(), 3u);
    EXPECT_EQ(window.messages[1], "0 folders are removed.");
    EXPECT_EQ(window.messages[2], "1 folders are not removed:\r\n" +
                                      fileSystem->BuildPath(treeFolder.Text(), "e") +
                                      ": it holds a protected folder");
    EXPECT_TRUE(fs::is_directory(root / "e" / "a" / ".git"));
}

// The real removal, with the root folder replaced after Find: renamed away with a
// look-alike made in its place, or swapped for a link to a look-alike. Remove, and a second
// one, reach the rows only from the folder that was scanned: nothing is removed. (A root
// replaced during a run is the removal's own concern.)
TEST_F(WindowLogic, TheRealRemovalRemovesOnlyFromTheFolderThatWasScanned) {
    const fs::path root = treeFolder.Path() / "root";
    const fs::path renamed = treeFolder.Path() / "root.old";
    const fs::path lookAlike = treeFolder.Path() / "other";
    real.Form_Load();
    for (bool link : {false, true}) {
        SCOPED_TRACE(link ? "swapped for a link" : "renamed away");
        fs::remove_all(treeFolder.Path());
        // Each row holds an empty folder, so that the removal checks it before it deletes.
        for (const fs::path& top : {root, lookAlike}) {
            WriteFile(top / "keep.txt", "x");
            fs::create_directories(top / "x0" / "a");
            fs::create_directories(top / "x1" / "a");
        }
        real.SetRootFolder(PathText(root));
        real.cmdFind_Click();
        ASSERT_EQ(window.list.RowCount(), 2u);
        window.list.SetSelected(0, true);
        window.list.SetSelected(1, true);
        window.messages.clear();
        std::error_code error; // Windows refuses to rename a held folder; Wine makes no links
        fs::rename(root, renamed, error);
        if (!error && link) {
            fs::create_directory_symlink(lookAlike, root, error);
        } else if (!error) {
            fs::copy(lookAlike, root, fs::copy_options::recursive, error);
        }
        if (error) {
            continue;
        }

        real.cmdRemove_Click();
        real.cmdRemove_Click();

        for (const char* row : {"x0", "x1"}) {
            EXPECT_TRUE(fs::exists(renamed / row / "a")) << row;
            EXPECT_TRUE(fs::exists(root / row / "a")) << row;
        }
        const std::string report = "2 folders are not removed:\r\n" + PathText(root) +
                                   ": it is no longer the folder that was scanned";
        EXPECT_EQ(window.messages, (std::vector<std::string>{"0 folders are removed.", report,
                                                             "0 folders are removed.", report}));
    }
}

#ifndef _WIN32
// A Find that runs out of descriptors raises the alarm rather than pass for one that found
// fewer folders. The child leaves the scan two descriptors: the root and a subfolder.
TEST_F(WindowLogic, AFindShortOfDescriptorsRaisesTheAlarm) {
    WriteFile(treeFolder.Path() / "file.txt", "x");
    fs::create_directories(treeFolder.Path() / "e" / "d" / "d" / "d");
    form.SetRootFolder(treeFolder.Text());
    int status = InChild([&] {
        // The limit is on descriptor numbers: it is set just above the second free one.
        int fd = 0;
        for (int spare = 0; spare < 2; ++fd) {
            spare += ::fcntl(fd, F_GETFD) == -1 ? 1 : 0;
        }
        struct rlimit limit {};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = static_cast<rlim_t>(fd);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        form.cmdFind_Click();
        return window.messages ==
                       std::vector<std::string>{"The search of " + treeFolder.Text() +
                                                    " stopped: too many open files, or too "
                                                    "little memory",
                                                "Found 0 Folders."}
                   ? 0
                   : 1;
    });
    EXPECT_EQ(status, 0);
}
#endif

} // namespace
