#pragma once

// While one lives, the requests to end the program (SIGINT, SIGTERM and SIGHUP; Ctrl+C and
// Ctrl+Break at a Windows console) are only noted, so that a removal can finish the row it
// is on, put back the modes it changed and close its log before it ends. The program's
// former handling comes back when it goes. One at a time.
class InterruptionCatcher {
  public:
    InterruptionCatcher();
    ~InterruptionCatcher();
    InterruptionCatcher(const InterruptionCatcher&) = delete;
    InterruptionCatcher& operator=(const InterruptionCatcher&) = delete;

    // The number of the signal caught (Ctrl+C counts as SIGINT), 0 while none was.
    int Caught() const;
    // What was caught, for a person: "SIGINT", "Ctrl+Break"...
    const char* CaughtName() const;
};
