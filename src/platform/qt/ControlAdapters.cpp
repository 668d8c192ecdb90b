#include "platform/qt/ControlAdapters.h"

#include "platform/qt/RootFolderEdit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>

#include <filesystem>
#include <system_error>

namespace {
constexpr int OLEDropManual = 1;
}

// Text from the logic is the file system's bytes; shown decoded like every file name.
void TextBoxAdapter::SetText(const std::string& text) {
    edit_.setText(QFile::decodeName(QByteArray::fromStdString(text)));
}

void TextBoxAdapter::SetEnabled(bool enabled) {
    edit_.setEnabled(enabled);
}

void TextBoxAdapter::SetOLEDropMode(int mode) {
    edit_.setAcceptDrops(mode == OLEDropManual);
}

void ButtonAdapter::SetCaption(const std::string& caption) {
    button_.setText(QString::fromStdString(caption));
}

void ButtonAdapter::SetEnabled(bool enabled) {
    button_.setEnabled(enabled);
}

int CheckBoxAdapter::Value() const {
    return checkBox_.isChecked() ? 1 : 0;
}

QtFormRuntime::QtFormRuntime(QWidget& window, std::optional<std::string> appPath)
    : window_(window), appPath_(std::move(appPath)) {}

void QtFormRuntime::SetMousePointer(int pointer) {
    if (pointer == PointerArrowHourglass) {
        window_.setCursor(Qt::BusyCursor);
    } else {
        window_.unsetCursor();
    }
}

std::string QtFormRuntime::AppPath() const {
    return appPath_ ? *appPath_ : ExecutableFolder();
}

void QtFormRuntime::DoEvents() {
    QCoreApplication::processEvents();
}

void QtFormRuntime::Close() {
    window_.close();
}

// /proc/self/exe gives the exact bytes, whatever the name's encoding; Qt's answer is the
// fallback where /proc is missing.
std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return executable.parent_path().string();
    }
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}
