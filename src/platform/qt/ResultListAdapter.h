#pragma once

#include "platform/ResultList.h"

class QTreeView;
class ResultRowsModel;

// ListView1 as the window's logic sees it: the rows live in the model, the selection and
// the tooltip in the view.
class ResultListAdapter final : public ResultList {
  public:
    ResultListAdapter(QTreeView& view, ResultRowsModel& model);

    void SetFullRowSelect(bool fullRowSelect) override;
    void SetMultiSelect(bool multiSelect) override;
    void SetView(int view) override;
    void ClearColumns() override;
    void AddColumn(const std::string& text) override;

    std::size_t RowCount() const override;
    void ClearRows() override;
    void AddRow(const std::string& text) override;
    void SetSubItem1Text(std::size_t row, const std::string& text) override;
    std::string SubItem1Text(std::size_t row) const override;

    bool IsSelected(std::size_t row) const override;
    bool IsRemoved(std::size_t row) const override;
    void SetRemoved(std::size_t row) override;
    void SetSubItem1ForeColor(std::size_t row, std::uint32_t color) override;

    std::optional<std::size_t> SelectedItem() const override;
    void SetToolTipText(const std::string& text) override;

  private:
    QTreeView& view_;
    ResultRowsModel& model_;
};
