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
    dragMoveEvent(event); // the same answer as each move over the box gets
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

namespace {

bool IsLocalFile(const QUrl& url) {
    const QString host = url.host();
    return url.isLocalFile() && (host.isEmpty() || host == QLatin1String("localhost"));
}

} // namespace

// Only the first item counts, so only it decides whether the drop is taken; later items
// that have no local path are left out of the list, as a file list holds only paths. The
// path is taken from the URL's percent-encoded form, so that a name that is not valid
// UTF-8 arrives byte for byte.
std::optional<std::vector<std::string>> LocalPathsOf(const QMimeData& data) {
    const QList<QUrl> urls = data.hasUrls() ? data.urls() : QList<QUrl>();
    if (urls.isEmpty() || !IsLocalFile(urls.front())) {
        return std::nullopt;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : urls) {
        if (IsLocalFile(url)) {
            const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
            paths.push_back(QByteArray::fromPercentEncoding(encoded).toStdString());
        }
    }
    return paths;
}
