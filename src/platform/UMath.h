#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

// The program's own sine, cosine and logarithm, for the simulation's numbers. Unlike the
// library's, they give the same bits as the futures' lanes (ULaneMath.h) on every processor, so a
// seed gives the same run however the futures are run. Accurate to a couple of ulp: Sin, Cos and
// SinCos for |X| up to about 1.6e6 radians, Log for positive, finite, normal X. Drawing may stay
// on the library's.

namespace NMath {

// One future at a time: a lane is a double.
struct TScalarOps {
  using T = double;
  using M = bool;
  static double Set(double C) { return C; }
  static double Neg(double X) { return -X; }
  static double Sqrt(double X) { return std::sqrt(X); }
  static double Select(bool Yes, double A, double B) { return Yes ? A : B; }
  static uint64_t Bits(double X) { return std::bit_cast<uint64_t>(X); }
  static bool Odd(double Shifted) { return (Bits(Shifted) & 1) != 0; }
  static bool SinNegative(double Shifted) { return (Bits(Shifted) & 2) != 0; }
  static bool CosNegative(double Shifted) { return ((Bits(Shifted) + 1) & 2) != 0; }
  static double SplitExponent(double X, double& K) {
    // Moves the mantissa's range from [1, 2) to [sqrt(1/2), sqrt(2)) by an offset to the bits.
    const uint64_t u = Bits(X) + (0x3ff0000000000000ull - 0x3fe6a09e00000000ull);
    K = std::bit_cast<double>((u >> 52) | 0x4330000000000000ull) - (0x1p52 + 1023);
    return std::bit_cast<double>((u & 0x000fffffffffffffull) + 0x3fe6a09e00000000ull);
  }
};

#include "platform/UMath-inl.h"

} // namespace NMath

inline void SinCos(double X, double& Sin, double& Cos) {
  NMath::SinCosOf<NMath::TScalarOps>(X, Sin, Cos);
}
inline double Sin(double X) {
  double s, c;
  SinCos(X, s, c);
  return s;
}
inline double Cos(double X) {
  double s, c;
  SinCos(X, s, c);
  return c;
}
inline double Log(double X) {
  return NMath::LogOf<NMath::TScalarOps>(X);
}

// A standard normal value from two uniform values in [0, 1), drawn in that order: exactly two
// draws per value, the same formula as in the lanes.
inline double GaussianFromUniforms(double U1, double U2) {
  return NMath::GaussianOf<NMath::TScalarOps>(U1, U2);
}
