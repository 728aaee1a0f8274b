#include "ui/window/UPictureView.h"

#include <QCursor>
#include <QPainter>
#include <cmath>

#include "ui/qt/UQtPicture.h"

TPictureView::TPictureView(QWidget* Parent) : QWidget(Parent) {
  // The picture covers the whole control: nothing behind it needs painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPictureView::SetPicture(const TQtPicture* Picture) {
  FPicture = Picture;
  update();
}

QPoint TPictureView::ToPicture(const QPoint& Client) const {
  if (FPicture == nullptr || width() <= 0 || height() <= 0)
    return {-1, -1};
  // Whole pixels, so a point left of or above the picture stays outside it.
  const double x = std::floor(static_cast<double>(Client.x()) * FPicture->Width() / width());
  const double y = std::floor(static_cast<double>(Client.y()) * FPicture->Height() / height());
  return {static_cast<int>(x), static_cast<int>(y)};
}

int32_t TPictureView::X() const {
  return ToPicture(mapFromGlobal(QCursor::pos())).x();
}

int32_t TPictureView::Y() const {
  return ToPicture(mapFromGlobal(QCursor::pos())).y();
}

void TPictureView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (FPicture == nullptr) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  painter.drawImage(rect(), FPicture->Image());
}
