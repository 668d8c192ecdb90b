// The Remove command: deletes the folders of the selected rows and marks those rows.
#include "main_window/frmVacantor.h"

#include "message_box/MessageBox.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/ResultList.h"

namespace {

const std::string LineBreak = "\r\n";
constexpr std::size_t MostFailuresListed = 20;

} // namespace

void frmVacantor::cmdRemove_Click() {
    if (state_.IsBusy) {
        state_.StopRequested = true;
        return;
    }
    state_.IsBusy = true;
    EnableControls(false);
    controls_.cmdRemove.SetEnabled(true);
    controls_.form.SetMousePointer(PointerArrowHourglass);
    controls_.cmdRemove.SetCaption("Stop");

    removalFailures_.clear();
    std::int32_t count = RemoveFolders();

    controls_.cmdRemove.SetCaption("Remove");
    controls_.form.SetMousePointer(PointerDefault);
    if (closeRequested_) {
        EnableControls(true);
        CloseAfterRun();
        return;
    }
    services_.showMessageBox(std::to_string(count) + " folders are removed.", "Scryve",
                             MessageBox::StyleInformationIcon, 0);
    ReportRemovalFailures();
    EnableControls(true);
    state_.IsBusy = false;
    if (closeRequested_) {
        CloseAfterRun();
    }
}

// A row whose folder cannot be removed safely is left unmarked and reported after the run;
// the run goes on with the next row, so the rows already removed stay marked.
std::int32_t frmVacantor::RemoveFolders() {
    std::int32_t count = 0;
    ResultList& list = controls_.ListView1;
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
        if (list.IsSelected(row) && !list.IsRemoved(row)) {
            std::string relativePath = list.SubItem1Text(row);
            RemovalResult result = services_.folderRemoval.DeleteFolder(listedRoot_, relativePath);
            if (result.outcome == RemovalOutcome::Removed) {
                ++count;
                list.SetRemoved(row);
                list.SetSubItem1ForeColor(row, RemovedRowColor);
            } else {
                removalFailures_.push_back(
                    {services_.fileSystem.BuildPath(listedRoot_, relativePath), result.reason});
            }
        }
        controls_.form.DoEvents();
        if (closeRequested_) {
            break; // closing the window stops after the current row, without asking
        }
        if (state_.StopRequested) {
            state_.StopRequested = false;
            if (services_.showMessageBox("Do you stop removing folders?", "Scryve",
                                         MessageBox::StyleYesNo + MessageBox::StyleQuestionIcon,
                                         0) == MessageBox::ResultYes) {
                break;
            }
        }
    }
    return count;
}

void frmVacantor::ReportRemovalFailures() {
    if (removalFailures_.empty()) {
        return;
    }
    std::string text = std::to_string(removalFailures_.size()) + " folders are not removed:";
    for (std::size_t i = 0; i < removalFailures_.size() && i < MostFailuresListed; ++i) {
        text += LineBreak + removalFailures_[i].path + ": " + removalFailures_[i].reason;
    }
    if (removalFailures_.size() > MostFailuresListed) {
        text += LineBreak + "and " + std::to_string(removalFailures_.size() - MostFailuresListed) +
                " more";
    }
    services_.showMessageBox(text, "Scryve Alarm", MessageBox::StyleStopIcon, 0);
    removalFailures_.clear();
}
