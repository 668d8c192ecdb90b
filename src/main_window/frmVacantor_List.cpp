// The list's own commands: sorting by a column, the context menu and its shortcut.
#include "main_window/frmVacantor.h"

#include "message_box/MessageBox.h"
#include "platform/DesktopShell.h"
#include "platform/FileSystem.h"
#include "platform/HeldTrash.h"
#include "platform/ResultList.h"
#include "scan/NaturalOrder.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <numeric>
#include <string_view>
#include <unordered_map>

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

// The rows in the order of their numbers' values ("01" beside "1", naturally), texts that
// are no numbers after them.
std::vector<std::size_t> ByNumber(const std::vector<std::string>& texts) {
    constexpr auto notANumber = std::numeric_limits<std::uint64_t>::max();
    std::vector<std::uint64_t> values(texts.size(), notANumber);
    for (std::size_t row = 0; row < texts.size(); ++row) {
        const char* end = texts[row].data() + texts[row].size();
        std::uint64_t value = 0;
        auto [stop, error] = std::from_chars(texts[row].data(), end, value);
        if (error == std::errc() && stop == end && !texts[row].empty() && value != notANumber) {
            values[row] = value;
        }
    }
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (values[a] != values[b]) {
            return values[a] < values[b];
        }
        const int sign = CompareNaturally(texts[a], texts[b]);
        return sign < 0 || (sign == 0 && a < b);
    });
    return order;
}

// The rows in the order of ComparePaths. A large set of rows is grouped by its next folder
// name, so that each name is compared with its siblings' only, not once for every row below
// it; a small one is sorted whole. Paths thousands of folders deep take no deeper stack.
std::vector<std::size_t> ByPath(const std::vector<std::string>& paths, char separator) {
    constexpr std::size_t SmallGroup = 16;
    std::vector<std::size_t> order(paths.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::vector<std::size_t> offsets(paths.size(), 0); // where each row's path goes on
    auto rest = [&](std::size_t row) { return std::string_view(paths[row]).substr(offsets[row]); };
    struct Span {
        std::size_t first;
        std::size_t last;
    };
    std::vector<Span> pending{{0, order.size()}};
    std::vector<std::size_t> placed;
    while (!pending.empty()) {
        const Span span = pending.back();
        pending.pop_back();
        const auto first = order.begin() + static_cast<std::ptrdiff_t>(span.first);
        const auto last = order.begin() + static_cast<std::ptrdiff_t>(span.last);
        if (span.last - span.first <= SmallGroup) {
            std::sort(first, last, [&](std::size_t a, std::size_t b) {
                const int sign = ComparePaths(rest(a), rest(b), separator);
                return sign < 0 || (sign == 0 && a < b);
            });
            continue;
        }
        // Each row's next name, its group, and whether its path ends with that name.
        std::unordered_map<std::string_view, std::size_t> groupOfName;
        std::vector<std::string_view> names;
        std::vector<std::size_t> groups;
        std::vector<bool> ends;
        for (auto row = first; row != last; ++row) {
            const std::string_view path = rest(*row);
            const std::size_t end = path.find(separator);
            const std::string_view name = path.substr(0, end);
            const auto [found, added] = groupOfName.try_emplace(name, names.size());
            if (added) {
                names.push_back(name);
            }
            groups.push_back(found->second);
            ends.push_back(end == std::string_view::npos);
        }
        std::vector<std::size_t> byName(names.size());
        std::iota(byName.begin(), byName.end(), std::size_t{0});
        std::sort(byName.begin(), byName.end(), [&](std::size_t a, std::size_t b) {
            return CompareNaturally(names[a], names[b]) < 0;
        });
        // Each group's place: a path that ends with the name comes before those going on.
        std::vector<std::size_t> start(names.size() + 1, 0);
        for (std::size_t group : groups) {
            ++start[group + 1];
        }
        std::vector<std::size_t> rank(names.size());
        std::size_t next = span.first;
        for (std::size_t at = 0; at < byName.size(); ++at) {
            const std::size_t group = byName[at];
            rank[group] = next;
            next += start[group + 1];
        }
        std::vector<std::size_t> endCount(names.size(), 0);
        for (std::size_t i = 0; i < groups.size(); ++i) {
            endCount[groups[i]] += ends[i] ? 1 : 0;
        }
        std::vector<std::size_t> nextEnded = rank;
        std::vector<std::size_t> nextGoingOn(names.size());
        for (std::size_t group = 0; group < names.size(); ++group) {
            nextGoingOn[group] = rank[group] + endCount[group];
        }
        placed.assign(first, last);
        for (std::size_t i = 0; i < placed.size(); ++i) {
            const std::size_t row = placed[i];
            std::size_t& at = ends[i] ? nextEnded[groups[i]] : nextGoingOn[groups[i]];
            order[at++] = row;
            if (!ends[i]) {
                offsets[row] += names[groups[i]].size() + 1;
            }
        }
        for (std::size_t group = 0; group < names.size(); ++group) {
            const std::size_t goingOn = rank[group] + endCount[group];
            if (nextGoingOn[group] - goingOn > 1) {
                pending.push_back({goingOn, nextGoingOn[group]});
            }
        }
    }
    return order;
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
        keys[row] = column == NumberColumn ? list.RowText(row) : RowPath(row);
    }
    std::vector<std::size_t> order = column == NumberColumn
                                         ? ByNumber(keys)
                                         : ByPath(keys, services_.fileSystem.PathSeparator());
    if (!ascending) {
        std::reverse(order.begin(), order.end());
    }
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
        // Runs as Remove does; the Remove button is its Stop.
        {SystemTrashWording().menuCaption, !state_.IsBusy && list.AnySelected(),
         [this] { mnuMoveToTrash_Click(); }},
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
    const std::string path = ListedPath(RowPath(*row));
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
            if (!text.empty()) {
                text += '\n';
            }
            text += ListedPath(RowPath(row));
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
