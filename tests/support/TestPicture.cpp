#include "support/TestPicture.h"

#include <sstream>
#include <stdexcept>

void TRecordingCanvas::SetPenColor(int32_t Color) {
  Calls.push_back("Pen " + std::to_string(Color));
}

void TRecordingCanvas::SetPenWidth(int32_t Width) {
  Calls.push_back("PenWidth " + std::to_string(Width));
}

void TRecordingCanvas::SetBrushColor(int32_t Color) {
  Calls.push_back("Brush " + std::to_string(Color));
}

void TRecordingCanvas::SetBrushClear() {
  Calls.push_back("BrushClear");
}

void TRecordingCanvas::Polygon(const TPoint* Points, int32_t Count) {
  std::ostringstream call;
  call << "Polygon";
  for (int32_t i = 0; i < Count; ++i)
    call << ' ' << Points[i].X << ' ' << Points[i].Y;
  Calls.push_back(call.str());
}

namespace {
std::string Four(const char* Name, int32_t A, int32_t B, int32_t C, int32_t D) {
  std::ostringstream call;
  call << Name << ' ' << A << ' ' << B << ' ' << C << ' ' << D;
  return call.str();
}
} // namespace

void TRecordingCanvas::Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Calls.push_back(Four("Line", X1, Y1, X2, Y2));
}

void TRecordingCanvas::Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Calls.push_back(Four("Rectangle", X1, Y1, X2, Y2));
}

void TRecordingCanvas::Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  Calls.push_back(Four("Ellipse", X1, Y1, X2, Y2));
}

TTestPicture::TTestPicture(int32_t Width, int32_t Height, int32_t Color)
    : FWidth(Width), FHeight(Height), FPixels(static_cast<size_t>(Width) * Height, Color) {}

std::unique_ptr<TTestPicture> TTestPicture::OpenRoad(int32_t Width, int32_t Height,
                                                     int32_t Border) {
  auto picture = std::make_unique<TTestPicture>(Width, Height, 0);
  picture->FillRect(Border, Border, Width - Border, Height - Border, 0xFFFFFF);
  return picture;
}

int32_t TTestPicture::Pixel(int32_t X, int32_t Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight)
    throw std::out_of_range("pixel outside the test picture");
  return FPixels[static_cast<size_t>(Y) * FWidth + X];
}

void TTestPicture::SetPixel(int32_t X, int32_t Y, int32_t Color) {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight)
    throw std::out_of_range("pixel outside the test picture");
  FPixels[static_cast<size_t>(Y) * FWidth + X] = Color;
}

void TTestPicture::FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Color) {
  for (int32_t y = Y1; y < Y2; ++y)
    for (int32_t x = X1; x < X2; ++x)
      SetPixel(x, y, Color);
}

void TTestPicture::CopyFrom(const TPicture& Source) {
  FWidth = Source.Width();
  FHeight = Source.Height();
  FPixels.resize(static_cast<size_t>(FWidth) * FHeight);
  for (int32_t y = 0; y < FHeight; ++y)
    for (int32_t x = 0; x < FWidth; ++x)
      FPixels[static_cast<size_t>(y) * FWidth + x] = Source.Pixel(x, y);
  FCanvas.Calls.clear();
}

std::unique_ptr<TPicture> TTestPicture::Clone() const {
  auto copy = std::make_unique<TTestPicture>(FWidth, FHeight);
  copy->FPixels = FPixels;
  return copy;
}
