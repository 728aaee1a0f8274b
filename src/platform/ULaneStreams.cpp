#include "platform/ULaneStreams.h"

#include "platform/URandom.h"

// Built once per instruction set, as the lanes' maths (ULaneMath.cpp).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "platform/ULaneStreams.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE {
namespace {

namespace hn = hwy::HWY_NAMESPACE;
using DU = hn::ScalableTag<uint64_t>;
using VU = hn::Vec<DU>;

template <int K> VU Rotl(VU X) {
  return hn::Or(hn::ShiftLeft<K>(X), hn::ShiftRight<64 - K>(X));
}

// xoshiro256**, as TRandom::NextBits, on a vector of streams: the multiplications by 5 and 9 are
// shifts and additions, which every instruction set has for 64-bit lanes.
void NextOn(uint64_t (&S)[4][TLaneStreams::Lanes], double* Out) {
  const DU du;
  const hn::RebindToSigned<DU> di;
  const hn::Rebind<double, DU> dd;
  for (size_t i = 0; i < TLaneStreams::Lanes; i += hn::Lanes(du)) {
    VU s0 = hn::LoadU(du, S[0] + i), s1 = hn::LoadU(du, S[1] + i);
    VU s2 = hn::LoadU(du, S[2] + i), s3 = hn::LoadU(du, S[3] + i);
    const VU times5 = hn::Add(hn::ShiftLeft<2>(s1), s1);
    const VU r = Rotl<7>(times5);
    const VU result = hn::Add(hn::ShiftLeft<3>(r), r);
    const VU t = hn::ShiftLeft<17>(s1);
    s2 = hn::Xor(s2, s0);
    s3 = hn::Xor(s3, s1);
    s1 = hn::Xor(s1, s2);
    s0 = hn::Xor(s0, s3);
    s2 = hn::Xor(s2, t);
    s3 = Rotl<45>(s3);
    hn::StoreU(s0, du, S[0] + i);
    hn::StoreU(s1, du, S[1] + i);
    hn::StoreU(s2, du, S[2] + i);
    hn::StoreU(s3, du, S[3] + i);
    // 53 random bits, exactly a double's, scaled to [0, 1).
    const auto bits = hn::BitCast(di, hn::ShiftRight<11>(result));
    hn::StoreU(hn::Mul(hn::ConvertTo(dd, bits), hn::Set(dd, 0x1.0p-53)), dd, Out + i);
  }
}

} // namespace
} // namespace HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace {
HWY_EXPORT(NextOn);
} // namespace

void TLaneStreams::Take(const TRandom* Streams) {
  for (int32_t l = 0; l < Lanes; ++l) {
    const TRandom::TState s = Streams[l].State();
    for (int32_t k = 0; k < 4; ++k)
      FS[k][l] = s[k];
  }
}

void TLaneStreams::Next(double* Out) {
  HWY_DYNAMIC_DISPATCH(NextOn)(FS, Out);
}
#endif
