#pragma once

#include "main_window/frmVacantor.h"
#include "platform/qt/ClickFilter.h"
#include "platform/qt/ControlAdapters.h"
#include "platform/qt/ResultListAdapter.h"
#include "platform/qt/ResultRowsModel.h"
#include "platform/qt/VacantorWindow.h"

#include <string>

// The Qt main window: the widgets, their adapters and the window's logic, with every
// control event forwarded to its handler. Form_Load runs on construction; show() is the
// caller's.
class QtMainWindow {
  public:
    // `settingsFolder`: where the settings file lives (SystemServices::SettingsFolder in the
    // program; tests keep theirs apart).
    QtMainWindow(MainWindowServices services, std::string settingsFolder);
    QtMainWindow(const QtMainWindow&) = delete;
    QtMainWindow& operator=(const QtMainWindow&) = delete;

    VacantorWindow& Window() { return window_; }
    ResultRowsModel& Rows() { return model_; }
    frmVacantor& Form() { return form_; }

  private:
    void Connect();

    ResultRowsModel model_; // outlives the view in window_
    VacantorWindow window_;
    ClickFilter listClicks_;
    QtFormRuntime runtime_;
    TextBoxAdapter txtFolder_;
    ButtonAdapter cmdFind_;
    ButtonAdapter cmdRemove_;
    CheckBoxAdapter chkReadOnly_;
    ResultListAdapter listView1_;
    frmVacantor form_;
};
