#include "platform/win32/window/Label.h"

namespace win32 {

bool Label::Create(const CreateArgs& args) {
    // SS_NOPREFIX: an ampersand in the caption is text, not a mnemonic.
    return CreateChild(args, L"STATIC", SS_LEFT | SS_NOPREFIX, 0);
}

} // namespace win32
