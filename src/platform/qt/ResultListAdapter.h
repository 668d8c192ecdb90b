#pragma once

#include "platform/ResultRows.h"
#include "platform/qt/ResultRowsModel.h"

class QTreeView;

// ListView1 as the window's logic sees it: the rows live here and reach the view through
// the model, the selection and the tooltip live in the view.
class ResultListAdapter final : public ResultRows {
  public:
    // Shows the model in `view` until the adapter goes.
    explicit ResultListAdapter(QTreeView& view);
    ~ResultListAdapter() override;
    ResultRowsModel& Model() { return model_; }

    void SetFullRowSelect(bool fullRowSelect) override;
    void SetMultiSelect(bool multiSelect) override;
    void SetView(int view) override;
    void ClearColumns() override;
    void AddColumn(const std::string& text) override;

    void ClearRows() override;
    void AddRow(const std::string& text) override;
    bool IsSelected(std::size_t row) const override;
    bool AnySelected() const override;
    void SelectAll() override;
    std::optional<std::size_t> SelectedItem() const override;
    void SetToolTipText(const std::string& text) override;

  private:
    void RowChanged(std::size_t row) override;
    void RowsReordering() override;
    void RowsReordered(const std::vector<std::size_t>& oldOrder, int sortColumn,
                       bool ascending) override;

    QTreeView& view_;
    ResultRowsModel model_{*this};
};
