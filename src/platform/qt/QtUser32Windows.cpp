// user32's window operations answered by Qt widgets. The child windows of a window are
// its controls: the widgets inside it that hold no further widgets, in creation order
// (layout containers such as a button box are looked through).
#include "platform/qt/QtMessageBoxPlatform.h"

#include "platform/qt/QtWindowHandles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <cstring>

using QtWindowHandles::HandleOf;
using QtWindowHandles::WidgetOf;

namespace {

constexpr char IconProperty[] = "vacantorIconHandle";

QList<QWidget*> ControlsOf(QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->isWindow()) {
            continue;
        }
        const QList<QWidget*> inner = widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        bool holdsWidgets = std::any_of(inner.begin(), inner.end(),
                                        [](QWidget* child) { return !child->isWindow(); });
        if (!holdsWidgets) {
            controls.append(widget);
        }
    }
    return controls;
}

// The windows among which `widget` has its place: the other controls of its window, or
// the other top-level windows.
QList<QWidget*> SiblingsOf(QWidget* widget) {
    return widget->isWindow() ? QApplication::topLevelWidgets() : ControlsOf(widget->window());
}

std::string ClassNameOf(QWidget* widget) {
    if (qobject_cast<QDialog*>(widget) != nullptr) {
        return "#32770";
    }
    if (qobject_cast<QLabel*>(widget) != nullptr) {
        return "Static";
    }
    if (qobject_cast<QAbstractButton*>(widget) != nullptr) {
        return "Button";
    }
    if (qobject_cast<QLineEdit*>(widget) != nullptr) {
        return "Edit";
    }
    return widget->metaObject()->className();
}

std::intptr_t StyleOf(QWidget* widget) {
    std::uint32_t style =
        static_cast<std::uint32_t>(QtWindowHandles::ControlStyle(widget)) & 0xFFFF;
    style |= widget->isWindow() ? 0x80000000u : 0x40000000u; // WS_POPUP or WS_CHILD
    if (widget->isVisible()) {
        style |= 0x10000000u; // WS_VISIBLE
    }
    if (!widget->isEnabled()) {
        style |= 0x08000000u; // WS_DISABLED
    }
    return static_cast<std::intptr_t>(static_cast<std::int32_t>(style));
}

Qt::Key KeyOf(std::uint8_t virtualKey) {
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
        return static_cast<Qt::Key>(virtualKey); // Qt's keys for these are their characters
    }
    switch (virtualKey) {
    case 8:
        return Qt::Key_Backspace;
    case 9:
        return Qt::Key_Tab;
    case User32::VkReturn:
        return Qt::Key_Return;
    case 27:
        return Qt::Key_Escape;
    case 32:
        return Qt::Key_Space;
    default:
        return Qt::Key_unknown;
    }
}

WindowRect RectOf(const QRect& rect) {
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

} // namespace

bool QtMessageBoxPlatform::SetWindowPos(WindowHandle window, std::intptr_t insertAfter,
                                        std::int32_t x, std::int32_t y, std::int32_t cx,
                                        std::int32_t cy, std::uint32_t flags) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return false;
    }
    if ((flags & User32::SwpNoZOrder) == 0) {
        if (insertAfter == User32::HwndBottom) {
            widget->lower();
        } else if (QWidget* above = WidgetOf(static_cast<WindowHandle>(insertAfter))) {
            widget->stackUnder(above);
        } else {
            widget->raise(); // HWND_TOP, HWND_TOPMOST, HWND_NOTOPMOST
        }
    }
    if ((flags & User32::SwpNoMove) == 0) {
        widget->move(x, y); // a window's frame, as user32's coordinates are
    }
    if ((flags & User32::SwpNoSize) == 0) {
        QSize frame = widget->frameGeometry().size() - widget->size();
        widget->resize(QSize(cx, cy) - frame);
    }
    if ((flags & User32::SwpShowWindow) != 0) {
        widget->show();
    }
    if ((flags & User32::SwpHideWindow) != 0) {
        widget->hide();
    }
    if ((flags & User32::SwpNoActivate) == 0 && widget->isWindow() && widget->isVisible()) {
        widget->activateWindow();
    }
    return true;
}

bool QtMessageBoxPlatform::ShowWindow(WindowHandle window, std::int32_t command) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return false;
    }
    bool wasVisible = widget->isVisible();
    switch (command) {
    case User32::SwHide:
        widget->hide();
        break;
    case User32::SwShowNormal:
    case User32::SwRestore:
        widget->showNormal();
        break;
    case User32::SwShowMinimized:
    case User32::SwMinimize:
    case 7: // SW_SHOWMINNOACTIVE
        widget->showMinimized();
        break;
    case User32::SwMaximize:
        widget->showMaximized();
        break;
    default: // SW_SHOW, SW_SHOWNOACTIVATE, SW_SHOWNA, SW_SHOWDEFAULT
        widget->show();
        break;
    }
    return wasVisible;
}

