#include "platform/qt/ControlAdapters.h"

#include "platform/qt/RootFolderEdit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

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

void TextBoxAdapter::SetLocked(bool locked) {
    edit_.SetLocked(locked);
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

void CheckBoxAdapter::SetValue(int value) {
    checkBox_.setChecked(value == 1);
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

// pos() is the frame's corner and geometry() the client area, both in the desktop's
// device-independent pixels, as the screens' areas are.
WindowPlacement QtFormRuntime::Placement() const {
    const bool maximized = window_.isMaximized();
    const QRect client = maximized ? window_.normalGeometry() : window_.geometry();
    const QPoint frame = window_.geometry().topLeft() - window_.pos();
    return {client.left() - frame.x(), client.top() - frame.y(), client.width(), client.height(),
            maximized};
}

// Qt keeps the window at least at its minimum size.
void QtFormRuntime::SetPlacement(const WindowPlacement& placement) {
    window_.resize(placement.width, placement.height);
    window_.move(placement.left, placement.top);
    if (placement.maximized) {
        window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
    }
}

std::vector<PixelRect> QtFormRuntime::Screens() const {
    std::vector<PixelRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        areas.push_back({area.left(), area.top(), area.width(), area.height()});
    }
    return areas;
}
