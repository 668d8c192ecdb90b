#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QDialog;
class QMessageBox;
class QPushButton;

// The one QApplication of a test process, created on first use (offscreen unless the
// environment names another platform). Test listing never creates it.
void EnsureQtApplication();

// Closes every modal dialog the application shows, as a person would, once it is on the
// screen: a message box by pressing the button `choose` picks, else its default button (its
// first, Yes to a question), any other dialog through `onDialog` (rejected when unset).
// Records the texts of the message boxes in the order they were shown.
class ModalCloser : public QObject {
  public:
    ModalCloser();
    ~ModalCloser() override;

    std::vector<QString> texts;
    std::function<QPushButton*(QMessageBox&)> choose;
    std::function<void(QDialog&)> onDialog;
    std::function<void()> onShown; // runs when any box or dialog appears

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Close(QDialog* dialog);
};
