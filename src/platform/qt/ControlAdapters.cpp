#include "platform/qt/ControlAdapters.h"

#include "platform/qt/RootFolderEdit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>

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

QtFormRuntime::QtFormRuntime(QWidget& window, std::string appPath)
    : window_(window), appPath_(std::move(appPath)) {}

void QtFormRuntime::SetMousePointer(int pointer) {
    if (pointer == PointerArrowHourglass) {
        window_.setCursor(Qt::BusyCursor);
    } else {
        window_.unsetCursor();
    }
}

std::string QtFormRuntime::AppPath() const {
    return appPath_;
}

void QtFormRuntime::DoEvents() {
    QCoreApplication::processEvents();
}

void QtFormRuntime::Close() {
    window_.close();
}
