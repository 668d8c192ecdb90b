#pragma once

#include "ModalCloser.h"
#include "QtTestApp.h"

#include "platform/qt/QtMainWindow.h"
#include "platform/qt/RootFolderEdit.h"
#include "platform/qt/SystemServices.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <memory>

// The real window with the real services, its settings file in a folder of its own, and
// every message box answered by the test.
class QtMainWindowTest : public QtFixture {
  protected:
    // A root holding a file, with `count` empty folders beside a folder that holds a file.
    void MakeTree(int count) {
        WriteFile(tree.Path() / "keep.txt", "x");
        for (int i = 0; i < count; ++i) {
            std::filesystem::create_directories(tree.Path() / ("empty" + std::to_string(i)) /
                                                "inner");
        }
        WriteFile(tree.Path() / "full" / "inner" / "keep.txt", "x");
    }

    std::unique_ptr<QtMainWindow> Open() {
        auto window = std::make_unique<QtMainWindow>(services.Services(), appFolder.Text());
        services.SetMainWindow(&window->Window());
        window->Window().show();
        return window;
    }

    // The window after a Find on MakeTree(count), with its rows shown.
    std::unique_ptr<QtMainWindow> OpenAfterFind(int count) {
        MakeTree(count);
        auto window = Open();
        window->Form().SetRootFolder(tree.Text());
        Click(window->Window().cmdFind());
        WaitForRows(*window);
        return window;
    }

    // A click as the user makes it; returns when the handler (and its message) is done.
    static void Click(QWidget& widget) { QTest::mouseClick(&widget, Qt::LeftButton); }

    static void DropOn(QtMainWindow& window, const QMimeData& data) {
        RootFolderEdit& edit = window.Window().txtFolder();
        const QPoint where(5, 5);
        QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&edit, &enter);
        QDropEvent drop(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&edit, &drop);
    }

    // The list shows its rows in batches, a moment after they were added.
    static void WaitForRows(QtMainWindow& window) {
        ResultRowsModel& rows = window.Rows();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return static_cast<std::size_t>(rows.rowCount()) == rows.RowCount(); }, 5000));
    }

    static QStringList PathCells(QtMainWindow& window) {
        WaitForRows(window);
        QStringList paths;
        ResultRowsModel& rows = window.Rows();
        for (int row = 0; row < rows.rowCount(); ++row) {
            paths.append(rows.index(row, 1).data().toString());
        }
        paths.sort();
        return paths;
    }

    TempFolder appFolder;
    TempFolder tree;
    SystemServices services;
    ModalCloser closer; // presses OK on every message box and records it
};
