#pragma once

#include "platform/MessageBoxPlatform.h"

class QWidget;

// Window handles for Qt widgets, so that code written against user32's handles can name
// them. A widget keeps its handle for life; the handle of a destroyed widget names nothing.
namespace QtWindowHandles {

WindowHandle HandleOf(QWidget* widget); // 0 for null
QWidget* WidgetOf(WindowHandle handle); // null for 0, unknown or destroyed

// What a control says about itself through user32's eyes; set where the control is made.
void SetControlId(QWidget* control, int id); // GetDlgCtrlID
int ControlId(const QWidget* control);
void SetControlStyle(QWidget* control, int style); // the low word of GWL_STYLE
int ControlStyle(const QWidget* control);

} // namespace QtWindowHandles
