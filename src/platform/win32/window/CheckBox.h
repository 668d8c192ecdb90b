#pragma once

#include "platform/MainWindowControls.h"
#include "platform/win32/window/Control.h"

namespace win32 {

// A two-state check box, unchecked when created.
class CheckBox final : public Control, public CheckBoxControl {
  public:
    bool Create(const CreateArgs& args);

    int Value() const override;
};

} // namespace win32
