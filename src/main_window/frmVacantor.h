#pragma once

#include "platform/MainWindowControls.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DesktopShell;
class FileSystem;
class FolderRemoval;
struct FoundFolder;
class HeldRoot;
class ListingRules;
class ProfileFile;

// The settings file's name; Form_Load keeps it in the folder FormRuntime::AppPath reports.
inline const std::string SettingsFileName = "Scryve.ini";

// The titles of the window's message boxes: results and questions, and alarms.
inline const std::string ResultTitle = "Scryve";
inline const std::string AlarmTitle = "Scryve Alarm";

// Ends the path shown for a folder that holds only junk files, which Remove deletes with it.
// '<' and '>' cannot be part of a Windows name, and are rare in others.
inline const std::string JunkRowSuffix = " <junk files>";

// Shows a modal message box and returns the id of the button that closed it: in the
// program MessageBox::ShowMessageBox, in tests a recorder.
using ShowMessageBoxFunction = std::function<std::int32_t(
    const std::string& text, const std::string& title, std::int32_t style, std::int32_t options)>;

// Opens the modal folder picker and returns the chosen folder, or "" on cancel: in the
// program FileDialog::BrowseForFolder on the platform's shell, in tests a fake.
using BrowseForFolderFunction = std::function<std::string(
    const std::string& title, std::intptr_t ownerWindow, std::intptr_t namespaceRoot,
    std::uint32_t flags, const std::string& startFolder)>;

// What the window's logic uses besides its controls.
struct MainWindowServices {
    FileSystem& fileSystem;
    ProfileFile& profileFile;
    FolderRemoval& folderRemoval;
    ShowMessageBoxFunction showMessageBox;
    BrowseForFolderFunction browseForFolder;
    // The scan, which pumps once per folder, pumps at most once per this interval: a Stop
    // click still waits no more than a few milliseconds, and hundreds of thousands of
    // folders do not pay for a pump each. Remove pumps after every row, whatever this says.
    std::chrono::milliseconds scanPumpInterval{10};
    // The file manager and the clipboard, for the list's context menu; without it the
    // menu's commands that need them do nothing.
    DesktopShell* desktopShell = nullptr;
};

// An item of the list's context menu: its caption ("&" before the access key, a tab before
// the shortcut's name; empty for a separator line) and what a click on it runs.
struct ListMenuItem {
    std::string caption;
    bool enabled = true;
    std::function<void()> click;
};

// Keys as ListView1_KeyDown takes them: the Windows virtual-key code and the shift mask.
inline constexpr int KeyCodeA = 0x41;
inline constexpr int ShiftMaskCtrl = 2;

// The main window's logic: its state, start-up and commands, written once for the Win32
// and the Qt window, which forward their control events to the handlers below.
class frmVacantor {
  public:
    // What the window keeps for its whole life.
    struct FormState {
        std::string IniFilePath;
        std::string RootFolder; // as last set; loses one trailing separator when Find scans
        bool IsBusy = false;
        bool StopRequested = false;
    };

    frmVacantor(MainWindowControls controls, MainWindowServices services);

    // Events of the window and its controls.
    void Form_Load();
    void cmdFind_Click();
    void cmdRemove_Click();
    // The list's command "Move to Trash" ("Move to Recycle Bin" on Windows; see
    // SystemTrashWording): runs as Remove does, but moves each folder whole to the trash.
    void mnuMoveToTrash_Click();
    void txtFolder_Click();
    // `files`: the paths of the dropped items, first item first; empty when the drop
    // carries no file list (dragged text, say).
    void txtFolder_OLEDragDrop(const std::vector<std::string>& files);
    // A key pressed in the root box (no Ctrl or Alt held); true when it was the box's: Enter,
    // Space and F4 open the folder picker, as a click does.
    bool txtFolder_KeyDown(int keyCode);
    void ListView1_Click();
    void chkIgnoreJunk_Click();
    // A click on a column's header sorts the rows by it; the next click on it reverses.
    void ListView1_ColumnClick(int column);
    // A key pressed in the list; true when it was the list's shortcut and has been handled.
    bool ListView1_KeyDown(int keyCode, int shift);
    // The list's context menu, as it is to be shown now, top first.
    std::vector<ListMenuItem> ListView1_MenuItems();
    void mnuOpenFolder_Click();
    void mnuCopyPath_Click();
    void mnuSelectAll_Click();
    // The user asks to close the window. True: it may close now. False: a command is
    // running; it is stopped and the window closes itself (FormRuntime::Close) after it.
    bool Form_QueryUnload();

    // Procedures of the window.
    void SetRootFolder(const std::string& folder);
    void EnableControls(bool enabled);
    void FindEmptyFolders();
    // Appends the numbered row for a folder the scan found.
    void AddFolderItem(const FoundFolder& folder);
    // `toTrash`: move the folders to the trash instead of deleting them.
    std::int32_t RemoveFolders(bool toTrash = false);
    // The folder path of a row, relative to the root of its scan (the path cell without the
    // junk mark).
    std::string RowPath(std::size_t row) const;

    const FormState& State() const { return state_; }

  private:
    class FindScanHost;

    struct RemovalFailure {
        std::string path;
        std::string reason;
    };

    void RunRemoval(bool toTrash);
    void ReportRemovalFailures(bool toTrash);
    std::string ListedPath(const std::string& relativePath) const;
    void CloseAfterRun();
    void RestoreWindowPlacement();
    void SaveWindowPlacement();
    std::vector<std::size_t> SortedRows(int column, bool ascending) const;

    MainWindowControls controls_;
    MainWindowServices services_;
    FormState state_;
    bool closeRequested_ = false;
    // The root of the scan that listed the rows now in the list; Remove joins rows with it,
    // never with a root folder chosen after that scan.
    std::string listedRoot_;
    // That root, held open while its rows are shown: every Remove on them reaches them from
    // it, and removes nothing when listedRoot_ no longer leads to it.
    std::shared_ptr<const HeldRoot> listedRootHold_;
    // The rules that scan used (protected folders, and junk names when the box was ticked):
    // Remove checks with them and deletes those junk files, whatever the check box says now.
    // Held by pointer: this header is included where the shell's headers declare a Folder of
    // their own.
    std::shared_ptr<const ListingRules> listedRules_;
    std::vector<bool> junkRows_; // one for each row: its folder holds junk files
    bool placementSaved_ = false;
    std::vector<RemovalFailure> removalFailures_;
    // Why the last Remove could not use the root folder at all, and how many of its rows
    // that left in place.
    std::string rootFailure_;
    std::size_t rowsNotRemovedWithTheRoot_ = 0;
    // The column the list is sorted by (-1: none), its direction, and how many rows that
    // sort placed (rows added since are shown last).
    int sortColumn_ = -1;
    bool sortAscending_ = true;
    std::size_t sortedRows_ = 0;
};
