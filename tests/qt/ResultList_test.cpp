#include "QtTestApp.h"

#include "platform/qt/ResultListAdapter.h"
#include "platform/qt/ResultRowsModel.h"

#include <QAbstractItemModelTester>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

class QtResultList : public QtFixture {
  protected:
    QtResultList() {
        view.setModel(&model);
        list.SetFullRowSelect(true);
        list.SetMultiSelect(true);
        list.ClearColumns();
        list.AddColumn("No.");
        list.AddColumn("Folder Path");
        list.SetView(3);
    }

    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            list.AddRow(std::to_string(list.RowCount()));
            list.SetSubItem1Text(list.RowCount() - 1, "folder" + std::to_string(i));
        }
    }

    void Select(int row, QItemSelectionModel::SelectionFlags how) {
        view.selectionModel()->setCurrentIndex(model.index(row, 0),
                                               how | QItemSelectionModel::Rows);
    }

    ResultRowsModel model;
    QTreeView view;
    ResultListAdapter list{view, model};
};

TEST_F(QtResultList, ModelKeepsItsInvariantsThroughAddsFlushesMarksAndClears) {
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    AddRows(5);
    model.FlushPendingRows();
    list.SetRemoved(2);
    list.SetSubItem1ForeColor(2, RemovedRowColor);
    AddRows(3);
    model.FlushPendingRows();
    list.ClearRows();
    AddRows(2);
    model.FlushPendingRows();
    list.ClearColumns();
    list.AddColumn("No.");
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 1);
}

TEST_F(QtResultList, RowsReachTheViewInOneBatchSoonAfterTheyAreAdded) {
    int insertions = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    AddRows(1000);
    EXPECT_EQ(list.RowCount(), 1000u);
    EXPECT_EQ(list.SubItem1Text(999), "folder999");
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == 1000; }, 5000));
    EXPECT_EQ(insertions, 1);
}

TEST_F(QtResultList, PathBytesThatAreNotUtf8AreKeptExactly) {
    const std::string latin1Name("caf\xe9", 4);
    AddRows(1);
    list.SetSubItem1Text(0, latin1Name);
    model.FlushPendingRows();
    EXPECT_EQ(list.SubItem1Text(0), latin1Name);
    EXPECT_FALSE(model.index(0, 1).data().toString().isEmpty());
}

TEST_F(QtResultList, SelectionIsReadFromTheView) {
    AddRows(4);
    model.FlushPendingRows();
    EXPECT_FALSE(list.SelectedItem().has_value());

    Select(1, QItemSelectionModel::ClearAndSelect);
    Select(3, QItemSelectionModel::Select);
    EXPECT_FALSE(list.IsSelected(0));
    EXPECT_TRUE(list.IsSelected(1));
    EXPECT_FALSE(list.IsSelected(2));
    EXPECT_TRUE(list.IsSelected(3));
    EXPECT_EQ(list.SelectedItem(), std::optional<std::size_t>(3));

    // The focused row deselected with Ctrl: no SelectedItem although row 1 stays selected.
    Select(3, QItemSelectionModel::Deselect);
    EXPECT_TRUE(list.IsSelected(1));
    EXPECT_FALSE(list.SelectedItem().has_value());
}

} // namespace
