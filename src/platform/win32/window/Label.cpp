#include "platform/win32/window/Label.h"

namespace win32 {

bool Label::Create(const CreateArgs& args) {
    // SS_NOPREFIX: an ampersand in the caption is text, not a mnemonic.
    return CreateChild(args.parent, L"STATIC", args.caption, SS_LEFT | SS_NOPREFIX, 0,
                       args.position, args.font);
}

} // namespace win32
