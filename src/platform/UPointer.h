#pragma once

#include <cstdint>

// The mouse pointer, as the window sees it, converted to pixels of the displayed picture (the
// window stretches the picture, so it does the conversion).
class TPointer {
public:
  virtual ~TPointer() = default;
  virtual int32_t X() const = 0;
  virtual int32_t Y() const = 0;
};
