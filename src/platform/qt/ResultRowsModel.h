#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The rows of the result list. Each row keeps the exact bytes of its texts (a Linux path
// need not be valid UTF-8) and shows them decoded as file names.
//
// Rows appended with AppendRow are held back from the views until FlushPendingRows, so that
// a scan adding tens of thousands of rows inserts them in a few large batches: every
// insertion makes a view lay out all its rows again. A timer started by the first pending
// row flushes them, so the views lag behind by FlushDelayMilliseconds at most, whenever
// the event loop runs.
class ResultRowsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    struct Row {
        std::string text;
        std::string subItem1;
        bool removed = false;
        std::uint32_t subItem1Color = 0;
        bool hasSubItem1Color = false;
    };

    static constexpr int FlushDelayMilliseconds = 100;

    explicit ResultRowsModel(QObject* parent = nullptr);

    void ClearColumns();
    void AddColumn(const std::string& text);

    // Every row, including those not yet shown.
    std::size_t RowCount() const { return rows_.size(); }
    const Row& RowAt(std::size_t row) const { return rows_.at(row); }
    void AppendRow(const std::string& text);
    void ClearRows();
    void SetSubItem1Text(std::size_t row, const std::string& text);
    void SetRemoved(std::size_t row);
    void SetSubItem1ForeColor(std::size_t row, std::uint32_t color);

    // Shows the rows appended since the last flush.
    void FlushPendingRows();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    void CellChanged(std::size_t row, int column);

    QStringList columns_;
    std::vector<Row> rows_;
    std::size_t shownRows_ = 0;
    QTimer flushTimer_;
};
