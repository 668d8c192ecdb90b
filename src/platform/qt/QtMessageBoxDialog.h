#pragma once

#include <cstdint>
#include <string>

class QWidget;

// user32's message box made of a QMessageBox: the type word chooses buttons, icon and
// default button as user32 does. Its controls answer as user32's would: the icon label as
// a "Static" with SS_ICON, the buttons as "Button"s with the ids IDOK (1) to IDHELP (9),
// Try Again 10 and Continue 11. Returns the id of the button that closed the box, 0 when
// the type names no known set of buttons.
std::int32_t RunMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                           std::uint32_t type);
