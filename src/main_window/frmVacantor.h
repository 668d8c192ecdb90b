#pragma once

#include "platform/MainWindowControls.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FileSystem;
class FolderRemoval;
struct FoundFolder;
class HeldRoot;
class ProfileFile;

// The settings file's name; Form_Load keeps it in the folder FormRuntime::AppPath reports.
inline const std::string SettingsFileName = "Scryve.ini";

// The titles of the window's message boxes: results and questions, and alarms.
inline const std::string ResultTitle = "Scryve";
inline const std::string AlarmTitle = "Scryve Alarm";

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
};

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
    void ListView1_Click();
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
    std::vector<RemovalFailure> removalFailures_;
    // Why the last Remove could not use the root folder at all, and how many of its rows
    // that left in place.
    std::string rootFailure_;
    std::size_t rowsNotRemovedWithTheRoot_ = 0;
};
