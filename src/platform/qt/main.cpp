#include "platform/qt/ProgramServices.h"
#include "platform/qt/VacantorWindow.h"

#include <QApplication>

// The program reads no command line of its own; Qt's options (-platform...) still work.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VACANTOR_APP_ID));
    ProgramServices services;
    VacantorWindow window(services.Services(), services.SettingsFolder());
    services.SetActiveForm(&window.Window());
    window.Window().show();
    return QApplication::exec();
}
