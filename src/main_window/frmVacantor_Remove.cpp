// The Remove command: deletes the folders of the selected rows and marks those rows; the
// Move to Trash command does the same, but moves the folders to the trash.
#include "main_window/frmVacantor.h"

#include "message_box/MessageBox.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/HeldTrash.h"
#include "platform/ResultList.h"
#include "removal/ScannedRootRemoval.h"

namespace {

const std::string LineBreak = "\r\n";
constexpr std::size_t MostFailuresListed = 20;

// What became of a folder that went: the words of the messages after a run.
std::string Done(bool toTrash) {
    return toTrash ? std::string("moved to ") + SystemTrashWording().destination : "removed";
}

} // namespace

void frmVacantor::cmdRemove_Click() {
    RunRemoval(false);
}

void frmVacantor::mnuMoveToTrash_Click() {
    RunRemoval(true);
}

// Either command runs with the Remove button as its Stop button.
void frmVacantor::RunRemoval(bool toTrash) {
    if (state_.IsBusy) {
        state_.StopRequested = true;
        return;
    }
    state_.IsBusy = true;
    EnableControls(false);
    controls_.cmdRemove.SetEnabled(true);
    controls_.form.SetMousePointer(PointerArrowHourglass);
    controls_.cmdRemove.SetCaption("Stop");

    std::int32_t count = RemoveFolders(toTrash);

    controls_.cmdRemove.SetCaption("Remove");
    controls_.form.SetMousePointer(PointerDefault);
    if (closeRequested_) {
        EnableControls(true);
        CloseAfterRun();
        return;
    }
    services_.showMessageBox(std::to_string(count) + " folders are " + Done(toTrash) + ".",
                             ResultTitle, MessageBox::StyleInformationIcon, 0);
    ReportRemovalFailures(toTrash);
    EnableControls(true);
    state_.IsBusy = false;
    if (closeRequested_) {
        CloseAfterRun();
    }
}

// A row whose folder cannot be removed safely is left unmarked and reported after the run;
// the run goes on with the next row, so the rows already removed stay marked. All rows are
// reached from the root folder of the scan that listed them, held since that scan.
std::int32_t frmVacantor::RemoveFolders(bool toTrash) {
    std::int32_t count = 0;
    removalFailures_.clear();
    rowsNotRemovedWithTheRoot_ = 0;
    ResultList& list = controls_.ListView1;
    ScannedRootRemoval removal(services_.folderRemoval, listedRootHold_, listedRules_.get());
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
        if (list.IsSelected(row) && !list.IsRemoved(row)) {
            std::string relativePath = RowPath(row);
            if (!removal.HoldsScannedRoot()) {
                ++rowsNotRemovedWithTheRoot_;
            } else if (RemovalResult result = toTrash ? removal.TrashFolder(relativePath)
                                                      : removal.DeleteFolder(relativePath);
                       result.outcome == RemovalOutcome::Removed) {
                ++count;
                list.SetRemoved(row);
                list.SetSubItem1ForeColor(row, RemovedRowColor);
            } else {
                removalFailures_.push_back({ListedPath(relativePath), result.reason});
            }
        }
        controls_.form.DoEvents();
        if (closeRequested_) {
            break; // closing the window stops after the current row, without asking
        }
        if (state_.StopRequested) {
            state_.StopRequested = false;
            const std::string question = toTrash ? std::string("Do you stop moving folders to ") +
                                                       SystemTrashWording().destination + "?"
                                                 : "Do you stop removing folders?";
            if (services_.showMessageBox(question, ResultTitle,
                                         MessageBox::StyleYesNo + MessageBox::StyleQuestionIcon,
                                         0) == MessageBox::ResultYes) {
                break;
            }
        }
    }
    rootFailure_ = removal.RootFailure();
    return count;
}

// A row's full path as the scan built it: the root, one separator, the row's path. The
// root "/" is held as "", so BuildPath, which adds no separator to "", would lose it.
std::string frmVacantor::ListedPath(const std::string& relativePath) const {
    return listedRoot_ + services_.fileSystem.PathSeparator() + relativePath;
}

// One line per row that failed, after one line for the root folder when the run could not
// use it at all; at most MostFailuresListed lines.
void frmVacantor::ReportRemovalFailures(bool toTrash) {
    std::vector<RemovalFailure> lines;
    if (!rootFailure_.empty()) {
        lines.push_back({listedRoot_.empty() ? std::string(1, services_.fileSystem.PathSeparator())
                                             : listedRoot_,
                         rootFailure_});
    }
    lines.insert(lines.end(), removalFailures_.begin(), removalFailures_.end());
    const std::size_t notRemoved = removalFailures_.size() + rowsNotRemovedWithTheRoot_;
    if (notRemoved == 0) {
        return;
    }
    std::string text = std::to_string(notRemoved) + " folders are not " + Done(toTrash) + ":";
    for (std::size_t i = 0; i < lines.size() && i < MostFailuresListed; ++i) {
        text += LineBreak + lines[i].path + ": " + lines[i].reason;
    }
    if (lines.size() > MostFailuresListed) {
        text += LineBreak + "and " + std::to_string(lines.size() - MostFailuresListed) + " more";
    }
    services_.showMessageBox(text, AlarmTitle, MessageBox::StyleStopIcon, 0);
}
