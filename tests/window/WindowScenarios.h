#pragma once

// What a user does with the main window, written once and run against each front end
// through a driver: the window's logic over fake controls, the Qt window and the Win32
// window. Each test program instantiates the suite with its driver:
//     INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowScenario, QtWindowDriver);

#include "main_window/MainWindowLayout.h"
#include "main_window/frmVacantor.h"
#include "platform/HeldTrash.h"
#include "platform/MainWindowControls.h"
#include "fakes/FakeDesktopShell.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// One front end's main window with the real services, as a user sees and works it. Every
// message box is answered at once: Yes to a question, OK to the others.
class WindowDriver {
  public:
    virtual ~WindowDriver() = default;
    // Starts the program with its settings file in `settingsFolder`; after Quit, a new start.
    virtual void Start(const std::string& settingsFolder) = 0;
    // Closes an idle window and ends the program.
    virtual void Quit() = 0;
    // Closes as the title bar's button does; true when the window closed at once.
    virtual bool RequestClose() = 0;
    virtual bool IsOpen() = 0;

    virtual void Drop(const std::vector<std::string>& paths) = 0;
    // A click on the root box; returns once a chooser it opens is cancelled.
    virtual void ClickRootBox() = 0;
    // How many times a folder chooser was shown (and cancelled) since the start.
    virtual int ChoosersShown() = 0;
    virtual std::string RootText() = 0;
    // Each returns when the command and its message are done.
    virtual void ClickFind() = 0;
    virtual void ClickRemove() = 0;
    // Runs `action` once, in the first turn of the event pump of the next command.
    virtual void DuringTheNextRun(std::function<void()> action) = 0;

    // Rows are named by their position in the list as shown, from the top.
    virtual void Select(std::size_t position) = 0;
    // The path cells and the number cells, top first, once the list shows every row.
    virtual std::vector<std::string> Rows() = 0;
    virtual std::vector<std::string> Numbers() = 0;
    virtual bool ShownAsRemoved(std::size_t position) = 0;
    virtual std::vector<std::size_t> SelectedPositions() = 0;
    virtual void ClickColumnHeader(int column) = 0;
    // The column whose header shows the rows' order, and its direction: "1 up", "0 down";
    // "" when no header does.
    virtual std::string SortIndicator() = 0;
    virtual void PressCtrlA() = 0;
    // Opens the list's context menu over the row at `position`, which is selected, and
    // clicks the item captioned `choice`. The menu's captions, top first, each followed
    // by "-" when it was disabled ("-" alone for a line).
    virtual std::vector<std::string> ContextMenu(std::size_t position,
                                                 const std::string& choice) = 0;
    // What the window asked of the file manager and the clipboard.
    virtual FakeDesktopShell& Desktop() = 0;
    // The texts of the message boxes shown since the last start at least, in order.
    virtual std::vector<std::string> Messages() = 0;
    // The buttons and the root box as ControlsText shows them.
    virtual std::string Controls() = 0;

    // The settings file the running program keeps.
    virtual std::string SettingsFile() = 0;
    // The window, in pixels: its client size; its frame's corner and its client size; the
    // controls' places in it; its dots per inch across and down. Resize and Move as a user
    // drags the frame and the title bar.
    virtual PixelSize ClientSize() = 0;
    virtual PixelRect Place() = 0;
    virtual MainWindowLayout ControlPlaces() = 0;
    virtual std::pair<int, int> Dpi() = 0;
    virtual void Resize(PixelSize size) = 0;
    virtual void Move(int left, int top) = 0;
    // Keys pressed in the root box (codes of MainWindowControls.h, or a capital letter); a
    // key that opens the chooser returns once it is cancelled.
    virtual void TypeInRootBox(const std::string& text) = 0;
    virtual void PressKeyInRootBox(int keyCode) = 0;
    // The check box "Ignore junk files".
    virtual void ClickIgnoreJunk() = 0;
    virtual bool IgnoreJunkTicked() = 0;
};

