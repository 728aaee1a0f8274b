#include "platform/UArith.h"

#include <cmath>
#include <string>

#include "platform/UErrors.h"

namespace {

[[noreturn]] void RaiseRange() {
  throw ERangeError("Range check error");
}
[[noreturn]] void RaiseOverflow() {
  throw ERangeError("Integer overflow");
}

} // namespace

int32_t RoundToInt32(double x) {
  // Exactly the values that round into the 32-bit range, halves to even: -2^31 - 0.5 rounds up
  // to -2^31, 2^31 - 0.5 rounds up to 2^31. NaN fails the test too.
  if (!(x >= -2147483648.5 && x < 2147483647.5))
    RaiseRange();
  // lrint rounds in the current mode, which is to-nearest-even and never changed by this program;
  // it compiles to one instruction.
  return static_cast<int32_t>(std::lrint(x));
}

int32_t RoundToInt32(long double x) {
  // Off the hot path; checked on the rounded value, which NaN fails as well.
  const long double r = std::nearbyintl(x);
  if (!(r >= -2147483648.0L && r <= 2147483647.0L))
    RaiseRange();
  return static_cast<int32_t>(r);
}

int32_t CheckedAdd(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_add_overflow(a, b, &r))
    RaiseOverflow();
  return r;
}

int64_t CheckedAdd(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_add_overflow(a, b, &r))
    RaiseOverflow();
  return r;
}

int32_t CheckedMul(int32_t a, int32_t b) {
  int32_t r;
  if (__builtin_mul_overflow(a, b, &r))
    RaiseOverflow();
  return r;
}

void CheckListIndex(int64_t index, int64_t count) {
  if (index < 0 || index >= count)
    throw ERangeError("List index out of bounds (" + std::to_string(index) + ")");
}
