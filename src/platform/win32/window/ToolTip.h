#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// One tooltip over the whole of a control, with a text that can be changed at any time.
// An empty text shows nothing.
class ToolTip {
  public:
    ToolTip() = default;
    ToolTip(const ToolTip&) = delete;
    ToolTip& operator=(const ToolTip&) = delete;
    ~ToolTip();

    bool Create(HWND owner, HWND tool);
    void SetText(const std::string& text);

  private:
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    HWND tool_ = nullptr;
};

} // namespace win32
