#pragma once

#include <windows.h>

namespace win32 {

// Runs the thread's pending window messages, dialog keys (Tab, Enter) included, for the
// long commands' DoEvents. How often to pump is the commands' decision.
class EventPump {
  public:
    explicit EventPump(HWND dialogWindow) : dialogWindow_(dialogWindow) {}

    // Runs what is pending now.
    void RunPending();
    // Dispatches one message as the program's main loop does.
    static void Dispatch(HWND dialogWindow, MSG& message);

  private:
    HWND dialogWindow_;
};

} // namespace win32
