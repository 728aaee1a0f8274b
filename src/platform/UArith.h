#pragma once

#include <cstdint>

// Checked arithmetic shared by the whole simulation: nothing wraps, nothing is truncated silently.

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4). Raises
// ERangeError when the result does not fit a 32-bit integer, and for NaN and infinities.
int32_t RoundToInt32(double x);
int32_t RoundToInt32(long double x);

// Integer sums and products that raise ERangeError instead of overflowing.
int32_t CheckedAdd(int32_t a, int32_t b);
int64_t CheckedAdd(int64_t a, int64_t b);
int32_t CheckedMul(int32_t a, int32_t b);

// Raises ERangeError with the list's own message when index is outside 0 .. count - 1.
void CheckListIndex(int64_t index, int64_t count);
