#pragma once

#include <cmath>

// The arithmetic the vehicles' motion is written in, for one future at a time. The motion of a
// sub-step is written once, as a template over such a set of operations, and run both on plain
// doubles (one future) and on vectors of futures side by side (TLaneFutures): both then do the
// same operations in the same order, so that a future gives the same bits either way.
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
  static void SinCos(V X, V& Sin, V& Cos) {
    Sin = std::sin(X);
    Cos = std::cos(X);
  }
};

// Bounds of a parameter as TStateParam::SetValue applies them: only while Max > Min.
struct TMotionBounds {
  double Min = 0;
  double Max = 0;
};

// std::max(A, B) and std::min(A, B).
template <class O> typename O::V MotionMax(typename O::V A, typename O::V B) {
  return O::Select(O::Lt(A, B), B, A);
}
template <class O> typename O::V MotionMin(typename O::V A, typename O::V B) {
  return O::Select(O::Lt(B, A), B, A);
}
// std::clamp(X, Lo, Hi).
template <class O> typename O::V MotionClamp(typename O::V X, double Lo, double Hi) {
  const typename O::V lo = O::Set(Lo), hi = O::Set(Hi);
  return O::Select(O::Lt(X, lo), lo, O::Select(O::Lt(hi, X), hi, X));
}
// What SetValue stores.
template <class O> typename O::V MotionBound(typename O::V X, const TMotionBounds& B) {
  if (!(B.Max > B.Min))
    return X;
  const typename O::V lo = O::Set(B.Min), hi = O::Set(B.Max);
  return O::Select(O::Lt(X, lo), lo, O::Select(O::Gt(X, hi), hi, X));
}
// 1, -1 or 0 by the sign of X (0 for NaN).
template <class O> typename O::V MotionSign(typename O::V X) {
  const typename O::V zero = O::Set(0);
  return O::Select(O::Gt(X, zero), O::Set(1), O::Select(O::Lt(X, zero), O::Set(-1), zero));
}
