// The program's own sine, cosine and logarithm for futures side by side: the templates of
// UMath-inl.h with a vector of lanes as the number, once per instruction set. Lane code includes
// this after "hwy/highway.h", outside any namespace, and calls NMath::SinCosOf<NMath::TLaneOps>,
// NMath::LogOf<...> and NMath::GaussianOf<...> from within HWY_NAMESPACE.

// Once per instruction set, as Highway includes its users once per instruction set.
#if defined(KARTSIM_PLATFORM_LANE_MATH_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef KARTSIM_PLATFORM_LANE_MATH_INL_H_
#undef KARTSIM_PLATFORM_LANE_MATH_INL_H_
#else
#define KARTSIM_PLATFORM_LANE_MATH_INL_H_
#endif

#include <cstdint>

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE {
namespace NMath {

// The lanes of one vector of D, doubles.
template <class D> struct TLaneOpsFor {
  using DU = hwy::HWY_NAMESPACE::RebindToUnsigned<D>;
  using T = hwy::HWY_NAMESPACE::Vec<D>;
  using M = hwy::HWY_NAMESPACE::Mask<D>;
  using U = hwy::HWY_NAMESPACE::Vec<DU>;

  static T Set(double C) { return hwy::HWY_NAMESPACE::Set(D(), C); }
  static U SetBits(uint64_t C) { return hwy::HWY_NAMESPACE::Set(DU(), C); }
  static T Neg(T X) { return hwy::HWY_NAMESPACE::Neg(X); }
  static T Sqrt(T X) { return hwy::HWY_NAMESPACE::Sqrt(X); }
  static T Select(M Yes, T A, T B) { return hwy::HWY_NAMESPACE::IfThenElse(Yes, A, B); }
  static U Bits(T X) { return hwy::HWY_NAMESPACE::BitCast(DU(), X); }
  static M BitSet(U X, uint64_t Bit) {
    return hwy::HWY_NAMESPACE::RebindMask(D(), hwy::HWY_NAMESPACE::TestBit(X, SetBits(Bit)));
  }
  static M Odd(T Shifted) { return BitSet(Bits(Shifted), 1); }
  static M SinNegative(T Shifted) { return BitSet(Bits(Shifted), 2); }
  static M CosNegative(T Shifted) { return BitSet(Bits(Shifted) + SetBits(1), 2); }
  static T SplitExponent(T X, T& K) {
    namespace hn = hwy::HWY_NAMESPACE;
    const U u = Bits(X) + SetBits(0x3ff0000000000000ull - 0x3fe6a09e00000000ull);
    K = hn::BitCast(D(), hn::Or(hn::ShiftRight<52>(u), SetBits(0x4330000000000000ull))) -
        Set(0x1p52 + 1023);
    return hn::BitCast(D(),
                       hn::And(u, SetBits(0x000fffffffffffffull)) + SetBits(0x3fe6a09e00000000ull));
  }
};

// The widest vector of doubles of the instruction set.
using TLaneOps = TLaneOpsFor<hwy::HWY_NAMESPACE::ScalableTag<double>>;

#include "platform/UMath-inl.h"

} // namespace NMath
} // namespace HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif
