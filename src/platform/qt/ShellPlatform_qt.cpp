#include "platform/ShellPlatform.h"

#include "platform/qt/QtWindowHandles.h"

#include <QByteArray>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QString>

#include <map>

// The browse dialog on Qt: a folder chooser with the shell's interface, so that the same
// FileDialog logic runs on both platforms. Window handles are those of QtWindowHandles; an
// item list is a number standing for one chosen path until it is freed. There is no namespace
// of computers and no namespace root here: the chooser shows the file system.
namespace {

// The "desktop window" owner: it names no widget, so the dialog gets no parent.
constexpr WindowHandle DesktopWindow = 1;

// Linux paths are bytes; Qt holds them decoded.
QString QtPath(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}
std::string BytePath(const QString& path) {
    QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

class QtShellPlatform final : public ShellPlatform {
  public:
    WindowHandle GetDesktopWindow() override { return DesktopWindow; }

    ItemIdList SHBrowseForFolder(const BrowseInfo& info) override {
        QFileDialog dialog(QtWindowHandles::WidgetOf(info.hwndOwner),
                           QString::fromUtf8(info.lpszTitle));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        // Qt's own dialog behaves the same on every desktop, and tests can drive it.
        dialog.setOption(QFileDialog::DontUseNativeDialog);

        QPointer<QFileDialog> previous = openDialog_;
        openDialog_ = &dialog;
        if (info.lpfn != nullptr) {
            info.lpfn(*this, QtWindowHandles::HandleOf(&dialog), BffmInitialized, 0, info.lParam);
        }
        bool accepted = dialog.exec() == QDialog::Accepted;
        openDialog_ = previous;
        if (!accepted || dialog.selectedFiles().isEmpty()) {
            return 0;
        }

        QString chosen = dialog.selectedFiles().constFirst();
        if (info.pszDisplayName != nullptr) {
            QString name = QFileInfo(chosen).fileName();
            *info.pszDisplayName = BytePath(name.isEmpty() ? chosen : name);
        }
        ItemIdList list = nextList_++;
        chosenPaths_[list] = BytePath(chosen);
        return list;
    }

    std::int32_t SHGetPathFromIDList(ItemIdList list, std::string& buffer) override {
        auto found = chosenPaths_.find(list);
        if (found == chosenPaths_.end()) {
            return 0;
        }
        buffer = found->second + '\0';
        return 1;
    }

    void SHFree(ItemIdList list) override { chosenPaths_.erase(list); }

    // Selecting a folder puts its name, in its parent folder, into the chooser, so that OK
    // returns it, as the shell's tree selection does. Like the shell, a path that is not
    // a folder selects nothing.
    std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              const std::string& lParam) override {
        if (openDialog_ == nullptr || QtWindowHandles::WidgetOf(window) != openDialog_.data() ||
            message != BffmSetSelection || wParam != 1) {
            return 0;
        }
        QString folder = QtPath(lParam);
        if (!QFileInfo(folder).isDir()) {
            return 0;
        }
        openDialog_->selectFile(QFileInfo(folder).absoluteFilePath());
        return 1;
    }

  private:
    QPointer<QFileDialog> openDialog_;
    std::map<ItemIdList, std::string> chosenPaths_;
    ItemIdList nextList_ = 1;
};

} // namespace

std::unique_ptr<ShellPlatform> CreateSystemShellPlatform() {
    return std::make_unique<QtShellPlatform>();
}
