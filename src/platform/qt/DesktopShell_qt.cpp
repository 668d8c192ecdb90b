#include "platform/DesktopShell.h"

#include <QByteArray>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QString>
#include <QUrl>

namespace {

// A file URL of the path's exact bytes: a Linux name need not be UTF-8.
QUrl FileUrl(const std::string& path) {
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

// A file manager that selects items answers on the session bus under the freedesktop.org
// name; without one, or when it does not answer within two seconds, the caller falls back
// to opening the folder.
constexpr int FileManagerTimeoutMilliseconds = 2000;

class QtDesktopShell final : public DesktopShell {
  public:
    bool ShowInFileManager(const std::string& path) override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            return false;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{QString::fromLatin1(FileUrl(path).toEncoded())} << QString();
        const QDBusMessage reply = bus.call(call, QDBus::Block, FileManagerTimeoutMilliseconds);
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    bool OpenFolder(const std::string& folder) override {
        return QDesktopServices::openUrl(FileUrl(folder));
    }

    bool SetClipboardText(const std::string& text) override {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard == nullptr) {
            return false;
        }
        // Names that are not UTF-8 are shown with replacement characters; text is all a
        // clipboard of plain text holds.
        clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        return true;
    }
};

} // namespace

std::unique_ptr<DesktopShell> CreateSystemDesktopShell() {
    return std::make_unique<QtDesktopShell>();
}
