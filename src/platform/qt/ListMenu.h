#pragma once

#include "main_window/frmVacantor.h"

#include <QObject>

#include <functional>
#include <vector>

class QPoint;
class QWidget;

// Shows the list's context menu that `items` describe at `globalPosition`, and runs the
// item chosen once the menu has closed.
void ShowListMenu(const std::vector<ListMenuItem>& items, QWidget& parent,
                  const QPoint& globalPosition);

// Hands the watched widget's key presses to onKeyDown as a virtual-key code and a shift
// mask (letters and digits only); a press it handles goes no further.
class KeyDownFilter : public QObject {
  public:
    std::function<bool(int keyCode, int shift)> onKeyDown;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
