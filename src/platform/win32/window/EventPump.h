#pragma once

#include <windows.h>

namespace win32 {

// Runs the thread's pending window messages, dialog keys (Tab, Enter) included, for the
// long commands' DoEvents. Pumping after each of hundreds of thousands of folders would
// cost more than the scan, so a call within Interval of the last pump returns at once; a
// Stop click then still waits no more than a few milliseconds.
class EventPump {
  public:
    static constexpr ULONGLONG IntervalMilliseconds = 10;

    explicit EventPump(HWND dialogWindow) : dialogWindow_(dialogWindow) {}

    void DoEvents();
    // Runs what is pending now, whatever the time since the last pump.
    void RunPending();
    // Dispatches one message as the program's main loop does.
    static void Dispatch(HWND dialogWindow, MSG& message);

  private:
    HWND dialogWindow_;
    ULONGLONG lastPump_ = 0;
};

} // namespace win32
