#pragma once

#include "platform/ResultRows.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTimer>

#include <cstddef>
#include <string>
#include <vector>

// The result list's rows as a Qt model, in the order the list shows them. The rows live in
// the list's ResultRows, which tells the model of each change. Each row keeps the exact bytes of
// its texts (a Linux path need not be valid UTF-8) and shows them decoded as file names.
//
// Rows appended are held back from the views until FlushPendingRows, so that a scan adding
// tens of thousands of rows inserts them in a few large batches: every insertion makes a
// view lay out all its rows again. A timer started by the first pending row flushes them,
// so the views lag behind by FlushDelayMilliseconds at most, whenever the event loop runs.
class ResultRowsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int FlushDelayMilliseconds = 100;

    explicit ResultRowsModel(const ResultRows& rows);

    void ClearColumns();
    void AddColumn(const std::string& text);

    // Every row, including those not yet shown.
    std::size_t RowCount() const { return rows_.RowCount(); }
    // The list's changes: rows appended at the end, all rows cleared (between the two
    // calls), a row's path or colour changed.
    void RowsAppended();
    void BeginClearRows();
    void EndClearRows();
    void PathChanged(std::size_t row);
    // Around a change of the rows' order: the views keep their selection and focus on the
    // same rows.
    void BeginReorder();
    void EndReorder(const std::vector<std::size_t>& oldOrder);

    // Shows the rows appended since the last flush.
    void FlushPendingRows();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    QStringList columns_;
    const ResultRows& rows_;
    std::size_t shownRows_ = 0;
    QTimer flushTimer_;
};
