#pragma once

#include <cstdint>
#include <memory>

class TCanvas;

// A picture the world reads its circuit from and draws on. Implemented outside the simulation
// (a Qt image for the window and the batch runner, a plain buffer in tests).
class TPicture {
public:
  virtual ~TPicture() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  // Packed colour (red in the low byte) of the pixel at (x, y), which must lie in the picture.
  virtual int32_t Pixel(int32_t x, int32_t y) const = 0;
  // Replaces the whole content (and size) with that of another picture.
  virtual void CopyFrom(const TPicture& source) = 0;
  // A new picture of the same kind with the same content.
  virtual std::unique_ptr<TPicture> Clone() const = 0;
  virtual TCanvas& Canvas() = 0;
};
