#pragma once

#include "main_window/frmVacantor.h"
#include "platform/qt/ClickFilter.h"
#include "platform/qt/ControlAdapters.h"
#include "platform/qt/ListMenu.h"
#include "platform/qt/MainWindow.h"
#include "platform/qt/ResultListAdapter.h"
#include "platform/qt/ResultRowsModel.h"

#include <string>

// The program's window: the widgets of MainWindow with the window's logic behind them,
// through the control adapters, and every control event forwarded to its frmVacantor
// handler. Form_Load runs on construction; show() is the caller's.
class VacantorWindow {
  public:
    // `settingsFolder`: where the settings file lives (ProgramServices::SettingsFolder in the
    // program; tests keep theirs apart).
    VacantorWindow(MainWindowServices services, std::string settingsFolder);

    MainWindow& Window() { return window_; }
    ResultRowsModel& Rows() { return listView1_.Model(); }
    frmVacantor& Form() { return form_; }

  private:
    void Connect();

    MainWindow window_;
    ClickFilter listClicks_;
    KeyDownFilter listKeys_;
    QtFormRuntime runtime_;
    TextBoxAdapter txtFolder_;
    ButtonAdapter cmdFind_;
    ButtonAdapter cmdRemove_;
    CheckBoxAdapter chkReadOnly_;
    ResultListAdapter listView1_;
    CheckBoxAdapter chkIgnoreJunk_;
    frmVacantor form_;
};
