#include "platform/ResultRows.h"

#include <stdexcept>
#include <utility>

void ResultRows::ClearRows() {
    rows_.clear();
    order_.clear();
    positions_.clear();
}

// A row added to a sorted list is shown last until the next sort.
void ResultRows::AddRow(const std::string& text) {
    rows_.push_back(Row{text, {}, false, {}});
    if (!order_.empty()) {
        order_.push_back(rows_.size() - 1);
        positions_.push_back(rows_.size() - 1);
    }
}

void ResultRows::SetSubItem1Text(std::size_t row, const std::string& text) {
    rows_.at(row).subItem1 = text;
    RowChanged(row);
}

void ResultRows::SetSubItem1ForeColor(std::size_t row, std::uint32_t color) {
    rows_.at(row).subItem1ForeColor = color;
    RowChanged(row);
}

void ResultRows::SetRowOrder(std::vector<std::size_t> order, int sortColumn, bool ascending) {
    std::vector<std::size_t> positions;
    if (!order.empty()) {
        if (order.size() != rows_.size()) {
            throw std::invalid_argument("a row order names every row once");
        }
        constexpr std::size_t unseen = static_cast<std::size_t>(-1);
        positions.assign(rows_.size(), unseen);
        for (std::size_t position = 0; position < order.size(); ++position) {
            if (order[position] >= rows_.size() || positions[order[position]] != unseen) {
                throw std::invalid_argument("a row order names every row once");
            }
            positions[order[position]] = position;
        }
    }
    RowsReordering();
    std::vector<std::size_t> oldOrder = std::exchange(order_, std::move(order));
    positions_ = std::move(positions);
    RowsReordered(oldOrder, sortColumn, ascending);
}
