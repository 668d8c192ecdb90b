#pragma once

#include <QStyledItemDelegate>

class QFontMetrics;

// Draws a path too long for its cell with the ellipsis before its last name
// ("Photos/2019/…/Wedding"), so that the folder a row stands for stays readable.
class PathDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// `path` fitted into `width` pixels: whole if it fits; else as much of its start as fits,
// an ellipsis, then its last name; a last name too long on its own keeps its end.
QString ElidePath(const QString& path, const QFontMetrics& metrics, int width);
