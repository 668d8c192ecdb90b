#include "platform/qt/ResultListAdapter.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>

namespace {
constexpr int ReportView = 3;
}

ResultListAdapter::ResultListAdapter(QTreeView& view) : view_(view) {
    view_.setModel(&model_);
}

ResultListAdapter::~ResultListAdapter() {
    view_.setModel(nullptr);
}

void ResultListAdapter::SetFullRowSelect(bool fullRowSelect) {
    view_.setSelectionBehavior(fullRowSelect ? QAbstractItemView::SelectRows
                                             : QAbstractItemView::SelectItems);
}

void ResultListAdapter::SetMultiSelect(bool multiSelect) {
    view_.setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection
                                       : QAbstractItemView::SingleSelection);
}

// The Qt list is always a table; only the report view shows its column headers.
void ResultListAdapter::SetView(int view) {
    view_.header()->setVisible(view == ReportView);
}

void ResultListAdapter::ClearColumns() {
    model_.ClearColumns();
}

void ResultListAdapter::AddColumn(const std::string& text) {
    model_.AddColumn(text);
}

void ResultListAdapter::ClearRows() {
    model_.BeginClearRows();
    ResultRows::ClearRows();
    model_.EndClearRows();
    view_.header()->setSortIndicatorShown(false);
}

void ResultListAdapter::AddRow(const std::string& text) {
    ResultRows::AddRow(text);
    model_.RowsAppended();
}

void ResultListAdapter::RowChanged(std::size_t row) {
    model_.PathChanged(row);
}

void ResultListAdapter::RowsReordering() {
    model_.BeginReorder();
}

void ResultListAdapter::RowsReordered(const std::vector<std::size_t>& oldOrder, int sortColumn,
                                      bool ascending) {
    model_.EndReorder(oldOrder);
    QHeaderView& header = *view_.header();
    header.setSortIndicatorShown(sortColumn >= 0);
    header.setSortIndicator(sortColumn, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// A row not yet shown cannot have been selected.
bool ResultListAdapter::IsSelected(std::size_t row) const {
    const std::size_t position = PositionOfRow(row);
    if (position >= static_cast<std::size_t>(model_.rowCount())) {
        return false;
    }
    return view_.selectionModel()->isRowSelected(static_cast<int>(position), QModelIndex());
}

bool ResultListAdapter::AnySelected() const {
    return view_.selectionModel()->hasSelection();
}

// The rows not yet shown too.
void ResultListAdapter::SelectAll() {
    model_.FlushPendingRows();
    view_.selectAll();
}

// The row with the focus when it is selected, as the list view's SelectedItem.
std::optional<std::size_t> ResultListAdapter::SelectedItem() const {
    const QModelIndex current = view_.selectionModel()->currentIndex();
    if (!current.isValid()) {
        return std::nullopt;
    }
    const std::size_t row = RowAtPosition(static_cast<std::size_t>(current.row()));
    if (!IsSelected(row)) {
        return std::nullopt;
    }
    return row;
}

// The view's item tooltips are not used, so the viewport shows this text everywhere.
void ResultListAdapter::SetToolTipText(const std::string& text) {
    const QString tip = QString::fromStdString(text);
    view_.setToolTip(tip);
    view_.viewport()->setToolTip(tip);
}
