#pragma once

#include <array>
#include <cmath>

#include "agents/UBodyLanes.h"
#include "platform/UMath.h"

// The arithmetic the vehicles' motion is written in, for one future at a time. The motion of a
// sub-step is written once, as a template over such a set of operations, and run both on plain
// doubles (one future) and on vectors of futures side by side (TLaneFutures): both then do the
// same operations in the same order, so that a future gives the same bits either way. The
// templates are in UMotion-inl.h.
//
// Conditions are masks and every branch is a selection, so that lanes never take different
// paths. The selections mirror the standard library's: Max and Min pick as std::max and std::min
// do, Clamp as std::clamp, so that NaNs travel as they do in plain code.
struct TScalarOps {
  using V = double;
  using M = bool;

  static V Set(double X) { return X; }
  static M Lt(V A, V B) { return A < B; }
  static M Gt(V A, V B) { return A > B; }
  static M Eq(V A, V B) { return A == B; }
  static M And(M A, M B) { return A && B; }
  static M AndNot(M A, M B) { return !A && B; } // B and not A
  static M Or(M A, M B) { return A || B; }
  static V Select(M Mask, V Yes, V No) { return Mask ? Yes : No; }
  static V Abs(V X) { return std::fabs(X); }
  static V Sqrt(V X) { return std::sqrt(X); }
  // The program's own, the same bits as the lanes' on every processor.
  static void SinCos(V X, V& Sin, V& Cos) { ::SinCos(X, Sin, Cos); }
};

// Bounds of a parameter as TParamValues::SetValue applies them: only while Max > Min.
struct TMotionBounds {
  double Min = 0;
  double Max = 0;
};
// The bounds of every field of a body (TBodyField).
using TBodyBounds = std::array<TMotionBounds, bfCount>;

// A body's values a sub-step of its motion reads and writes: its fields (TBodyField), the time of
// its death, and the cosine and sine of its heading at the start (Cos0, Sin0: the outline has them
// already) and at the end (Cos1, Sin1, for the outline).
template <class O> struct TBodyMotion {
  using V = typename O::V;
  V F[bfCount];
  V DeathTime, Cos0, Sin0, Cos1, Sin1;
};
