#include "platform/qt/QtMainWindow.h"
#include "platform/qt/SystemServices.h"

#include <QApplication>

// The program reads no command line of its own; Qt's options (-platform...) still work.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VACANTOR_APP_ID));
    SystemServices services;
    QtMainWindow window(services.Services(), services.SettingsFolder());
    services.SetMainWindow(&window.Window());
    window.Window().show();
    return QApplication::exec();
}
