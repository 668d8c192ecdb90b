#pragma once

#include "platform/MainWindowControls.h"
#include "platform/win32/window/Control.h"

#include <functional>

namespace win32 {

// A push button; onClick runs on BN_CLICKED.
class Button final : public Control, public ButtonControl {
  public:
    bool Create(const CreateArgs& args);

    void SetCaption(const std::string& caption) override;
    void SetEnabled(bool enabled) override;
    bool OnCommand(WORD notification) override;

    std::function<void()> onClick;
};

} // namespace win32
