#include "cli/Interruption.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace {

std::atomic<int> caughtSignal{0};

// The console runs this on a thread of its own. Closing the console window, logging off
// and shutting down are left to the system: it ends the process when a handler returns,
// whatever it returns, so there is nothing to gain by noting them.
BOOL WINAPI NoteControlEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        caughtSignal.store(event == CTRL_C_EVENT ? SIGINT : SIGBREAK);
        return TRUE;
    }
    return FALSE;
}

} // namespace

InterruptionCatcher::InterruptionCatcher() {
    caughtSignal.store(0);
    ::SetConsoleCtrlHandler(NoteControlEvent, TRUE);
}

InterruptionCatcher::~InterruptionCatcher() {
    ::SetConsoleCtrlHandler(NoteControlEvent, FALSE);
}

int InterruptionCatcher::Caught() const {
    return caughtSignal.load();
}

const char* InterruptionCatcher::CaughtName() const {
    switch (caughtSignal.load()) {
    case SIGINT:
        return "Ctrl+C";
    case SIGBREAK:
        return "Ctrl+Break";
    default:
        return "no signal";
    }
}
