// Compiled once per instruction set by Highway; the best one the processor runs is chosen when
// first called.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "world/ULaneKernels.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep

#include "hwy/highway.h"
#include "platform/ULaneMath-inl.h"
#include "world/ULaneKernels.h"

HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE {
namespace {

namespace hn = hwy::HWY_NAMESPACE;
using D = hn::ScalableTag<double>;

// The motion's operations (UMotionOps.h) on a vector of lanes.
struct TVectorOps {
  using V = hn::Vec<D>;
  using M = hn::Mask<D>;
  static V Set(double X) { return hn::Set(D(), X); }
  static M Lt(V A, V B) { return hn::Lt(A, B); }
  static M Gt(V A, V B) { return hn::Gt(A, B); }
  static M Eq(V A, V B) { return hn::Eq(A, B); }
  static M And(M A, M B) { return hn::And(A, B); }
  static M AndNot(M A, M B) { return hn::AndNot(A, B); }
  static M Or(M A, M B) { return hn::Or(A, B); }
  static V Select(M Mask, V Yes, V No) { return hn::IfThenElse(Mask, Yes, No); }
  static V Abs(V X) { return hn::Abs(X); }
  static V Sqrt(V X) { return hn::Sqrt(X); }
  static void SinCos(V X, V& Sin, V& Cos) { NMath::SinCosOf<NMath::TLaneOps>(X, Sin, Cos); }
};
using V = TVectorOps::V;

#include "agents/UMotion-inl.h"

V Load(const double* Row, size_t I) {
  return hn::LoadU(D(), Row + I);
}
void Store(V X, double* Row, size_t I) {
  hn::StoreU(X, D(), Row + I);
}

void AdvanceKartLanesImpl(TBodyLanes& L, const TKartConstants& C) {
  for (size_t i = 0; i < TBodyLanes::Lanes; i += hn::Lanes(D())) {
    TKartMotion<TVectorOps> k;
    k.Turn = Load(L.F[bfControl1], i);
    k.Power = Load(L.F[bfControl2], i);
    k.PushTurn = Load(L.F[bfPush1], i);
    k.PushPower = Load(L.F[bfPush2], i);
    k.Angle = Load(L.F[bfAngle], i);
    k.VelX = Load(L.F[bfVelX], i);
    k.VelY = Load(L.F[bfVelY], i);
    k.PosX = Load(L.F[bfPosX], i);
    k.PosY = Load(L.F[bfPosY], i);
    k.Energy = Load(L.F[bfEnergy], i);
    k.Dead = Load(L.F[bfDead], i);
    k.DeathTime = Load(L.DeathTime, i);
    k.Cos0 = Load(L.Cos, i);
    k.Sin0 = Load(L.Sin, i);
    AdvanceKart(k, C);
    Store(k.Turn, L.F[bfControl1], i);
    Store(k.Power, L.F[bfControl2], i);
    Store(k.Angle, L.F[bfAngle], i);
    Store(k.VelX, L.F[bfVelX], i);
    Store(k.VelY, L.F[bfVelY], i);
    Store(k.PosX, L.F[bfPosX], i);
    Store(k.PosY, L.F[bfPosY], i);
    Store(k.Energy, L.F[bfEnergy], i);
    Store(k.Dead, L.F[bfDead], i);
    Store(k.DeathTime, L.DeathTime, i);
    Store(k.Cos1, L.Cos, i);
    Store(k.Sin1, L.Sin, i);
  }
}

void AdvanceRocketLanesImpl(TBodyLanes& L, const TRocketConstants& C) {
  for (size_t i = 0; i < TBodyLanes::Lanes; i += hn::Lanes(D())) {
    TRocketMotion<TVectorOps> r;
    r.Main = Load(L.F[bfControl1], i);
    r.Rota = Load(L.F[bfControl2], i);
    r.MainPush = Load(L.F[bfPush1], i);
    r.RotaPush = Load(L.F[bfPush2], i);
    r.Angle = Load(L.F[bfAngle], i);
    r.VelX = Load(L.F[bfVelX], i);
    r.VelY = Load(L.F[bfVelY], i);
    r.VelRot = Load(L.F[bfVelRot], i);
    r.PosX = Load(L.F[bfPosX], i);
    r.PosY = Load(L.F[bfPosY], i);
    r.Energy = Load(L.F[bfEnergy], i);
    r.Dead = Load(L.F[bfDead], i);
    r.Cos0 = Load(L.Cos, i);
    r.Sin0 = Load(L.Sin, i);
    AdvanceRocket(r, C);
    Store(r.Main, L.F[bfControl1], i);
    Store(r.Rota, L.F[bfControl2], i);
    Store(r.Angle, L.F[bfAngle], i);
    Store(r.VelX, L.F[bfVelX], i);
    Store(r.VelY, L.F[bfVelY], i);
    Store(r.VelRot, L.F[bfVelRot], i);
    Store(r.PosX, L.F[bfPosX], i);
    Store(r.PosY, L.F[bfPosY], i);
    Store(r.Energy, L.F[bfEnergy], i);
    Store(r.Cos1, L.Cos, i);
    Store(r.Sin1, L.Sin, i);
  }
}

void ContactLanesImpl(const TBodyLanes& L, const double* UnitX, const double* UnitY,
                      int32_t Vertices, const TRoadView& Road, TLaneContact& Contact) {
  const D d;
  const hn::RebindToSigned<D> di;
  const hn::RebindToUnsigned<D> du;
  const V zero = hn::Zero(d);
  const V width = hn::Set(d, Road.Width), height = hn::Set(d, Road.Height);
  const V low = hn::Set(d, -2147483648.0), high = hn::Set(d, 2147483647.0);
  const size_t n = hn::Lanes(d);
  for (size_t i = 0; i < TBodyLanes::Lanes; i += n) {
    const V x = Load(L.F[bfPosX], i), y = Load(L.F[bfPosY], i), size = Load(L.F[bfSize], i);
    const V c = Load(L.Cos, i) * size, sn = Load(L.Sin, i) * size;
    auto rounded = hn::Eq(zero, zero), onRoad = rounded, inside = rounded;
    for (int32_t v = 0; v < Vertices; ++v) {
      const V ux = hn::Set(d, UnitX[v]), uy = hn::Set(d, UnitY[v]);
      // As the outline is rounded: to the nearest integer, halves to the even one.
      const V px = hn::Round(x + c * ux - sn * uy);
      const V py = hn::Round(y + sn * ux + c * uy);
      rounded = hn::And(rounded, hn::And(hn::And(hn::Ge(px, low), hn::Le(px, high)),
                                         hn::And(hn::Ge(py, low), hn::Le(py, high))));
      const auto in = hn::And(hn::And(hn::Gt(px, zero), hn::Lt(px, width)),
                              hn::And(hn::Gt(py, zero), hn::Lt(py, height)));
      inside = hn::And(inside, in);
      if (Road.Bits == nullptr) { // no circuit: no road
        onRoad = hn::And(onRoad, in);
        continue;
      }
      // The pixel's bit, looked up where the pixel is in the picture (exact: below 2^53).
      const auto bit = hn::ConvertTo(di, hn::IfThenElseZero(in, px * height + py));
      const auto word = hn::GatherIndex(du, Road.Bits, hn::ShiftRight<6>(bit));
      const auto shift = hn::BitCast(du, hn::And(bit, hn::Set(di, 63)));
      const auto off = hn::And((word >> shift), hn::Set(du, 1));
      onRoad = hn::And(onRoad, hn::And(in, hn::RebindMask(d, hn::Eq(off, hn::Zero(du)))));
    }
    alignas(64) double r[TBodyLanes::Lanes], o[TBodyLanes::Lanes], s[TBodyLanes::Lanes];
    hn::Store(hn::IfThenElseZero(rounded, hn::Set(d, 1)), d, r);
    hn::Store(hn::IfThenElseZero(onRoad, hn::Set(d, 1)), d, o);
    hn::Store(hn::IfThenElseZero(inside, hn::Set(d, 1)), d, s);
    for (size_t k = 0; k < n; ++k) {
      Contact.Rounded[i + k] = r[k] != 0;
      Contact.OnRoad[i + k] = o[k] != 0;
      Contact.Inside[i + k] = s[k] != 0;
    }
  }
}

} // namespace
} // namespace HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace {
HWY_EXPORT(AdvanceKartLanesImpl);
HWY_EXPORT(AdvanceRocketLanesImpl);
HWY_EXPORT(ContactLanesImpl);
} // namespace

void AdvanceKartLanes(TBodyLanes& Lanes, const TKartConstants& Constants) {
  HWY_DYNAMIC_DISPATCH(AdvanceKartLanesImpl)(Lanes, Constants);
}

void AdvanceRocketLanes(TBodyLanes& Lanes, const TRocketConstants& Constants) {
  HWY_DYNAMIC_DISPATCH(AdvanceRocketLanesImpl)(Lanes, Constants);
}

void ContactLanes(const TBodyLanes& Lanes, const double* UnitX, const double* UnitY,
                  int32_t Vertices, const TRoadView& Road, TLaneContact& Contact) {
  HWY_DYNAMIC_DISPATCH(ContactLanesImpl)(Lanes, UnitX, UnitY, Vertices, Road, Contact);
}
#endif
