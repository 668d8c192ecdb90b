#pragma once

#include "main_window/frmVacantor.h"

#include <windows.h>
#undef MessageBox

#include <functional>
#include <vector>

namespace win32 {

// Runs a popup menu at a point on the screen and returns the id of the item chosen, 0 for
// none: TrackPopupMenuEx, or a stand-in in tests.
using TrackMenuFunction = std::function<UINT(HMENU menu, HWND owner, POINT screen)>;

// Shows the list's context menu that `items` describe (item i has the id i + 1) and runs
// the item chosen.
void ShowListMenu(const std::vector<ListMenuItem>& items, HWND owner, POINT screen,
                  const TrackMenuFunction& track);

} // namespace win32
