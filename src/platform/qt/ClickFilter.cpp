#include "platform/qt/ClickFilter.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QWidget>

// The event filter runs before the widget sees the release; the call is queued so that
// the handler sees the state the click leaves behind (the list's new selection).
bool ClickFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget != nullptr &&
            widget->rect().contains(mouse->position().toPoint())) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (onClick) {
                        onClick();
                    }
                },
                Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}
