#include "main_window/frmVacantor.h"

#include "scan/EmptyFolderScan.h"
#include "main_window/WindowPlacement.h"
#include "scan/ListingRules.h"
#include "message_box/MessageBox.h"
#include "platform/FileSystem.h"
#include "platform/ResultList.h"
#include "scan/ListingRules.h"
#include "settings/IniFileCommon.h"

#include <optional>
#include <utility>

namespace {

const std::string SettingsSection = "Vacantor";
const std::string SettingsKey = "Folder";
const std::string IgnoreJunkKey = "IgnoreJunk";
constexpr int ListViewReport = 3;
constexpr int OLEDropManual = 1;

} // namespace

// The scan sees the window through this: the event pump, the stop flag, the check box, and
// the list its folders go to.
class frmVacantor::FindScanHost final : public ScanHost, public ScanSink {
  public:
    explicit FindScanHost(frmVacantor& form) : form_(form) {}
    void DoEvents() override {
        auto now = std::chrono::steady_clock::now();
        if (pumped_ && now - lastPump_ < form_.services_.scanPumpInterval) {
            return;
        }
        form_.controls_.form.DoEvents();
        pumped_ = true;
        lastPump_ = std::chrono::steady_clock::now();
    }
    bool StopRequested() const override { return form_.state_.StopRequested; }
    int ReadOnlyOptionValue() const override { return form_.controls_.chkReadOnly.Value(); }
    void FolderFound(const FoundFolder& folder) override { form_.AddFolderItem(folder); }

  private:
    frmVacantor& form_;
    bool pumped_ = false;
    std::chrono::steady_clock::time_point lastPump_;
};

frmVacantor::frmVacantor(MainWindowControls controls, MainWindowServices services)
    : controls_(controls), services_(std::move(services)) {}

void frmVacantor::Form_Load() {
    controls_.txtFolder.SetOLEDropMode(OLEDropManual);
    // Typed text would never be used: the box only shows the root folder.
    controls_.txtFolder.SetLocked(true);
    state_.IniFilePath =
        controls_.form.AppPath() + services_.fileSystem.PathSeparator() + SettingsFileName;
    std::string folder;
    IniFileCommon::GetIniValue(services_.profileFile, SettingsSection, SettingsKey, "", folder,
                               state_.IniFilePath);
    SetRootFolder(folder);

    ResultList& list = controls_.ListView1;
    list.SetFullRowSelect(true);
    list.ClearColumns();
    list.AddColumn("No.");
    list.AddColumn("Folder Path");
    list.SetView(ListViewReport);
    list.SetMultiSelect(true);

    std::string ignoreJunk;
    IniFileCommon::GetIniValue(services_.profileFile, SettingsSection, IgnoreJunkKey, "",
                               ignoreJunk, state_.IniFilePath);
    controls_.chkIgnoreJunk.SetValue(ignoreJunk == "1" ? 1 : 0);
    RestoreWindowPlacement();
}

// A place kept by an earlier run, unless no screen shows it now.
void frmVacantor::RestoreWindowPlacement() {
    std::optional<WindowPlacement> kept =
        ReadWindowPlacement(services_.profileFile, SettingsSection, state_.IniFilePath);
    if (kept && ReachableOnScreens(*kept, controls_.form.Screens())) {
        controls_.form.SetPlacement(*kept);
    }
}

// Once, as the window closes for good.
void frmVacantor::SaveWindowPlacement() {
    if (std::exchange(placementSaved_, true)) {
        return;
    }
    WriteWindowPlacement(services_.profileFile, SettingsSection, controls_.form.Placement(),
                         state_.IniFilePath);
}

void frmVacantor::chkIgnoreJunk_Click() {
    IniFileCommon::SetIniValue(services_.profileFile, SettingsSection, IgnoreJunkKey,
                               controls_.chkIgnoreJunk.Value() == 1 ? "1" : "0",
                               state_.IniFilePath);
}

void frmVacantor::SetRootFolder(const std::string& folder) {
    controls_.txtFolder.SetText(folder);
    state_.RootFolder = folder;
}

void frmVacantor::EnableControls(bool enabled) {
    controls_.txtFolder.SetEnabled(enabled);
    controls_.cmdFind.SetEnabled(enabled);
    controls_.cmdRemove.SetEnabled(enabled);
}

