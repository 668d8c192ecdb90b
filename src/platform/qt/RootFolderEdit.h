#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QMimeData;

// The root-folder text box: a line edit that reports mouse clicks and keys, and, once drops
// are switched on, takes drops whose first item is a local file or folder (never dragged
// text).
class RootFolderEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit RootFolderEdit(QWidget* parent = nullptr);

    // Read-only, and drawn so: it shows the root folder and takes no typing.
    void SetLocked(bool locked);

    // A key pressed without Ctrl, Alt or Meta, as a Windows virtual-key code (letters and
    // digits as themselves); true when it was taken.
    std::function<bool(int keyCode)> onKeyDown;

  signals:
    void clicked();
    // The exact paths of the dropped items, first item first.
    void filesDropped(const std::vector<std::string>& files);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// The paths of a drop's local files and folders, as the file system's bytes, first item
// first, when its first item is one; nothing otherwise (text, a remote URL first, an empty
// list), whatever the later items are.
std::optional<std::vector<std::string>> LocalPathsOf(const QMimeData& data);
