#include "platform/qt/RootFolderEdit.h"

#include "platform/MainWindowControls.h"

#include <QDropEvent>
#include <QKeyEvent>
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

void RootFolderEdit::SetLocked(bool locked) {
    setReadOnly(locked);
    // Many styles draw a read-only line edit like one that takes typing.
    QPalette colours = QLineEdit::palette();
    colours.setBrush(QPalette::Base, locked ? colours.window() : QPalette().base());
    setPalette(colours);
}

namespace {

// The keys the window's logic tells apart, as Windows numbers them; others as Qt does,
// which for letters and digits is the same.
int VirtualKeyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyReturn;
    case Qt::Key_Space:
        return KeySpace;
    case Qt::Key_F4:
        return KeyF4;
    default:
        return qtKey;
    }
}

} // namespace

void RootFolderEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers chords = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (onKeyDown && !(event->modifiers() & chords) && onKeyDown(VirtualKeyCode(event->key()))) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
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
