#include "ui/qt/UQtCanvas.h"

#include <QPen>
#include <QRect>
#include <QRectF>
#include <algorithm>
#include <cstdlib>

namespace {

// Floor of a / b for b > 0, also for negative a. The products of two 32-bit spans that come
// in here need more than 64 bits.
int64_t FloorDiv(__int128 a, __int128 b) {
  const __int128 q = a / b;
  return static_cast<int64_t>((a % b != 0 && a < 0) ? q - 1 : q);
}

// Spans above this many pixels are handed to the painter in floating point, where the integer
// rectangle's width would not fit.
constexpr int64_t IntegerSpanLimit = int64_t{1} << 24;

} // namespace

TQtCanvas::TQtCanvas(QImage& Image)
    : FImage(Image), FPenQColor(ToQColor(FPenColor)), FBrushQColor(ToQColor(FBrushColor)) {}

TQtCanvas::~TQtCanvas() {
  Finish();
}

QColor TQtCanvas::ToQColor(int32_t Color) {
  const uint32_t packed = static_cast<uint32_t>(Color);
  return QColor(static_cast<int>(packed & 0xFF), static_cast<int>((packed >> 8) & 0xFF),
                static_cast<int>((packed >> 16) & 0xFF));
}

int32_t TQtCanvas::FromQColor(const QColor& Color) {
  return Color.red() | (Color.green() << 8) | (Color.blue() << 16);
}

void TQtCanvas::Finish() {
  if (FPainter.isActive())
    FPainter.end();
}

QPainter& TQtCanvas::Painter() {
  if (!FPainter.isActive()) {
    FPainter.begin(&FImage);
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    ApplyPen();
    ApplyBrush();
  }
  return FPainter;
}

