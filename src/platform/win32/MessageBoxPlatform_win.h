#pragma once

#include "platform/MessageBoxPlatform.h"

#include <memory>

// The message box service on user32. The hook and timer procedures handed over are kept
// and called from CALLBACK trampolines that user32 can call.
class Win32MessageBoxPlatform : public MessageBoxPlatform {
  public:
    static std::unique_ptr<Win32MessageBoxPlatform> Create();

    // The application's active form: its main window (an HWND), or 0 while there is none.
    void SetActiveForm(WindowHandle form) { activeForm_ = form; }

  protected:
    WindowHandle activeForm_ = 0;
};
