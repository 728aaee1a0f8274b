#pragma once

#include <QStyledItemDelegate>

// Draws a cell of the inspector's bar column: a bar from the zero line to its end, both as
// fractions of the cell's width, given as QPointF(zero, end) in the cell's Qt::UserRole. An end
// left of the zero line is a negative weight and is drawn in red.
class TWeightBar : public QStyledItemDelegate {
  Q_OBJECT
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  static constexpr int Role = Qt::UserRole;

  void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
             const QModelIndex& Index) const override;
};
