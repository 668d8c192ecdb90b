#include "platform/qt/ResultRowsModel.h"

#include "platform/qt/SystemColors.h"

#include <QFile>

ResultRowsModel::ResultRowsModel(const ResultRows& rows) : rows_(rows) {
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(FlushDelayMilliseconds);
    connect(&flushTimer_, &QTimer::timeout, this, &ResultRowsModel::FlushPendingRows);
}

void ResultRowsModel::ClearColumns() {
    if (columns_.isEmpty()) {
        return;
    }
    beginRemoveColumns(QModelIndex(), 0, static_cast<int>(columns_.size()) - 1);
    columns_.clear();
    endRemoveColumns();
}

void ResultRowsModel::AddColumn(const std::string& text) {
    const int column = static_cast<int>(columns_.size());
    beginInsertColumns(QModelIndex(), column, column);
    columns_.append(QString::fromStdString(text));
    endInsertColumns();
}

void ResultRowsModel::RowsAppended() {
    if (!flushTimer_.isActive()) {
        flushTimer_.start();
    }
}

void ResultRowsModel::FlushPendingRows() {
    flushTimer_.stop();
    if (shownRows_ == rows_.RowCount()) {
        return;
    }
    beginInsertRows(QModelIndex(), static_cast<int>(shownRows_),
                    static_cast<int>(rows_.RowCount()) - 1);
    shownRows_ = rows_.RowCount();
    endInsertRows();
}

void ResultRowsModel::BeginClearRows() {
    beginResetModel();
    flushTimer_.stop();
}

void ResultRowsModel::EndClearRows() {
    shownRows_ = 0;
    endResetModel();
}

void ResultRowsModel::PathChanged(std::size_t row) {
    constexpr int PathColumn = 1;
    const std::size_t position = rows_.PositionOfRow(row);
    if (position < shownRows_ && PathColumn < columns_.size()) {
        const QModelIndex cell = index(static_cast<int>(position), PathColumn);
        emit dataChanged(cell, cell);
    }
}

// Every row is shown first, so that the views' persistent indexes (their selection and
// focus among them) can all be moved to the rows' new places.
void ResultRowsModel::BeginReorder() {
    FlushPendingRows();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultRowsModel::EndReorder(const std::vector<std::size_t>& oldOrder) {
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        const auto position = static_cast<std::size_t>(old.row());
        const std::size_t row = oldOrder.empty() ? position : oldOrder[position];
        after.append(index(static_cast<int>(rows_.PositionOfRow(row)), old.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ResultRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shownRows_);
}

int ResultRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ResultRowsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const ResultRows::Row& row =
        rows_.Rows()[rows_.RowAtPosition(static_cast<std::size_t>(index.row()))];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() > 1) {
            return QString();
        }
        return QFile::decodeName(
            QByteArray::fromStdString(index.column() == 0 ? row.text : row.subItem1));
    case Qt::ForegroundRole:
        if (index.column() == 1 && row.subItem1ForeColor) {
            return ColorFromControlEncoding(*row.subItem1ForeColor);
        }
        return {};
    default:
        return {};
    }
}

QVariant ResultRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columns_.size()) {
        return columns_.at(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ResultRowsModel::flags(const QModelIndex& index) const {
    // Selectable, never editable or checkable: the user cannot change a row's mark.
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
