#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <cstdint>
#include <vector>

#include "platform/UCanvas.h"

// The drawing surface of a TQtPicture: a QPainter on its QImage, without antialiasing, so that
// every pixel is either untouched or exactly the pen or brush colour (pure black stays pure
// black, which the road map depends on).
//
// Pixel (x, y) is the square from (x, y) to (x + 1, y + 1). The figures follow the classic
// toolkit canvases:
// - The pen starts black and 1 pixel wide, the brush solid white. SetBrushColor gives a solid
//   fill of that colour, SetBrushClear no fill until a brush colour is set again. A pen width
//   below 1 counts as 1.
// - Rectangle(x1, y1, x2, y2) and Ellipse(x1, y1, x2, y2) take two corners in either order
//   (x1 > x2 or y1 > y2 is fine). The figure covers columns min(x1, x2) .. max(x1, x2) - 1 and
//   rows min(y1, y2) .. max(y1, y2) - 1: the larger corner lies just outside, so (0, 0)-(4, 4)
//   covers 4 by 4 pixels and two equal coordinates draw nothing. Its outline (the border pixels
//   of a rectangle, the outer ring of an ellipse) has the pen colour, the inside the brush.
// - Line(x1, y1, x2, y2) sets the pixels of the straight line from (x1, y1) towards (x2, y2),
//   the first included and the last excluded, one per column for a line that runs more across
//   than down and one per row otherwise; a line from a point to itself draws nothing.
// - Polygon outlines the closed path through its points with the pen (every vertex pixel is
//   set) and fills the inside with the brush.
// - A pen of width w > 1 sets, for each pixel of a line or of a rectangle's border, the w by w
//   square around it (w / 2 pixels to the right and below, (w - 1) / 2 to the left and above).
//   Ellipses and polygons are stroked with a w-pixel band centred on their outline.
// Colours are packed as MakeColor packs them: red in the low byte, blue in the third; the top
// byte is ignored.
//
// The painter stays open between figures, because opening one per call would cost more than most
// figures. Finish closes it; TQtPicture does so before the image is read, copied, saved or
// replaced, and the next figure opens it again with the same pen and brush.
class TQtCanvas : public TCanvas {
public:
  // Draws on the image, which must outlive the canvas and stay at the same address (assigning a
  // new image to it is fine while the canvas is finished).
  explicit TQtCanvas(QImage& Image);
  ~TQtCanvas() override;
  TQtCanvas(const TQtCanvas&) = delete;
  TQtCanvas& operator=(const TQtCanvas&) = delete;

  void SetPenColor(int32_t Color) override;
  void SetPenWidth(int32_t Width) override;
  void SetBrushColor(int32_t Color) override;
  void SetBrushClear() override;
  void Polygon(const TPoint* Points, int32_t Count) override;
  void Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;

  int32_t PenColor() const { return FPenColor; }
  int32_t PenWidth() const { return FPenWidth; }
  int32_t BrushColor() const { return FBrushColor; }
  bool BrushClear() const { return FBrushClear; }

  // Ends the painting in progress so that the image may be read, copied or replaced.
  void Finish();
  bool Painting() const { return FPainter.isActive(); }

  // A packed colour (red in the low byte) as a QColor, and back.
  static QColor ToQColor(int32_t Color);
  static int32_t FromQColor(const QColor& Color);

private:
  QImage& FImage;
  QPainter FPainter;
  int32_t FPenColor = 0x000000;
  int32_t FPenWidth = 1;
  int32_t FBrushColor = 0xFFFFFF;
  bool FBrushClear = false;
  // The two colours above as the painter takes them (initialised from them: declared after).
  QColor FPenQColor;
  QColor FBrushQColor;
  std::vector<QPoint> FPoints; // kept between calls so that a polygon allocates nothing

  // The open painter, opened with the current pen and brush when needed.
  QPainter& Painter();
  void ApplyPen();
  void ApplyBrush();
  // Fills the w by w pen squares of the pixels X1 .. X2 - 1 by Y1 .. Y2 - 1, clipped to the image.
  void PenBlock(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2);
};
