// The list's own commands: sorting by a column, the context menu and its shortcut.
#include "main_window/frmVacantor.h"

#include "message_box/MessageBox.h"
#include "platform/DesktopShell.h"
#include "platform/FileSystem.h"
#include "platform/ResultList.h"
#include "scan/NaturalOrder.h"

#include <algorithm>
#include <numeric>
#include <string_view>

namespace {

constexpr int NumberColumn = 0;
constexpr int PathColumn = 1;

// Folder by folder, as a file manager's tree shows them: a folder comes before everything
// below its next sibling ("a/b" before "a b/c", where comparing whole texts would put the
// space first), each name in the natural order.
int ComparePaths(std::string_view a, std::string_view b, char separator) {
    for (;;) {
        const std::size_t endA = a.find(separator);
        const std::size_t endB = b.find(separator);
        const std::string_view nameA = a.substr(0, endA);
        const std::string_view nameB = b.substr(0, endB);
        if (nameA != nameB) {
            return CompareNaturally(nameA, nameB);
        }
        if (endA == std::string_view::npos || endB == std::string_view::npos) {
            return endA == endB ? 0 : endA == std::string_view::npos ? -1 : 1;
        }
        a.remove_prefix(endA + 1);
        b.remove_prefix(endB + 1);
    }
}

} // namespace

void frmVacantor::ListView1_ColumnClick(int column) {
    if (column != NumberColumn && column != PathColumn) {
        return;
    }
    ResultList& list = controls_.ListView1;
    const std::size_t rows = list.RowCount();
    std::vector<std::size_t> order;
    if (column == sortColumn_ && sortedRows_ == rows) {
        // The same rows in the same total order: reversed, without comparing again.
        sortAscending_ = !sortAscending_;
        order.reserve(rows);
        for (std::size_t position = rows; position-- > 0;) {
            order.push_back(list.RowAtPosition(position));
        }
    } else {
        sortAscending_ = sortColumn_ == column ? !sortAscending_ : true;
        sortColumn_ = column;
        order = SortedRows(column, sortAscending_);
    }
    sortedRows_ = rows;
    list.SetRowOrder(std::move(order), column, sortAscending_);
}

// Numbers as numbers, paths folder by folder; no two rows compare equal.
std::vector<std::size_t> frmVacantor::SortedRows(int column, bool ascending) const {
    const ResultList& list = controls_.ListView1;
    std::vector<std::string> keys(list.RowCount());
    for (std::size_t row = 0; row < keys.size(); ++row) {
        keys[row] = column == NumberColumn ? list.RowText(row) : list.SubItem1Text(row);
    }
    const char separator = services_.fileSystem.PathSeparator();
    auto compare = [&](std::size_t a, std::size_t b) {
        return column == NumberColumn ? CompareNaturally(keys[a], keys[b])
                                      : ComparePaths(keys[a], keys[b], separator);
    };
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int sign = ascending ? compare(a, b) : compare(b, a);
        return sign < 0 || (sign == 0 && a < b);
    });
    return order;
}

bool frmVacantor::ListView1_KeyDown(int keyCode, int shift) {
    if (keyCode == KeyCodeA && shift == ShiftMaskCtrl) {
        mnuSelectAll_Click();
        return true;
    }
    return false;
}

std::vector<ListMenuItem> frmVacantor::ListView1_MenuItems() {
    const ResultList& list = controls_.ListView1;
    const bool desktop = services_.desktopShell != nullptr;
    return {
        {"&Open containing folder", desktop && list.SelectedItem().has_value(),
         [this] { mnuOpenFolder_Click(); }},
        {"&Copy path", desktop && list.AnySelected(), [this] { mnuCopyPath_Click(); }},
        {"", false, {}},
        // Not while Remove runs: it would widen the run to every row.
        {"Select &All\tCtrl+A", !state_.IsBusy && list.RowCount() > 0,
         [this] { mnuSelectAll_Click(); }},
    };
}

// The selected row's folder, selected in its parent folder. A folder already removed, or
// one the file manager cannot select, leaves the parent folder to open.
void frmVacantor::mnuOpenFolder_Click() {
    ResultList& list = controls_.ListView1;
    const std::optional<std::size_t> row = list.SelectedItem();
    if (!row || services_.desktopShell == nullptr) {
        return;
    }
    DesktopShell& shell = *services_.desktopShell;
    const std::string path = ListedPath(list.SubItem1Text(*row));
    if (!list.IsRemoved(*row) && shell.ShowInFileManager(path)) {
        return;
    }
    const char separator = services_.fileSystem.PathSeparator();
    std::string parent = path.substr(0, path.rfind(separator));
    // The root "/" is held as "", a drive's root as "C:": the folder itself, not the drive's
    // current folder.
    if (parent.empty() || parent.back() == ':') {
        parent += separator;
    }
    if (!shell.OpenFolder(parent)) {
        services_.showMessageBox("Cannot open the folder " + parent, AlarmTitle,
                                 MessageBox::StyleStopIcon, 0);
    }
}

// The full paths of the selected rows, in the order shown, one per line.
void frmVacantor::mnuCopyPath_Click() {
    const ResultList& list = controls_.ListView1;
    if (services_.desktopShell == nullptr) {
        return;
    }
    std::string text;
    for (std::size_t position = 0; position < list.RowCount(); ++position) {
        const std::size_t row = list.RowAtPosition(position);
        if (list.IsSelected(row)) {
            text += (text.empty() ? "" : "\n") + ListedPath(list.SubItem1Text(row));
        }
    }
    if (!text.empty() && !services_.desktopShell->SetClipboardText(text)) {
        services_.showMessageBox("Cannot put the paths on the clipboard", AlarmTitle,
                                 MessageBox::StyleStopIcon, 0);
    }
}

void frmVacantor::mnuSelectAll_Click() {
    if (!state_.IsBusy) {
        controls_.ListView1.SelectAll();
    }
}