// The captions of Find and Remove, then the root box, each followed by "-" when it takes no
// input, and "busy" while the pointer shows a run: "Stop Remove- root- busy".
inline std::string ControlsText(const std::string& find, bool findOn, const std::string& remove,
                                bool removeOn, bool rootOn, bool busy) {
    return find + (findOn ? " " : "- ") + remove + (removeOn ? " " : "- ") +
           (rootOn ? "root" : "root-") + (busy ? " busy" : "");
}

template <typename Driver>
class WindowScenario : public testing::Test {
  protected:
    void SetUp() override { driver.Start(settings.Text()); }
    void TearDown() override {
        if (driver.IsOpen()) {
            driver.Quit();
        }
    }

    // A root holding a file and `count` topmost empty folders "e<i>" (each holding an empty
    // folder), beside a folder that holds a file. The root's file is dropped on the window
    // before that folder: a file stands for its folder, and only the first item counts.
    void MakeTree(int count) {
        WriteFile(tree.Path() / "keep.txt", "x");
        WriteFile(tree.Path() / "full" / "inner" / "keep.txt", "x");
        for (int i = 0; i < count; ++i) {
            std::filesystem::create_directories(tree.Path() / Name(i) / "in");
        }
        driver.Drop({tree.Text("keep.txt"), tree.Text("full")});
    }

    // Not "e" + std::to_string(i): GCC 12 warns of an overlapping copy there (-Wrestrict).
    static std::string Name(int i) {
        std::string name = std::to_string(i);
        name.insert(0, 1, 'e');
        return name;
    }

    std::string LastMessage() {
        std::vector<std::string> messages = driver.Messages();
        return messages.empty() ? "" : messages.back();
    }

    // A row's folder as the window names it in full.
    std::string FullPath(const std::string& row) {
        return this->tree.Text() + std::string(1, std::filesystem::path::preferred_separator) + row;
    }

    // The window asked to close during the run closes once `run` is stopped, with no message.
    void ExpectClosingDuringTheNextRunStopsIt(const std::function<void()>& run) {
        const std::size_t shown = driver.Messages().size();
        bool closedAtOnce = true;
        driver.DuringTheNextRun([&] { closedAtOnce = driver.RequestClose(); });
        run();
        EXPECT_FALSE(closedAtOnce);
        EXPECT_FALSE(driver.IsOpen());
        EXPECT_EQ(driver.Messages().size(), shown);
    }

    std::size_t FoldersLeft(int count) {
        std::size_t left = 0;
        for (int i = 0; i < count; ++i) {
            left += std::filesystem::exists(tree.Path() / Name(i));
        }
        return left;
    }

    TempFolder settings;
    TempFolder tree;
    Driver driver;
};

TYPED_TEST_SUITE_P(WindowScenario);

// Find lists the topmost empty folders, and a new Find forgets the rows selected before.
// Remove deletes the selected ones and marks their rows; a row already removed is not
// removed again, and one still selected goes next time. The root of the last Find is
// restored at the next start.
TYPED_TEST_P(WindowScenario, FindListsAndRemoveDeletesTheSelectedFolders) {
    this->MakeTree(3);
    this->driver.ClickFind();
    this->driver.Select(1);
    this->driver.ClickFind();
    this->driver.ClickRemove();
    EXPECT_EQ(this->driver.Messages(),
              (std::vector<std::string>{"Found 3 Folders.", "Found 3 Folders.",
                                        "0 folders are removed."}));
    const std::vector<std::string> rows = this->driver.Rows();
    ASSERT_EQ(std::multiset<std::string>(rows.begin(), rows.end()),
              (std::multiset<std::string>{"e0", "e1", "e2"}));
    this->driver.Select(0);
    this->driver.Select(2);
    this->driver.ClickRemove();

    EXPECT_EQ(this->LastMessage(), "2 folders are removed.");
    EXPECT_FALSE(std::filesystem::exists(this->tree.Path() / rows[0]));
    EXPECT_FALSE(std::filesystem::exists(this->tree.Path() / rows[2]));
    EXPECT_TRUE(std::filesystem::exists(this->tree.Path() / rows[1] / "in"));
    EXPECT_TRUE(this->driver.ShownAsRemoved(0));
    EXPECT_FALSE(this->driver.ShownAsRemoved(1));
    EXPECT_TRUE(this->driver.ShownAsRemoved(2));
    EXPECT_TRUE(std::filesystem::exists(this->tree.Path() / "full" / "inner" / "keep.txt"));

    this->driver.Select(1);
    this->driver.ClickRemove();
    EXPECT_EQ(this->LastMessage(), "1 folders are removed.");
    EXPECT_EQ(this->FoldersLeft(3), 0u);
    this->driver.Quit();
    this->driver.Start(this->settings.Text());
    EXPECT_EQ(this->driver.RootText(), this->tree.Text());
}

