#pragma once

#include "platform/win32/window/Control.h"

namespace win32 {

// A static text.
class Label final : public Control {
  public:
    struct CreateArgs {
        HWND parent = nullptr;
        TwipsRect position;
        std::string caption;
        HFONT font = nullptr;
    };
    bool Create(const CreateArgs& args);
};

} // namespace win32
