#include "QtTestApp.h"

#include <QApplication>

void EnsureQtApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "vacantor-test";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: widgets of static test fixtures may outlive main.
    new QApplication(argc, argv);
    // Tests close windows without an event loop to end.
    QApplication::setQuitOnLastWindowClosed(false);
}
