#pragma once

#include <QPoint>
#include <QWidget>
#include <cstdint>

#include "platform/UPointer.h"

class TQtPicture;

// The circuit picture control: shows the picture the world draws on, stretched to the control's
// size, and tells the world where the mouse pointer is in pixels of that picture.
class TPictureView : public QWidget, public TPointer {
  Q_OBJECT
public:
  explicit TPictureView(QWidget* Parent = nullptr);

  // The picture shown (not owned; none shows nothing).
  void SetPicture(const TQtPicture* Picture);

  // The picture pixel under a point of the control: the control's coordinates scaled by picture
  // size / control size, since the picture is stretched. -1 on both axes without a picture.
  QPoint ToPicture(const QPoint& Client) const;
  // The pointer, in picture pixels.
  int32_t X() const override;
  int32_t Y() const override;

protected:
  void paintEvent(QPaintEvent* Event) override;

private:
  const TQtPicture* FPicture = nullptr;
};
