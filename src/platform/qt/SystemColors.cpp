#include "platform/qt/SystemColors.h"

#include <QApplication>
#include <QPalette>

namespace {

constexpr std::uint32_t SystemColorFlag = 0x80000000;

// The list only ever uses the dimmed colours; any other system colour is drawn as normal
// text.
QBrush SystemColor(std::uint32_t index) {
    constexpr std::uint32_t GrayText = 17;
    constexpr std::uint32_t InactiveCaptionText = 19;
    const QPalette palette = QApplication::palette();
    if (index == GrayText || index == InactiveCaptionText) {
        return palette.brush(QPalette::Disabled, QPalette::Text);
    }
    return palette.brush(QPalette::Active, QPalette::Text);
}

} // namespace

QBrush ColorFromControlEncoding(std::uint32_t color) {
    if ((color & SystemColorFlag) != 0) {
        return SystemColor(color & ~SystemColorFlag);
    }
    return QBrush(QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                         static_cast<int>((color >> 16) & 0xFF)));
}
