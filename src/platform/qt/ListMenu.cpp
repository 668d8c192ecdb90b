#include "platform/qt/ListMenu.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

// QMenu shows the text after a tab as the item's shortcut, as Win32 menus do.
void ShowListMenu(const std::vector<ListMenuItem>& items, QWidget& parent,
                  const QPoint& globalPosition) {
    QMenu menu(&parent);
    const ListMenuItem* chosen = nullptr;
    for (const ListMenuItem& item : items) {
        if (item.caption.empty()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(item.caption));
        action->setEnabled(item.enabled);
        QObject::connect(action, &QAction::triggered, &menu, [&chosen, &item] { chosen = &item; });
    }
    menu.exec(globalPosition);
    if (chosen != nullptr && chosen->click) {
        chosen->click();
    }
}

bool KeyDownFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && onKeyDown) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const int key = press->key();
        // Qt's codes of letters and digits are their virtual-key codes.
        if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
            const Qt::KeyboardModifiers modifiers = press->modifiers();
            const int shift = (modifiers & Qt::ShiftModifier ? 1 : 0) |
                              (modifiers & Qt::ControlModifier ? 2 : 0) |
                              (modifiers & Qt::AltModifier ? 4 : 0);
            if (onKeyDown(key, shift)) {
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
