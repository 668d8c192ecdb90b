#include "ModalCloser.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

void EnsureQtApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "vacantor-test";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: widgets of static test fixtures may outlive main.
    new QApplication(argc, argv);
    // Tests close windows without an event loop to end.
    QApplication::setQuitOnLastWindowClosed(false);
}

ModalCloser::ModalCloser() {
    QApplication::instance()->installEventFilter(this);
}

ModalCloser::~ModalCloser() {
    QApplication::instance()->removeEventFilter(this);
}

bool ModalCloser::eventFilter(QObject* watched, QEvent* event) {
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (event->type() == QEvent::Show && dialog != nullptr && dialog->isModal()) {
        if (onShown) {
            onShown();
        }
        // Pressed on the next turn of the dialog's own loop, once it runs.
        QPointer<QDialog> guarded(dialog);
        QMetaObject::invokeMethod(
            this,
            [this, guarded] {
                if (guarded) {
                    Close(guarded);
                }
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void ModalCloser::Close(QDialog* dialog) {
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        texts.push_back(box->text());
        QPushButton* button = choose ? choose(*box) : box->defaultButton();
        if (button == nullptr && !box->buttons().isEmpty()) {
            button = qobject_cast<QPushButton*>(box->buttons().first());
        }
        if (button != nullptr) {
            button->click();
        }
    } else if (onDialog) {
        onDialog(*dialog);
    } else {
        dialog->reject();
    }
}
