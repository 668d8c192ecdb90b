#pragma once

#include "platform/win32/window/Control.h"

namespace win32 {

// A static text.
class Label final : public Control {
  public:
    bool Create(const CreateArgs& args);
};

} // namespace win32
