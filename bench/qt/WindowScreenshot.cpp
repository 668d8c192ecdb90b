// Shows the real window, runs a Find on the folder given, closes the result message and
// saves a picture of the window: qt_window_screenshot ROOT SETTINGS_FOLDER OUTPUT.png
#include "qt/ModalCloser.h"

#include "platform/qt/ProgramServices.h"
#include "platform/qt/VacantorWindow.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeView>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: qt_window_screenshot ROOT SETTINGS_FOLDER OUTPUT.png\n");
        return 2;
    }
    ProgramServices services;
    VacantorWindow window(services.Services(), std::string(argv[2]));
    services.SetActiveForm(&window.Window());
    window.Window().show();
    window.Form().SetRootFolder(argv[1]);

    ModalCloser closer;
    window.Window().cmdFind().click();
    window.Rows().FlushPendingRows();

    // One row selected, as after a click on it.
    QTreeView& list = window.Window().ListView1();
    if (window.Rows().rowCount() > 1) {
        list.selectionModel()->setCurrentIndex(window.Rows().index(1, 0),
                                               QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    }
    list.setFocus();
    QCoreApplication::processEvents();

    if (!window.Window().grab().save(QString::fromLocal8Bit(argv[3]))) {
        std::fprintf(stderr, "qt_window_screenshot: cannot write %s\n", argv[3]);
        return 1;
    }
    std::printf("%s: %zu rows, message \"%s\"\n", argv[3], window.Rows().RowCount(),
                closer.texts.empty() ? "" : closer.texts.front().toUtf8().constData());
    return 0;
}