// While Find runs only its button takes input, reading Stop, under a busy pointer: neither
// a drop nor a click on the root box changes the root, and the click opens no chooser. A
// Stop keeps the rows found so far, and is not carried over to the next Find. Closing the
// window during a Find stops it, then closes it.
TYPED_TEST_P(WindowScenario, StopEndsTheFindWithTheRowsFoundSoFar) {
    this->MakeTree(300);
    std::string during;
    this->driver.DuringTheNextRun([&] {
        during = this->driver.Controls();
        this->driver.Drop({this->settings.Text()});
        this->driver.ClickRootBox();
        this->driver.ClickFind();
    });
    this->driver.ClickFind();
    EXPECT_EQ(during, "Stop Remove- root- busy");
    EXPECT_EQ(this->driver.Controls(), "Find Remove root");
    EXPECT_EQ(this->driver.ChoosersShown(), 0);
    EXPECT_EQ(this->driver.RootText(), this->tree.Text());
    const std::size_t rows = this->driver.Rows().size();
    EXPECT_LT(rows, 300u);
    EXPECT_EQ(this->driver.Messages(),
              std::vector<std::string>{"Found " + std::to_string(rows) + " Folders."});

    this->driver.ClickFind();
    EXPECT_EQ(this->LastMessage(), "Found 300 Folders.");
    this->driver.ClickRootBox();
    EXPECT_EQ(this->driver.ChoosersShown(), 1);
    this->ExpectClosingDuringTheNextRunStopsIt([&] { this->driver.ClickFind(); });
}

// A click on Remove during Remove, the only control then taking input, asks; Yes stops
// after the current row. Closing the window during a Remove stops it without asking.
TYPED_TEST_P(WindowScenario, StopOrCloseDuringRemoveKeepsTheLaterRows) {
    this->MakeTree(20);
    this->driver.ClickFind();
    for (std::size_t row = 0; row < 20; ++row) {
        this->driver.Select(row);
    }
    std::string during;
    this->driver.DuringTheNextRun([&] {
        during = this->driver.Controls();
        this->driver.ClickRemove();
    });
    this->driver.ClickRemove();

    EXPECT_EQ(during, "Find- Stop root- busy");
    EXPECT_EQ(this->driver.Controls(), "Find Remove root");
    const std::size_t left = this->FoldersLeft(20);
    EXPECT_GT(left, 0u);
    EXPECT_EQ(this->driver.Messages(),
              (std::vector<std::string>{"Found 20 Folders.", "Do you stop removing folders?",
                                        std::to_string(20 - left) + " folders are removed."}));
    this->ExpectClosingDuringTheNextRunStopsIt([&] { this->driver.ClickRemove(); });
    EXPECT_GT(this->FoldersLeft(20), 0u);
}