std::intptr_t QtMessageBoxPlatform::GetWindowLong(WindowHandle window, std::int32_t index) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return 0;
    }
    switch (index) {
    case User32::GwlHInstance:
        return reinterpret_cast<std::intptr_t>(QCoreApplication::instance());
    case User32::GwlStyle:
        return StyleOf(widget);
    case -12: // GWL_ID
        return QtWindowHandles::ControlId(widget);
    default:
        return 0;
    }
}

bool QtMessageBoxPlatform::SetForegroundWindow(WindowHandle window) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return false;
    }
    foreground_ = widget->window();
    foreground_->raise();
    foreground_->activateWindow();
    return true;
}

// The key goes, like a real one, to the focus of the foreground window.
void QtMessageBoxPlatform::keybd_event(std::uint8_t virtualKey, std::uint8_t /*scanCode*/,
                                       std::uint32_t flags, std::uintptr_t /*extraInfo*/) {
    QWidget* window = foreground_ != nullptr && foreground_->isVisible()
                          ? foreground_.data()
                          : QApplication::activeWindow();
    if (window == nullptr) {
        return;
    }
    QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
    bool release = (flags & User32::KeyEventFKeyUp) != 0;
    Qt::Key key = KeyOf(virtualKey);
    QString text = key == Qt::Key_Return ? QStringLiteral("\r") : QString();
    QCoreApplication::postEvent(
        target,
        new QKeyEvent(release ? QEvent::KeyRelease : QEvent::KeyPress, key, Qt::NoModifier, text));
}

WindowHandle QtMessageBoxPlatform::GetWindow(WindowHandle window, std::uint32_t command) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return 0;
    }
    if (command == User32::GwChild) {
        QList<QWidget*> controls = widget->isWindow() ? ControlsOf(widget) : QList<QWidget*>{};
        return controls.isEmpty() ? 0 : HandleOf(controls.first());
    }
    if (command == 4) { // GW_OWNER
        return widget->isWindow() && widget->parentWidget() != nullptr
                   ? HandleOf(widget->parentWidget()->window())
                   : 0;
    }
    QList<QWidget*> siblings = SiblingsOf(widget);
    qsizetype at = siblings.indexOf(widget);
    switch (command) {
    case 0: // GW_HWNDFIRST
        return siblings.isEmpty() ? 0 : HandleOf(siblings.first());
    case 1: // GW_HWNDLAST
        return siblings.isEmpty() ? 0 : HandleOf(siblings.last());
    case User32::GwHwndNext:
        return at >= 0 && at + 1 < siblings.size() ? HandleOf(siblings.at(at + 1)) : 0;
    case 3: // GW_HWNDPREV
        return at > 0 ? HandleOf(siblings.at(at - 1)) : 0;
    default:
        return 0;
    }
}

std::int32_t QtMessageBoxPlatform::GetClassName(WindowHandle window, char* buffer,
                                                std::int32_t maxCount) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr || maxCount <= 0) {
        return 0;
    }
    std::string name = ClassNameOf(widget);
    std::size_t count = std::min(name.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(buffer, name.data(), count);
    buffer[count] = '\0';
    return static_cast<std::int32_t>(count);
}

std::int32_t QtMessageBoxPlatform::GetDlgCtrlID(WindowHandle window) {
    QWidget* widget = WidgetOf(window);
    return widget != nullptr ? QtWindowHandles::ControlId(widget) : 0;
}

bool QtMessageBoxPlatform::SetWindowText(WindowHandle window, const std::string& text) {
    QWidget* widget = WidgetOf(window);
    QString value = QString::fromStdString(text);
    if (widget == nullptr) {
        return false;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(value);
    } else {
        widget->setWindowTitle(value);
    }
    return true;
}

// STM_SETICON: the label shows the registered icon (none for handle 0) at the size of a
// message box icon and answers the icon it showed before.
std::intptr_t QtMessageBoxPlatform::SendMessage(WindowHandle window, std::uint32_t message,
                                                std::uintptr_t wParam, std::intptr_t /*lParam*/) {
    auto* label = qobject_cast<QLabel*>(WidgetOf(window));
    if (label == nullptr || message != User32::StmSetIcon) {
        return 0;
    }
    auto previous = static_cast<std::intptr_t>(label->property(IconProperty).toULongLong());
    auto icon = icons_.find(wParam);
    if (icon == icons_.end()) {
        label->setPixmap(QPixmap());
    } else {
        int size = label->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, label);
        label->setPixmap(icon->second.pixmap(size, size));
    }
    label->setProperty(IconProperty, QVariant::fromValue<qulonglong>(wParam));
    return previous;
}

WindowRect QtMessageBoxPlatform::GetWindowRect(WindowHandle window) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return {};
    }
    if (widget->isWindow()) {
        return RectOf(widget->frameGeometry());
    }
    return RectOf(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
}

bool QtMessageBoxPlatform::SystemParametersInfo(std::uint32_t action, std::uint32_t /*param*/,
                                                WindowRect& rect, std::uint32_t /*winIni*/) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (action != User32::SpiGetWorkArea || screen == nullptr) {
        return false;
    }
    rect = RectOf(screen->availableGeometry());
    return true;
}
