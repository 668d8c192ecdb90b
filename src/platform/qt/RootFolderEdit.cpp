#include "platform/qt/RootFolderEdit.h"

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

RootFolderEdit::RootFolderEdit(QWidget* parent) : QLineEdit(parent) {
    // Drops stay off until the window's logic asks for them.
    setAcceptDrops(false);
}

void RootFolderEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void RootFolderEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (LocalPathsOf(*event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void RootFolderEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (LocalPathsOf(*event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void RootFolderEdit::dropEvent(QDropEvent* event) {
    std::optional<std::vector<std::string>> paths = LocalPathsOf(*event->mimeData());
    if (!paths) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(*paths);
}

// The path is taken from the URL's percent-encoded form, so that a name that is not valid
// UTF-8 arrives byte for byte.
std::optional<std::vector<std::string>> LocalPathsOf(const QMimeData& data) {
    if (!data.hasUrls()) {
        return std::nullopt;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        const QString host = url.host();
        if (!url.isLocalFile() || !(host.isEmpty() || host == QLatin1String("localhost"))) {
            return std::nullopt;
        }
        const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
        paths.push_back(QByteArray::fromPercentEncoding(encoded).toStdString());
    }
    if (paths.empty()) {
        return std::nullopt;
    }
    return paths;
}