// The window opens at its least size, the controls at their twips places (as the shared
// layout puts them at the window's DPI). Made larger, the list takes the extra width and
// height and the root box the extra width; it is never made smaller than at first. Its
// place and size come back at the next start, but a settings file whose values are garbage
// or on no screen gives the first window again.
TYPED_TEST_P(WindowScenario, ResizingGrowsTheListAndTheWindowsPlaceIsKept) {
    WindowDriver& window = this->driver;
    auto expectPlaces = [&](const MainWindowLayout& expected) {
        const MainWindowLayout now = window.ControlPlaces();
        for (auto [name, place, actual] :
             {std::tuple("label", expected.lblFolder, now.lblFolder),
              std::tuple("root box", expected.txtFolder, now.txtFolder),
              std::tuple("Find", expected.cmdFind, now.cmdFind),
              std::tuple("list", expected.ListView1, now.ListView1),
              std::tuple("Remove", expected.cmdRemove, now.cmdRemove),
              std::tuple("read-only", expected.chkReadOnly, now.chkReadOnly),
              std::tuple("junk", expected.chkIgnoreJunk, now.chkIgnoreJunk)}) {
            EXPECT_EQ(actual, place) << name;
        }
    };
    const PixelSize least = window.ClientSize();
    const PixelRect first = window.Place();
    const auto [dpiX, dpiY] = window.Dpi();
    EXPECT_EQ(least, MinimumClientSize(dpiX, dpiY));
    const MainWindowLayout places = LayOutMainWindow(least, dpiX, dpiY);
    expectPlaces(places);
    window.Resize({least.width + 90, least.height + 60});
    EXPECT_EQ(window.ClientSize(), (PixelSize{least.width + 90, least.height + 60}));
    MainWindowLayout grown = places;
    grown.txtFolder.width += 90;
    grown.ListView1.width += 90;
    grown.ListView1.height += 60;
    expectPlaces(grown);
    window.Resize({least.width - 50, least.height - 50});
    EXPECT_EQ(window.ClientSize(), least);
    EXPECT_EQ(window.ControlPlaces().ListView1, places.ListView1);

    window.Resize({least.width + 90, least.height + 60});
    window.Move(first.left + 30, first.top + 20);
    window.Quit();
    window.Start(this->settings.Text());
    EXPECT_EQ(window.Place(),
              (PixelRect{first.left + 30, first.top + 20, least.width + 90, least.height + 60}));
    EXPECT_EQ(window.ControlPlaces().ListView1, grown.ListView1);

    const std::string keys[] = {
        "WindowLeft=5\nWindowTop=5\nWindowWidth=wide\nWindowHeight=500",
        "WindowLeft=90000\nWindowTop=5\nWindowWidth=700\nWindowHeight=500",
    };
    const std::string settingsFile = window.SettingsFile();
    for (const std::string& kept : keys) {
        window.Quit();
        WriteFile(settingsFile, "[Vacantor]\n" + kept + "\n");
        window.Start(this->settings.Text());
        EXPECT_EQ(window.Place(), first) << kept;
    }
}

// "Ignore junk files" is unticked at the first start and Find lists only empty folders.
// Ticked, Find also lists the folders that hold nothing but junk files, marked, and Remove
// deletes them with their junk, even once the box is unticked again: Remove acts on what
// that Find listed. The box's state comes back at the next start.
TYPED_TEST_P(WindowScenario, IgnoreJunkFilesListsAndRemovesFoldersHoldingOnlyJunk) {
    WindowDriver& window = this->driver;
    const std::filesystem::path root = this->tree.Path();
    this->MakeTree(1);
    WriteFile(root / "junk" / "Thumbs.db", "x");
    WriteFile(root / "junk" / "deeper" / ".DS_Store", "x");
    WriteFile(root / "kept" / "Thumbs.db.txt", "x");
    EXPECT_FALSE(window.IgnoreJunkTicked());
    window.ClickFind();
    EXPECT_EQ(window.Rows(), std::vector<std::string>{"e0"});

    window.ClickIgnoreJunk();
    window.Quit();
    window.Start(this->settings.Text());
    EXPECT_TRUE(window.IgnoreJunkTicked());
    window.ClickFind();
    std::vector<std::string> rows = window.Rows();
    ASSERT_EQ(std::multiset<std::string>(rows.begin(), rows.end()),
              (std::multiset<std::string>{"e0", "junk" + JunkRowSuffix}));
    window.Select(rows[0] == "e0" ? 1 : 0);
    window.ClickIgnoreJunk();
    window.ClickRemove();
    EXPECT_EQ(this->LastMessage(), "1 folders are removed.");
    EXPECT_FALSE(std::filesystem::exists(root / "junk"));
    EXPECT_TRUE(std::filesystem::exists(root / "e0" / "in"));
    EXPECT_TRUE(std::filesystem::exists(root / "kept" / "Thumbs.db.txt"));

    window.Quit();
    window.Start(this->settings.Text());
    EXPECT_FALSE(window.IgnoreJunkTicked());
}

