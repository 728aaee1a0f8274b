#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/UCanvas.h"
#include "platform/UPicture.h"

// A canvas that draws nothing and writes down every call, e.g. "Line 1 2 3 4", "Pen 255".
class TRecordingCanvas : public TCanvas {
public:
  std::vector<std::string> Calls;
  void SetPenColor(int32_t Color) override;
  void SetPenWidth(int32_t Width) override;
  void SetBrushColor(int32_t Color) override;
  void SetBrushClear() override;
  void Polygon(const TPoint* Points, int32_t Count) override;
  void Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void Ellipse(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
};

// A picture in memory for the core's tests: pixels set by hand, drawing recorded, not rendered.
class TTestPicture : public TPicture {
public:
  // All pixels of the given colour (white by default).
  TTestPicture(int32_t Width, int32_t Height, int32_t Color = 0xFFFFFF);
  // A white picture with a black frame of the given thickness: an open road with walls.
  static std::unique_ptr<TTestPicture> OpenRoad(int32_t Width, int32_t Height, int32_t Border);

  int32_t Width() const override { return FWidth; }
  int32_t Height() const override { return FHeight; }
  int32_t Pixel(int32_t X, int32_t Y) const override;
  void SetPixel(int32_t X, int32_t Y, int32_t Color);
  // Pixels X1 .. X2 - 1 by Y1 .. Y2 - 1.
  void FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Color);
  void CopyFrom(const TPicture& Source) override;
  std::unique_ptr<TPicture> Clone() const override;
  TCanvas& Canvas() override { return FCanvas; }
  TRecordingCanvas& Recorder() { return FCanvas; }

private:
  int32_t FWidth;
  int32_t FHeight;
  std::vector<int32_t> FPixels; // row by row
  TRecordingCanvas FCanvas;
};
