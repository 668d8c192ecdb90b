#pragma once

#include "platform/ResultList.h"

#include <string>
#include <vector>

// An in-memory list whose selection the test sets, as a user would.
class FakeResultList : public ResultList {
  public:
    struct Row {
        std::string text;
        std::string subItem1;
        bool selected = false;
        bool removed = false;
        std::uint32_t subItem1Color = 0;
    };

    void SetFullRowSelect(bool value) override { fullRowSelect = value; }
    void SetMultiSelect(bool value) override { multiSelect = value; }
    void SetView(int value) override { view = value; }
    void ClearColumns() override { columns.clear(); }
    void AddColumn(const std::string& text) override { columns.push_back(text); }

    std::size_t RowCount() const override { return rows.size(); }
    void ClearRows() override {
        rows.clear();
        selectedItem.reset();
    }
    void AddRow(const std::string& text) override { rows.push_back(Row{text, {}}); }
    void SetSubItem1Text(std::size_t row, const std::string& text) override {
        rows.at(row).subItem1 = text;
    }
    std::string SubItem1Text(std::size_t row) const override { return rows.at(row).subItem1; }
    bool IsSelected(std::size_t row) const override { return rows.at(row).selected; }
    bool IsRemoved(std::size_t row) const override { return rows.at(row).removed; }
    void SetRemoved(std::size_t row) override { rows.at(row).removed = true; }
    void SetSubItem1ForeColor(std::size_t row, std::uint32_t color) override {
        rows.at(row).subItem1Color = color;
    }
    std::optional<std::size_t> SelectedItem() const override { return selectedItem; }
    void SetToolTipText(const std::string& text) override { toolTipText = text; }

    // The user's side.
    void Select(std::size_t row) {
        rows.at(row).selected = true;
        selectedItem = row;
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const Row& row : rows) {
            paths.push_back(row.subItem1);
        }
        return paths;
    }

    std::vector<Row> rows;
    std::vector<std::string> columns;
    std::optional<std::size_t> selectedItem;
    std::string toolTipText;
    bool fullRowSelect = false;
    bool multiSelect = false;
    int view = 0;
};