// The root box takes no typing; Enter, Space and F4 in it open the chooser as a click does.
TYPED_TEST_P(WindowScenario, TheRootBoxTakesNoTypingAndOpensTheChooserFromTheKeyboard) {
    WindowDriver& window = this->driver;
    window.Drop({this->tree.Text()});
    window.TypeInRootBox("typed");
    EXPECT_EQ(window.RootText(), this->tree.Text());
    for (int key : {KeyReturn, int{'A'}, KeySpace, KeyF4}) {
        window.PressKeyInRootBox(key);
    }
    EXPECT_EQ(window.ChoosersShown(), 3);
    EXPECT_EQ(window.RootText(), this->tree.Text());
}

// A click on a header sorts by its column, a second one reverses: paths in the natural
// order (e2 before e10), numbers as numbers (2 before 10). Each row keeps its number, its
// Removed mark and its selection, and Remove then removes exactly the selected folders.
TYPED_TEST_P(WindowScenario, SortingKeepsEachRowsNumberMarkAndSelection) {
    this->MakeTree(12);
    this->driver.ClickFind();
    this->driver.Select(4);
    this->driver.ClickRemove();
    this->driver.Select(7);
    this->driver.Select(9);
    const std::vector<std::string> added = this->driver.Rows();
    const std::set<std::string> selected{added[4], added[7], added[9]};
    std::map<std::string, std::string> numbers;
    for (std::size_t row = 0; row < added.size(); ++row) {
        numbers[added[row]] = std::to_string(row);
    }
    EXPECT_EQ(this->driver.SortIndicator(), "");

    std::vector<std::string> natural;
    std::vector<std::string> byNumber;
    for (int i = 0; i < 12; ++i) {
        natural.push_back(this->Name(i));
        byNumber.push_back(std::to_string(i));
    }
    for (auto [column, indicator, reversed] :
         {std::tuple(1, "1 up", false), std::tuple(1, "1 down", true), std::tuple(0, "0 up", false),
          std::tuple(0, "0 down", true)}) {
        SCOPED_TRACE(indicator);
        this->driver.ClickColumnHeader(column);
        EXPECT_EQ(this->driver.SortIndicator(), indicator);
        const std::vector<std::string> rows = this->driver.Rows();
        const std::vector<std::string> shownNumbers = this->driver.Numbers();
        std::vector<std::string> expected = column == 1 ? natural : byNumber;
        if (reversed) {
            std::reverse(expected.begin(), expected.end());
        }
        EXPECT_EQ(column == 1 ? rows : shownNumbers, expected);
        std::set<std::string> selectedNow;
        for (std::size_t position : this->driver.SelectedPositions()) {
            selectedNow.insert(rows.at(position));
        }
        EXPECT_EQ(selectedNow, selected);
        for (std::size_t position = 0; position < rows.size(); ++position) {
            EXPECT_EQ(shownNumbers[position], numbers[rows[position]]) << rows[position];
            EXPECT_EQ(this->driver.ShownAsRemoved(position), rows[position] == added[4])
                << rows[position];
        }
    }

    this->driver.ClickRemove();
    EXPECT_EQ(this->LastMessage(), "2 folders are removed.");
    for (const std::string& row : added) {
        EXPECT_EQ(std::filesystem::exists(this->tree.Path() / row), selected.count(row) == 0)
            << row;
    }
}

