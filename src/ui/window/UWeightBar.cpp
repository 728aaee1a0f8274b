#include "ui/window/UWeightBar.h"

#include <QPainter>
#include <algorithm>

void TWeightBar::paint(QPainter* Painter, const QStyleOptionViewItem& Option,
                       const QModelIndex& Index) const {
  QStyledItemDelegate::paint(Painter, Option, Index);
  const QPointF span = Index.data(Role).toPointF();
  const QRectF cell = QRectF(Option.rect).adjusted(2, 3, -2, -3);
  const double from = std::clamp(std::min(span.x(), span.y()), 0.0, 1.0);
  const double to = std::clamp(std::max(span.x(), span.y()), 0.0, 1.0);
  const QRectF bar(cell.left() + from * cell.width(), cell.top(), (to - from) * cell.width(),
                   cell.height());
  Painter->save();
  Painter->fillRect(bar, span.y() < span.x() ? QColor(200, 60, 60) : QColor(60, 130, 200));
  Painter->restore();
}
