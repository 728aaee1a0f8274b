#include "platform/ULaneMath.h"

#include <algorithm>

// Built once per instruction set by Highway's default choice: for plain x86-64 with g++ 12, AVX3
// (AVX-512), AVX2, SSE4, SSSE3 and, as the fallback, SCALAR (one lane). Dispatch picks the best
// the processor runs.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "platform/ULaneMath.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep
#include "hwy/highway.h"
#include "platform/ULaneMath-inl.h"

HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
using NMath::TLaneOps;

namespace {

using D = hn::ScalableTag<double>;
constexpr size_t MaxLanes = HWY_MAX_BYTES / sizeof(double);

// The last N % Lanes values, padded to a whole vector with halves (a valid argument everywhere).
struct TTail {
  TTail(const double* From, size_t Count) {
    for (size_t j = 0; j < MaxLanes; ++j)
      Data[j] = j < Count ? From[j] : 0.5;
  }
  HWY_ALIGN double Data[MaxLanes];
};

} // namespace

void SinCosLanesOn(const double* X, double* Sin, double* Cos, size_t N) {
  const D d;
  const size_t lanes = hn::Lanes(d);
  size_t i = 0;
  for (; i + lanes <= N; i += lanes) {
    hn::Vec<D> s, c;
    NMath::SinCosOf<TLaneOps>(hn::LoadU(d, X + i), s, c);
    hn::StoreU(s, d, Sin + i);
    hn::StoreU(c, d, Cos + i);
  }
  if (i < N) {
    const TTail x(X + i, N - i);
    TTail s(nullptr, 0), c(nullptr, 0);
    SinCosLanesOn(x.Data, s.Data, c.Data, lanes);
    std::copy(s.Data, s.Data + (N - i), Sin + i);
    std::copy(c.Data, c.Data + (N - i), Cos + i);
  }
}

void LogLanesOn(const double* X, double* Out, size_t N) {
  const D d;
  const size_t lanes = hn::Lanes(d);
  size_t i = 0;
  for (; i + lanes <= N; i += lanes)
    hn::StoreU(NMath::LogOf<TLaneOps>(hn::LoadU(d, X + i)), d, Out + i);
  if (i < N) {
    const TTail x(X + i, N - i);
    TTail out(nullptr, 0);
    LogLanesOn(x.Data, out.Data, lanes);
    std::copy(out.Data, out.Data + (N - i), Out + i);
  }
}

void GaussianLanesOn(const double* U1, const double* U2, double* Out, size_t N) {
  const D d;
  const size_t lanes = hn::Lanes(d);
  size_t i = 0;
  for (; i + lanes <= N; i += lanes)
    hn::StoreU(NMath::GaussianOf<TLaneOps>(hn::LoadU(d, U1 + i), hn::LoadU(d, U2 + i)), d, Out + i);
  if (i < N) {
    const TTail u1(U1 + i, N - i), u2(U2 + i, N - i);
    TTail out(nullptr, 0);
    GaussianLanesOn(u1.Data, u2.Data, out.Data, lanes);
    std::copy(out.Data, out.Data + (N - i), Out + i);
  }
}

int64_t LaneTargetOn() {
  return HWY_TARGET;
}

} // namespace HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE

HWY_EXPORT(SinCosLanesOn);
HWY_EXPORT(LogLanesOn);
HWY_EXPORT(GaussianLanesOn);
HWY_EXPORT(LaneTargetOn);

void SinCosLanes(const double* X, double* Sin, double* Cos, size_t N) {
  HWY_DYNAMIC_DISPATCH(SinCosLanesOn)(X, Sin, Cos, N);
}

void LogLanes(const double* X, double* Out, size_t N) {
  HWY_DYNAMIC_DISPATCH(LogLanesOn)(X, Out, N);
}

void GaussianLanes(const double* U1, const double* U2, double* Out, size_t N) {
  HWY_DYNAMIC_DISPATCH(GaussianLanesOn)(U1, U2, Out, N);
}

std::vector<int64_t> LaneTargets() {
  return hwy::SupportedAndGeneratedTargets();
}

std::string LaneTargetName(int64_t Target) {
  return hwy::TargetName(Target);
}

void RestrictLaneTargets(int64_t Target) {
  hwy::SetSupportedTargetsForTest(Target);
}

int64_t LaneTarget() {
  return HWY_DYNAMIC_DISPATCH(LaneTargetOn)();
}

#endif
