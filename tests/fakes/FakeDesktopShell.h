#pragma once

#include "platform/DesktopShell.h"

#include <string>
#include <vector>

// Records what the window asks of the desktop, each call as "<what> <argument>"; each
// kind of call can be made to fail.
class FakeDesktopShell final : public DesktopShell {
  public:
    bool ShowInFileManager(const std::string& path) override {
        return Record("show " + path, showWorks);
    }
    bool OpenFolder(const std::string& folder) override {
        return Record("open " + folder, openWorks);
    }
    bool SetClipboardText(const std::string& text) override {
        return Record("copy " + text, clipboardWorks);
    }

    std::vector<std::string> calls;
    bool showWorks = true;
    bool openWorks = true;
    bool clipboardWorks = true;

  private:
    bool Record(std::string call, bool works) {
        calls.push_back(std::move(call));
        return works;
    }
};
