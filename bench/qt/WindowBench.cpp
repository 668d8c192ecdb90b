// The real window, offscreen: a Find from the click on Find to the result message, the
// list's answers on its rows (a sort, its reversal, Ctrl+A, a sort moving a scattered
// selection, a scroll, each until the list is drawn again), and the time a Stop click
// waits before the running Find ends.
//   vacantor-qt-bench TREE [RUNS]
#include "qt/ModalCloser.h"

#include "platform/qt/ProgramServices.h"
#include "platform/qt/VacantorWindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QTreeView>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// A left click on the button, posted from another thread as the window system would
// deliver it: it waits in the queue until the event pump runs.
void PostClick(QPushButton* button) {
    const QPointF centre = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(centre);
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

// Runs `action` and draws the list again, as the user waits for it; the worst of three, on
// the clock and in processor time (which a busy machine does not inflate).
struct Times {
    double wall = 0;
    double processor = 0;
};

template <typename Action>
Times WorstOfThree(QTreeView& list, Action action) {
    Times worst;
    for (int run = 0; run < 3; ++run) {
        const Clock::time_point start = Clock::now();
        const std::clock_t processorStart = std::clock();
        action();
        QCoreApplication::processEvents();
        list.viewport()->repaint();
        worst.wall = std::max(worst.wall, Milliseconds(Clock::now() - start));
        worst.processor = std::max(worst.processor,
                                   1000.0 * double(std::clock() - processorStart) / CLOCKS_PER_SEC);
    }
    return worst;
}

void ListTimes(VacantorWindow& window) {
    QTreeView& list = window.Window().ListView1();
    QHeaderView& header = *list.header();
    const std::size_t rows = window.Rows().RowCount();
    auto report = [rows](const char* what, Times times) {
        std::printf("qt-window list, %zu rows: %s in %.0f ms (processor %.0f ms)\n", rows, what,
                    times.wall, times.processor);
    };
    // Alternate columns, so that each click sorts anew rather than reversing.
    int column = 0;
    report("sort by a column", WorstOfThree(list, [&] {
               column = 1 - column;
               emit header.sectionClicked(column);
           }));
    report("sort reversed", WorstOfThree(list, [&] { emit header.sectionClicked(column); }));
    report("Ctrl+A", WorstOfThree(list, [&] {
               list.clearSelection();
               QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
               QCoreApplication::sendEvent(&list, &press);
           }));
    list.clearSelection();
    QItemSelection everyOther;
    for (int row = 0; row < window.Rows().rowCount(); row += 2) {
        everyOther.select(window.Rows().index(row, 0), window.Rows().index(row, 1));
    }
    list.selectionModel()->select(everyOther, QItemSelectionModel::Select);
    report("sort with every other row selected", WorstOfThree(list, [&] {
               column = 1 - column;
               emit header.sectionClicked(column);
           }));
    report("scroll to the end and back", WorstOfThree(list, [&] {
               list.scrollToBottom();
               list.viewport()->repaint();
               list.scrollToTop();
           }));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: vacantor-qt-bench TREE [RUNS]\n");
        return 2;
    }
    const std::string tree = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    QTemporaryDir settingsFolder;
    ProgramServices services;
    VacantorWindow window(services.Services(), settingsFolder.path().toStdString());
    services.SetActiveForm(&window.Window());
    window.Window().show();
    window.Form().SetRootFolder(tree);

    ModalCloser closer;
    Clock::time_point messageShown;
    closer.onShown = [&] { messageShown = Clock::now(); };
    QPushButton& find = window.Window().cmdFind();

    std::vector<double> findTimes;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        find.click();
        findTimes.push_back(Milliseconds(messageShown - start));
        std::printf("qt-window find: %.0f ms, %zu rows (%s)\n", findTimes.back(),
                    window.Rows().RowCount(), closer.texts.back().toUtf8().constData());
    }
    std::sort(findTimes.begin(), findTimes.end());
    const double median = findTimes[findTimes.size() / 2];
    std::printf("qt-window find median: %.0f ms\n", median);
    ListTimes(window);

    // Stop: clicked from outside a third of the way into a Find.
    std::vector<double> stopTimes;
    for (int run = 0; run < runs; ++run) {
        Clock::time_point clicked;
        std::thread user([&] {
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(median / 3));
            clicked = Clock::now();
            PostClick(&find);
        });
        find.click();
        user.join();
        stopTimes.push_back(Milliseconds(messageShown - clicked));
        std::printf("qt-window stop answered in %.1f ms (%zu rows so far)\n", stopTimes.back(),
                    window.Rows().RowCount());
    }
    std::printf("qt-window stop worst: %.1f ms\n",
                *std::max_element(stopTimes.begin(), stopTimes.end()));
    return 0;
}
