#pragma once

#include <QLineEdit>

#include <optional>
#include <string>
#include <vector>

class QMimeData;

// The root-folder text box: a line edit that reports mouse clicks, and, once drops are
// switched on, takes drops of local files and folders only (never dragged text).
class RootFolderEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit RootFolderEdit(QWidget* parent = nullptr);

  signals:
    void clicked();
    // The exact paths of the dropped items, first item first.
    void filesDropped(const std::vector<std::string>& files);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// The paths of a drop, as the file system's bytes, when it is a non-empty list of local
// files and folders; nothing for anything else (text, remote URLs, an empty list).
std::optional<std::vector<std::string>> LocalPathsOf(const QMimeData& data);
