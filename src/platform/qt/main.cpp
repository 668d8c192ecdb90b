#include "main_window/StartupText.h"
#include "platform/qt/ProgramServices.h"
#include "platform/qt/VacantorWindow.h"

#include <QApplication>

#include <cstdio>

// --help and --version print and exit, before Qt needs a display; Qt's own options
// (-platform...) still work.
int main(int argc, char* argv[]) {
    if (std::optional<std::string> text =
            StartupText(std::vector<std::string>(argv + 1, argv + argc))) {
        std::fputs(text->c_str(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VACANTOR_APP_ID));
    ProgramServices services;
    VacantorWindow window(services.Services(), services.SettingsFolder());
    services.SetActiveForm(&window.Window());
    window.Window().show();
    return QApplication::exec();
}
