#pragma once

#include <QObject>

#include <functional>

// Calls onClick after a left mouse button is released over the watched widget, once the
// widget itself has handled the release.
class ClickFilter : public QObject {
  public:
    std::function<void()> onClick;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