// The context menu opens the folder of the row under it in the file manager (its parent
// when it is gone, with an alarm when even that fails) and copies the full paths of the
// selected rows in the order shown (here sorted down), one per line; Select All and Ctrl+A
// select every row. Its "Move to Trash" ("Move to Recycle Bin" on Windows) moves the
// selected folders whole to the trash, marks their rows as Remove does and says where they
// went.
TYPED_TEST_P(WindowScenario, TheContextMenuOpensCopiesMovesToTrashAndSelectsAll) {
#ifndef _WIN32
    TempFolder dataHome; // the home trash, on the tree's file system
    ::setenv("XDG_DATA_HOME", dataHome.Text().c_str(), 1);
#endif
    this->MakeTree(4);
    this->driver.ClickFind();
    this->driver.ClickColumnHeader(1);
    this->driver.ClickColumnHeader(1);
    const std::vector<std::string> rows = this->driver.Rows();
    ASSERT_EQ(rows, (std::vector<std::string>{"e3", "e2", "e1", "e0"}));
    this->driver.Select(3);
    this->driver.Select(1);
    FakeDesktopShell& desktop = this->driver.Desktop();
    const std::vector<std::string> menu = this->driver.ContextMenu(1, "&Copy path");
    EXPECT_EQ(menu, (std::vector<std::string>{"&Open containing folder", "&Copy path", "-",
                                              SystemTrashWording().menuCaption, "-",
                                              "Select &All\tCtrl+A"}));
    this->driver.ContextMenu(1, "&Open containing folder");
    desktop.showWorks = false;
    this->driver.ContextMenu(1, "&Open containing folder");
    this->driver.ClickRemove();
    desktop.openWorks = false;
    this->driver.ContextMenu(1, "&Open containing folder");
    EXPECT_EQ(desktop.calls,
              (std::vector<std::string>{
                  "copy " + this->FullPath(rows[1]) + "\n" + this->FullPath(rows[3]),
                  "show " + this->FullPath(rows[1]), "show " + this->FullPath(rows[1]),
                  "open " + this->tree.Text(), "open " + this->tree.Text()}));
    EXPECT_EQ(this->LastMessage(), "Cannot open the folder " + this->tree.Text());

    this->driver.ContextMenu(1, "Select &All\tCtrl+A");
    EXPECT_EQ(this->driver.SelectedPositions(), (std::vector<std::size_t>{0, 1, 2, 3}));
    this->driver.ClickFind();
    EXPECT_EQ(this->driver.SelectedPositions(), std::vector<std::size_t>{});
    const std::vector<std::string> left = this->driver.Rows();
    this->driver.ContextMenu(0, SystemTrashWording().menuCaption);
    EXPECT_EQ(this->LastMessage(),
              std::string("1 folders are moved to ") + SystemTrashWording().destination + ".");
    EXPECT_TRUE(this->driver.ShownAsRemoved(0));
    EXPECT_FALSE(this->driver.ShownAsRemoved(1));
    EXPECT_FALSE(std::filesystem::exists(this->tree.Path() / left[0]));
    EXPECT_TRUE(std::filesystem::exists(this->tree.Path() / left[1]));
#ifndef _WIN32
    EXPECT_TRUE(
        std::filesystem::is_directory(dataHome.Path() / "Trash" / "files" / left[0] / "in"));
    ::unsetenv("XDG_DATA_HOME");
#endif
    this->driver.PressCtrlA();
    EXPECT_EQ(this->driver.SelectedPositions(), (std::vector<std::size_t>{0, 1}));
}

REGISTER_TYPED_TEST_SUITE_P(WindowScenario, FindListsAndRemoveDeletesTheSelectedFolders,
                            StopEndsTheFindWithTheRowsFoundSoFar,
                            StopOrCloseDuringRemoveKeepsTheLaterRows,
                            ResizingGrowsTheListAndTheWindowsPlaceIsKept,
                            IgnoreJunkFilesListsAndRemovesFoldersHoldingOnlyJunk,
                            TheRootBoxTakesNoTypingAndOpensTheChooserFromTheKeyboard,
                            SortingKeepsEachRowsNumberMarkAndSelection,
                            TheContextMenuOpensCopiesMovesToTrashAndSelectsAll);
