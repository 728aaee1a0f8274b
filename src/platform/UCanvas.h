#pragma once

#include <cstdint>

// An integer pixel position on a picture.
struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPoint&) const = default;
};

// The drawing surface of a picture. Colours are packed as MakeColor packs them: red in the low
// byte, green in the middle one, blue in the high one. Rectangles and ellipses are given by two
// corners; the second corner is just outside the figure, as on the classic toolkit canvases, so
// (0, 0)-(4, 4) covers pixels 0 to 3.
class TCanvas {
public:
  virtual ~TCanvas() = default;
  virtual void SetPenColor(int32_t color) = 0;
  virtual void SetPenWidth(int32_t width) = 0;
  // A solid fill of the given colour for the figures drawn next.
  virtual void SetBrushColor(int32_t color) = 0;
  // No fill for the figures drawn next, until a brush colour is set again.
  virtual void SetBrushClear() = 0;
  // Closed polygon through the points, outlined with the pen and filled with the brush.
  virtual void Polygon(const TPoint* points, int32_t count) = 0;
  // Line with the pen from (x1, y1) to (x2, y2), the end point excluded.
  virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  virtual void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  // Ellipse inscribed in the rectangle of the two corners.
  virtual void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
};
