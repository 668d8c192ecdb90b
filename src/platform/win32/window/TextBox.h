#pragma once

#include "platform/MainWindowControls.h"
#include "platform/win32/window/Control.h"
#include "platform/win32/window/FileDropTarget.h"

#include <functional>
#include <string>
#include <vector>

namespace win32 {

// A single-line edit box. onClick runs after a mouse click on it has been handled;
// onKeyDown for a key pressed in it without Ctrl or Alt (true: the key was taken);
// onDropFiles when a file list is dropped on it while its OLE drop mode is 1 (by an OLE drag
// or by the shell's WM_DROPFILES).
class TextBox final : public Control, public TextBoxControl {
  public:
    TextBox();
    ~TextBox() override;
    bool Create(const CreateArgs& args);

    void SetText(const std::string& text) override;
    void SetEnabled(bool enabled) override;
    void SetOLEDropMode(int mode) override;
    void SetLocked(bool locked) override;

    std::function<void()> onClick;
    std::function<bool(int keyCode)> onKeyDown;
    std::function<void(const std::vector<std::string>&)> onDropFiles;

  private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DropFiles(const std::vector<std::string>& files);

    FileDropTarget dropTarget_;
    bool dropTargetRegistered_ = false;
};

} // namespace win32