void TQtCanvas::ApplyPen() {
  FPainter.setPen(QPen(FPenQColor, FPenWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
}

void TQtCanvas::ApplyBrush() {
  if (FBrushClear)
    FPainter.setBrush(Qt::NoBrush);
  else
    FPainter.setBrush(FBrushQColor);
}

void TQtCanvas::SetPenColor(int32_t Color) {
  FPenColor = Color;
  FPenQColor = ToQColor(Color);
  if (FPainter.isActive())
    ApplyPen();
}

void TQtCanvas::SetPenWidth(int32_t Width) {
  FPenWidth = std::max<int32_t>(1, Width);
  if (FPainter.isActive())
    ApplyPen();
}

void TQtCanvas::SetBrushColor(int32_t Color) {
  FBrushColor = Color;
  FBrushQColor = ToQColor(Color);
  FBrushClear = false;
  if (FPainter.isActive())
    ApplyBrush();
}

void TQtCanvas::SetBrushClear() {
  FBrushClear = true;
  if (FPainter.isActive())
    ApplyBrush();
}

void TQtCanvas::PenBlock(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2) {
  const int64_t before = (FPenWidth - 1) / 2; // pixels left of and above the pixel
  const int64_t after = FPenWidth - 1 - before;
  const int64_t left = std::max<int64_t>(0, X1 - before);
  const int64_t top = std::max<int64_t>(0, Y1 - before);
  const int64_t right = std::min<int64_t>(FImage.width(), X2 + after);
  const int64_t bottom = std::min<int64_t>(FImage.height(), Y2 + after);
  if (left >= right || top >= bottom)
    return;
  Painter().fillRect(QRect(static_cast<int>(left), static_cast<int>(top),
                           static_cast<int>(right - left), static_cast<int>(bottom - top)),
                     FPenQColor);
}

void TQtCanvas::Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (FImage.isNull())
    return;
  const int64_t dx = int64_t{X2} - X1;
  const int64_t dy = int64_t{Y2} - Y1;
  if (dx == 0 && dy == 0)
    return;
  // Walk the major axis one pixel at a time; the minor coordinate of step k is the exact one,
  // k * minorDelta / steps, rounded half up. Steps whose pen square misses the image are skipped
  // without walking them, so a line with far-away ends costs no more than one across the image.
  const bool xMajor = std::abs(dx) >= std::abs(dy);
  const int64_t steps = xMajor ? std::abs(dx) : std::abs(dy);
  const int64_t majorStart = xMajor ? X1 : Y1;
  const int64_t minorStart = xMajor ? Y1 : X1;
  const int64_t majorSign = (xMajor ? dx : dy) > 0 ? 1 : -1;
  const int64_t minorDelta = xMajor ? dy : dx;
  const int64_t extent = xMajor ? FImage.width() : FImage.height();
  const int64_t before = (FPenWidth - 1) / 2;
  const int64_t after = FPenWidth - 1 - before;
  // Major coordinates whose pen square reaches into the image: -after .. extent - 1 + before.
  const int64_t low = -after, high = extent - 1 + before;
  int64_t first, last; // range of k
  if (majorSign > 0) {
    first = std::max<int64_t>(0, low - majorStart);
    last = std::min<int64_t>(steps - 1, high - majorStart);
  } else {
    first = std::max<int64_t>(0, majorStart - high);
    last = std::min<int64_t>(steps - 1, majorStart - low);
  }
  // Runs of equal minor coordinate become one block each.
  int64_t runStart = 0, runEnd = 0, runMinor = 0;
  bool inRun = false;
  const auto flush = [&] {
    const int64_t lo = std::min(runStart, runEnd), hi = std::max(runStart, runEnd) + 1;
    if (xMajor)
      PenBlock(lo, runMinor, hi, runMinor + 1);
    else
      PenBlock(runMinor, lo, runMinor + 1, hi);
  };
  for (int64_t k = first; k <= last; ++k) {
    const int64_t major = majorStart + majorSign * k;
    const int64_t minor =
        minorStart + FloorDiv(__int128{2} * k * minorDelta + steps, __int128{2} * steps);
    if (inRun && minor == runMinor) {
      runEnd = major;
      continue;
    }
    if (inRun)
      flush();
    runStart = runEnd = major;
    runMinor = minor;
    inRun = true;
  }
  if (inRun)
    flush();
}

void TQtCanvas::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (FImage.isNull())
    return;
  const int64_t left = std::min(X1, X2), right = std::max(X1, X2);
  const int64_t top = std::min(Y1, Y2), bottom = std::max(Y1, Y2);
  if (left == right || top == bottom)
    return;
  if (!FBrushClear) {
    const int64_t l = std::max<int64_t>(0, left), t = std::max<int64_t>(0, top);
    const int64_t r = std::min<int64_t>(FImage.width(), right);
    const int64_t b = std::min<int64_t>(FImage.height(), bottom);
    if (l < r && t < b)
      Painter().fillRect(QRect(static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l),
                               static_cast<int>(b - t)),
                         FBrushQColor);
  }
  PenBlock(left, top, right, top + 1);
  PenBlock(left, bottom - 1, right, bottom);
  PenBlock(left, top, left + 1, bottom);
  PenBlock(right - 1, top, right, bottom);
}

void TQtCanvas::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (FImage.isNull())
    return;
  const int64_t left = std::min(X1, X2), right = std::max(X1, X2);
  const int64_t top = std::min(Y1, Y2), bottom = std::max(Y1, Y2);
  if (left == right || top == bottom)
    return;
  const int64_t margin = FPenWidth; // a wide outline reaches this far beyond the box
  if (right + margin <= 0 || bottom + margin <= 0 || left - margin >= FImage.width() ||
      top - margin >= FImage.height())
    return;
  // With a one-pixel pen the painter's integer ellipse of width w covers w + 1 columns, hence
  // the box one smaller than the covered span.
  const int64_t width = right - left - 1, height = bottom - top - 1;
  QPainter& painter = Painter();
  if (width <= IntegerSpanLimit && height <= IntegerSpanLimit &&
      std::abs(left) <= IntegerSpanLimit && std::abs(top) <= IntegerSpanLimit)
    painter.drawEllipse(QRect(static_cast<int>(left), static_cast<int>(top),
                              static_cast<int>(width), static_cast<int>(height)));
  else
    painter.drawEllipse(QRectF(static_cast<double>(left), static_cast<double>(top),
                               static_cast<double>(width), static_cast<double>(height)));
}

void TQtCanvas::Polygon(const TPoint* Points, int32_t Count) {
  if (FImage.isNull() || Points == nullptr || Count <= 0)
    return;
  FPoints.resize(static_cast<size_t>(Count));
  for (int32_t i = 0; i < Count; ++i)
    FPoints[static_cast<size_t>(i)] = QPoint(Points[i].X, Points[i].Y);
  Painter().drawPolygon(FPoints.data(), Count);
}
