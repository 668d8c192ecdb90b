#pragma once

#include "scan/EmptyFolderScan.h"

#include <functional>

// The window as the scan sees it: a stop flag, the read-only option and an event pump that
// runs what the test gives it.
class FakeScanHost : public ScanHost {
  public:
    void DoEvents() override {
        ++doEventsCalls;
        if (onDoEvents) {
            onDoEvents();
        }
    }
    bool StopRequested() const override { return stopRequested; }
    int ReadOnlyOptionValue() const override { return readOnlyOptionValue; }

    bool stopRequested = false;
    int readOnlyOptionValue = 0;
    int doEventsCalls = 0;
    std::function<void()> onDoEvents;
};
