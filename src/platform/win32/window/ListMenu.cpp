#include "platform/win32/window/ListMenu.h"

#include "platform/win32/Utf.h"

namespace win32 {

void ShowListMenu(const std::vector<ListMenuItem>& items, HWND owner, POINT screen,
                  const TrackMenuFunction& track) {
    HMENU menu = ::CreatePopupMenu();
    if (!menu) {
        return;
    }
    for (std::size_t index = 0; index < items.size(); ++index) {
        const ListMenuItem& item = items[index];
        if (item.caption.empty()) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            ::AppendMenuW(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), index + 1,
                          WideFromUtf8(item.caption).c_str());
        }
    }
    const UINT chosen = track ? track(menu, owner, screen)
                              : static_cast<UINT>(::TrackPopupMenuEx(
                                    menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                                    screen.y, owner, nullptr));
    ::DestroyMenu(menu);
    if (chosen >= 1 && chosen <= items.size()) {
        const ListMenuItem& item = items[chosen - 1];
        if (item.enabled && item.click) {
            item.click();
        }
    }
}

} // namespace win32
