#include "ModalCloser.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

ModalCloser::ModalCloser() {
    QApplication::instance()->installEventFilter(this);
}

ModalCloser::~ModalCloser() {
    QApplication::instance()->removeEventFilter(this);
}

bool ModalCloser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog != nullptr && dialog->isModal()) {
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
    }
    return QObject::eventFilter(watched, event);
}

void ModalCloser::Close(QDialog* dialog) {
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        texts.push_back(box->text());
        titles.push_back(box->windowTitle());
        QPushButton* button = choose ? choose(*box) : box->defaultButton();
        if (button == nullptr && !box->buttons().isEmpty()) {
            button = qobject_cast<QPushButton*>(box->buttons().first());
        }
        if (button != nullptr) {
            button->click();
        }
        return;
    }
    if (onDialog) {
        onDialog(*dialog);
    } else {
        dialog->reject();
    }
}
