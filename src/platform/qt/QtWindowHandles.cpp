#include "platform/qt/QtWindowHandles.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <map>

namespace QtWindowHandles {

namespace {

constexpr char HandleProperty[] = "vacantorWindowHandle";
constexpr char ControlIdProperty[] = "vacantorControlId";
constexpr char ControlStyleProperty[] = "vacantorControlStyle";

// Handles look like HWNDs: small multiples of four, never reused.
std::map<WindowHandle, QPointer<QWidget>>& Widgets() {
    static std::map<WindowHandle, QPointer<QWidget>> widgets;
    return widgets;
}
WindowHandle NextHandle = 0x10000;

} // namespace

WindowHandle HandleOf(QWidget* widget) {
    if (widget == nullptr) {
        return 0;
    }
    QVariant known = widget->property(HandleProperty);
    if (known.isValid()) {
        return static_cast<WindowHandle>(known.toULongLong());
    }
    WindowHandle handle = NextHandle;
    NextHandle += 4;
    Widgets()[handle] = widget;
    widget->setProperty(HandleProperty, QVariant::fromValue<qulonglong>(handle));
    QObject::connect(widget, &QObject::destroyed, [handle] { Widgets().erase(handle); });
    return handle;
}

QWidget* WidgetOf(WindowHandle handle) {
    auto found = Widgets().find(handle);
    return found == Widgets().end() ? nullptr : found->second.data();
}

void SetControlId(QWidget* control, int id) {
    control->setProperty(ControlIdProperty, id);
}

int ControlId(const QWidget* control) {
    return control->property(ControlIdProperty).toInt();
}

void SetControlStyle(QWidget* control, int style) {
    control->setProperty(ControlStyleProperty, style);
}

int ControlStyle(const QWidget* control) {
    return control->property(ControlStyleProperty).toInt();
}

} // namespace QtWindowHandles
