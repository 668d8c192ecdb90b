#include "platform/qt/PathDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>

QString ElidePath(const QString& path, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(path) <= width) {
        return path;
    }
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString ellipsis(QChar(0x2026));
    const QString lastName = slash < 0 ? path : path.mid(slash);
    const int headWidth = width - metrics.horizontalAdvance(ellipsis + lastName);
    if (slash <= 0 || headWidth <= 0) {
        return metrics.elidedText(path, Qt::ElideLeft, width);
    }
    // The longest start of the path that fits in front of the ellipsis; measured whole, as
    // the parts' widths need not add up to the whole's.
    const QString tail = ellipsis + lastName;
    qsizetype fits = 0;
    qsizetype tooLong = slash + 1;
    while (tooLong - fits > 1) {
        const qsizetype middle = (fits + tooLong) / 2;
        (metrics.horizontalAdvance(path.left(middle) + tail) <= width ? fits : tooLong) = middle;
    }
    return path.left(fits) + tail;
}

void PathDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // The text's room inside the cell, as the style lays the cell out.
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    cell.text = ElidePath(cell.text, cell.fontMetrics, text.width() - 2 * margin);
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}
