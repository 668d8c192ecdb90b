#pragma once

#include "main_window/frmVacantor.h"
#include "platform/win32/window/ListMenu.h"
#include "platform/win32/window/MainWindow.h"

namespace win32 {

// The program's window: the Win32 window (MainWindow) with the window's logic behind it. The window
// forwards every control event to its frmVacantor handler.
class VacantorWindow {
  public:
    explicit VacantorWindow(MainWindowServices services);

    // Creates the window, runs Form_Load, then shows it with `showCommand`.
    bool Create(const MainWindow::CreateArgs& args, int showCommand = SW_SHOWNORMAL);

    MainWindow& Window() { return window_; }
    frmVacantor& Form() { return form_; }

    // Runs the list's context menu; empty: TrackPopupMenuEx.
    TrackMenuFunction trackListMenu;

  private:
    MainWindow window_;
    frmVacantor form_;
};

} // namespace win32
