#pragma once

#include "platform/MainWindowControls.h"
#include "platform/win32/window/Control.h"

#include <functional>

namespace win32 {

// A two-state check box, unchecked when created; onClick runs when the user toggles it.
class CheckBox final : public Control, public CheckBoxControl {
  public:
    bool Create(const CreateArgs& args);

    int Value() const override;
    void SetValue(int value) override;
    bool OnCommand(WORD notification) override;

    std::function<void()> onClick;
};

} // namespace win32