void frmVacantor::cmdFind_Click() {
    if (state_.IsBusy) {
        state_.StopRequested = true;
        return;
    }
    state_.IsBusy = true;
    controls_.form.SetMousePointer(PointerArrowHourglass);
    EnableControls(false);
    controls_.cmdFind.SetEnabled(true);
    controls_.cmdFind.SetCaption("Stop");

    FindEmptyFolders();

    controls_.cmdFind.SetCaption("Find");
    EnableControls(true);
    controls_.form.SetMousePointer(PointerDefault);
    if (closeRequested_) {
        CloseAfterRun();
        return;
    }
    services_.showMessageBox("Found " + std::to_string(controls_.ListView1.RowCount()) +
                                 " Folders.",
                             ResultTitle, MessageBox::StyleInformationIcon, 0);
    state_.IsBusy = false;
    if (closeRequested_) {
        CloseAfterRun();
    }
}

void frmVacantor::FindEmptyFolders() {
    FileSystem& fileSystem = services_.fileSystem;
    if (!fileSystem.FolderExists(state_.RootFolder)) {
        services_.showMessageBox("Set data !", AlarmTitle, MessageBox::StyleStopIcon, 0);
        return;
    }
    IniFileCommon::SetIniValue(services_.profileFile, SettingsSection, SettingsKey,
                               state_.RootFolder, state_.IniFilePath);
    controls_.ListView1.ClearRows();
    junkRows_.clear();
    sortColumn_ = -1;
    listedRoot_.clear();
    listedRootHold_.reset();
    listedRules_.reset();
    if (!state_.RootFolder.empty() && state_.RootFolder.back() == fileSystem.PathSeparator()) {
        state_.RootFolder.pop_back();
    }

    listedRoot_ = state_.RootFolder;
    // Protected folders are always kept; junk names only when the box asks.
    auto rules = std::make_shared<ListingRules>(fileSystem.PathSeparator());
    if (controls_.chkIgnoreJunk.Value() == 1) {
        rules->AddCommonJunk();
    }
    listedRules_ = std::move(rules);
    FindScanHost host(*this);
    EmptyFolderScan scan(fileSystem, host, host, state_.RootFolder, {}, listedRules_.get());
    scan.ScanFolder(state_.RootFolder);
    listedRootHold_ = scan.ScannedRoot();
    // A root that exists but cannot be read would otherwise pass for one without empty
    // folders, and a scan cut short for one with fewer.
    if (scan.RanShort()) {
        services_.showMessageBox("The search of " + state_.RootFolder +
                                     " stopped: too many open files, or too little memory",
                                 AlarmTitle, MessageBox::StyleStopIcon, 0);
    } else if (scan.RootUnreadable()) {
        services_.showMessageBox("Cannot read the folder " + state_.RootFolder, AlarmTitle,
                                 MessageBox::StyleStopIcon, 0);
    }
    state_.StopRequested = false;
}

// The row's number is the count of rows before it, so the first row is numbered 0.
void frmVacantor::AddFolderItem(const FoundFolder& folder) {
    ResultList& list = controls_.ListView1;
    std::size_t row = list.RowCount();
    list.AddRow(std::to_string(row));
    std::string path(folder.relativePath);
    if (folder.holdsJunk) {
        path += JunkRowSuffix;
    }
    list.SetSubItem1Text(row, path);
    junkRows_.resize(row + 1);
    junkRows_[row] = folder.holdsJunk;
}

// Only a row marked as holding junk loses the mark: a folder may be named like it.
std::string frmVacantor::RowPath(std::size_t row) const {
    std::string path = controls_.ListView1.SubItem1Text(row);
    if (row < junkRows_.size() && junkRows_[row] && path.ends_with(JunkRowSuffix)) {
        path.resize(path.size() - JunkRowSuffix.size());
    }
    return path;
}

void frmVacantor::ListView1_Click() {
    // Without a selected row (an empty list, say) there is nothing to show.
    ResultList& list = controls_.ListView1;
    std::optional<std::size_t> row = list.SelectedItem();
    if (!row) {
        return;
    }
    list.SetToolTipText(list.IsRemoved(*row) ? "True" : "False");
}

bool frmVacantor::Form_QueryUnload() {
    if (!state_.IsBusy) {
        SaveWindowPlacement();
        return true;
    }
    closeRequested_ = true;
    state_.StopRequested = true;
    return false;
}

void frmVacantor::CloseAfterRun() {
    state_.IsBusy = false;
    state_.StopRequested = false;
    SaveWindowPlacement();
    controls_.form.Close();
}
