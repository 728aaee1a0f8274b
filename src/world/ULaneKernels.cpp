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

TBodyMotion<TVectorOps> LoadMotion(const TBodyLanes& L, size_t I) {
  TBodyMotion<TVectorOps> m;
  for (int32_t f = 0; f < bfCount; ++f)
    m.F[f] = Load(L.F[f], I);
  m.DeathTime = Load(L.DeathTime, I);
  m.Cos0 = Load(L.Cos, I);
  m.Sin0 = Load(L.Sin, I);
  return m;
}

void StoreMotion(const TBodyMotion<TVectorOps>& M, TBodyLanes& L, size_t I) {
  for (int32_t f = 0; f < bfCount; ++f)
    Store(M.F[f], L.F[f], I);
  Store(M.DeathTime, L.DeathTime, I);
  Store(M.Cos1, L.Cos, I);
  Store(M.Sin1, L.Sin, I);
}

void AdvanceKartLanesImpl(TBodyLanes& L, const TKartConstants& C) {
  for (size_t i = 0; i < TBodyLanes::Lanes; i += hn::Lanes(D())) {
    TBodyMotion<TVectorOps> m = LoadMotion(L, i);
    AdvanceKart(m, C);
    StoreMotion(m, L, i);
  }
}

void AdvanceRocketLanesImpl(TBodyLanes& L, const TRocketConstants& C) {
  for (size_t i = 0; i < TBodyLanes::Lanes; i += hn::Lanes(D())) {
    TBodyMotion<TVectorOps> m = LoadMotion(L, i);
    AdvanceRocket(m, C);
    StoreMotion(m, L, i);
  }
}

void RacingLanesImpl(const TBodyLanes& L, double Weight, bool Sooner, double* Gain) {
  const D d;
  const V w = hn::Set(d, Weight), zero = hn::Zero(d);
  for (size_t i = 0; i < TBodyLanes::Lanes; i += hn::Lanes(d)) {
    const V dx = Load(L.F[bfPosX], i) - Load(L.StartX, i);
    const V dy = Load(L.F[bfPosY], i) - Load(L.StartY, i);
    const V add = hn::Sqrt(dx * dx + dy * dy) / Load(L.F[bfSize], i);
    Store(Sooner ? hn::IfThenElse(hn::Ne(add, zero), add * w, add) : add, Gain, i);
  }
}

// What an outline finds on the road, for a vector of lanes: as TPlayer2D::UpdateContact (the
// off-road vertices' count and their exact positions' sums, in vertex order) and
// IsInsidePicture, with whether every vertex rounds to a 32-bit integer.
struct TLook {
  hn::Mask<D> Rounded, OnRoad, Inside;
  V Count, SumX, SumY;
};

struct TOutline {
  const double* UnitX;
  const double* UnitY;
  int32_t Vertices;
  const TRoadView* Road;
};

// Inlined where called, so that what it finds stays in registers.
HWY_INLINE TLook Look(const TOutline& O, V X, V Y, V Cos, V Sin, V Size) {
  const D d;
  const hn::RebindToSigned<D> di;
  const hn::RebindToUnsigned<D> du;
  const V zero = hn::Zero(d), one = hn::Set(d, 1);
  const V width = hn::Set(d, O.Road->Width), height = hn::Set(d, O.Road->Height);
  // As RebuildShape turns the outline: the heading's cosine and sine times the size.
  const V c = Cos * Size, sn = Sin * Size;
  auto inside = hn::Eq(zero, zero), onRoad = inside;
  V count = zero, sumX = zero, sumY = zero;
  for (int32_t v = 0; v < O.Vertices; ++v) {
    const V ux = hn::Set(d, O.UnitX[v]), uy = hn::Set(d, O.UnitY[v]);
    const V vx = X + c * ux - sn * uy;
    const V vy = Y + sn * ux + c * uy;
    // As the outline is rounded: to the nearest integer, halves to the even one.
    const V px = hn::Round(vx), py = hn::Round(vy);
    const auto in = hn::And(hn::And(hn::Gt(px, zero), hn::Lt(px, width)),
                            hn::And(hn::Gt(py, zero), hn::Lt(py, height)));
    inside = hn::And(inside, in);
    auto road = in;
    if (O.Road->Bits != nullptr) {
      // The pixel's bit, looked up where the pixel is in the picture (exact: below 2^53).
      const auto bit = hn::ConvertTo(di, hn::IfThenElseZero(in, px * height + py));
      const auto word = hn::GatherIndex(du, O.Road->Bits, hn::ShiftRight<6>(bit));
      const auto shift = hn::BitCast(du, hn::And(bit, hn::Set(di, 63)));
      const auto off = hn::And((word >> shift), hn::Set(du, 1));
      road = hn::And(in, hn::RebindMask(d, hn::Eq(off, hn::Zero(du))));
    }
    onRoad = hn::And(onRoad, road);
    // Adding nothing leaves a sum as it was: the off-road vertices are summed in their order.
    count = count + hn::IfThenZeroElse(road, one);
    sumX = sumX + hn::IfThenZeroElse(road, vx);
    sumY = sumY + hn::IfThenZeroElse(road, vy);
  }
  // A vertex inside the picture rounds to a 32-bit integer: only an outline that leaves the
  // picture need be tried against the integers' range.
  auto rounded = inside;
  if (!hn::AllTrue(d, inside)) {
    const V low = hn::Set(d, -2147483648.0), high = hn::Set(d, 2147483647.0);
    rounded = hn::Eq(zero, zero);
    for (int32_t v = 0; v < O.Vertices; ++v) {
      const V ux = hn::Set(d, O.UnitX[v]), uy = hn::Set(d, O.UnitY[v]);
      const V px = hn::Round(X + c * ux - sn * uy), py = hn::Round(Y + sn * ux + c * uy);
      rounded = hn::And(rounded, hn::And(hn::And(hn::Ge(px, low), hn::Le(px, high)),
                                         hn::And(hn::Ge(py, low), hn::Le(py, high))));
    }
  }
  return TLook{rounded, onRoad, inside, count, sumX, sumY};
}

// The lanes of M as bits, lane K of the vector at bit K.
uint32_t MaskBits(hn::Mask<D> M) {
  uint8_t bits[8] = {};
  hn::StoreMaskBits(D(), M, bits);
  return bits[0];
}

// The mask of the lanes of Bits from lane I on.
hn::Mask<D> MaskOf(uint32_t Bits, size_t I) {
  const D d;
  const uint8_t bits = static_cast<uint8_t>((Bits >> I) & ((1u << hn::Lanes(d)) - 1));
  return hn::LoadMaskBits(d, &bits);
}

// Mask M in place of the bits of its lanes, from lane I on.
void SetBits(uint32_t& Bits, hn::Mask<D> M, size_t I) {
  Bits = (Bits & ~(((1u << hn::Lanes(D())) - 1) << I)) | MaskBits(M) << I;
}

void ContactLanesImpl(const TBodyLanes& L, const TOutlineUnit& Unit, const TRoadView& Road,
                      TLaneContact& Contact) {
  const TOutline outline{Unit.X, Unit.Y, Unit.Vertices, &Road};
  for (size_t i = 0; i < TBodyLanes::Lanes; i += hn::Lanes(D())) {
    const TLook look = Look(outline, Load(L.F[bfPosX], i), Load(L.F[bfPosY], i), Load(L.Cos, i),
                            Load(L.Sin, i), Load(L.F[bfSize], i));
    SetBits(Contact.Rounded, look.Rounded, i);
    SetBits(Contact.OnRoad, look.OnRoad, i);
    SetBits(Contact.Inside, look.Inside, i);
    // Only a wall needs its contact point (WallLanes).
    if (!hn::AllTrue(D(), look.OnRoad)) {
      Store(look.SumX / look.Count, Contact.X, i);
      Store(look.SumY / look.Count, Contact.Y, i);
    }
  }
}

V Bound(V X, const TMotionBounds& B) {
  return MotionBound<TVectorOps>(X, B);
}

void WallLanesImpl(TBodyLanes& L, const TOutlineUnit& Unit, const TRoadView& Road,
                   const TWallConstants& C, TLaneContact& Contact) {
  const D d;
  const TOutline outline{Unit.X, Unit.Y, Unit.Vertices, &Road};
  const V zero = hn::Zero(d);
  for (size_t i = 0; i < TBodyLanes::Lanes; i += hn::Lanes(d)) {
    V x = Load(L.F[bfPosX], i), y = Load(L.F[bfPosY], i), angle = Load(L.F[bfAngle], i);
    V cos = Load(L.Cos, i), sin = Load(L.Sin, i);
    const V size = Load(L.F[bfSize], i);
    V savedX = Load(L.SavedX, i), savedY = Load(L.SavedY, i), savedAngle = Load(L.SavedAngle, i);
    const auto touched = hn::Not(MaskOf(Contact.OnRoad, i));
    if (hn::AllFalse(d, touched))
      continue;
    V contactX = Load(Contact.X, i), contactY = Load(Contact.Y, i);
    auto rounded = MaskOf(Contact.Rounded, i), inside = MaskOf(Contact.Inside, i);
    auto touching = touched;

    // MoveBy for the lanes in M, then UpdateContact as it leaves the body: a clear pose saved, a
    // fresh contact point where it touches.
    const auto moveAndLook = [&](hn::Mask<D> M, V DX, V DY, V DAngle) {
      if (hn::AllFalse(D(), M))
        return;
      x = hn::IfThenElse(M, Bound(x + DX, C.Bounds[bfPosX]), x);
      y = hn::IfThenElse(M, Bound(y + DY, C.Bounds[bfPosY]), y);
      const auto turns = hn::And(M, hn::Ne(DAngle, zero));
      angle = hn::IfThenElse(turns, Bound(angle + DAngle, C.Bounds[bfAngle]), angle);
      V s, c;
      TVectorOps::SinCos(angle, s, c);
      sin = hn::IfThenElse(turns, s, sin);
      cos = hn::IfThenElse(turns, c, cos);
      const TLook look = Look(outline, x, y, cos, sin, size);
      rounded = hn::And(rounded, hn::Or(hn::Not(M), look.Rounded));
      inside = hn::Or(hn::And(M, look.Inside), hn::AndNot(M, inside));
      const auto clear = hn::And(M, look.OnRoad);
      savedX = hn::IfThenElse(clear, x, savedX);
      savedY = hn::IfThenElse(clear, y, savedY);
      savedAngle = hn::IfThenElse(clear, angle, savedAngle);
      const auto hit = hn::AndNot(look.OnRoad, M);
      contactX = hn::IfThenElse(hit, look.SumX / look.Count, contactX);
      contactY = hn::IfThenElse(hit, look.SumY / look.Count, contactY);
      touching = hn::Or(hit, hn::AndNot(M, touching));
    };

    // Step back toward the last clear pose, a tenth at a time; without one, only bounce.
    const auto hasSaved = hn::And(hn::And(hn::Eq(savedX, savedX), hn::Eq(savedY, savedY)),
                                  hn::Eq(savedAngle, savedAngle));
    const auto stepping = hn::And(touched, hasSaved);
    const V tries = hn::Set(d, C.StepBackTries);
    const V mx = hn::IfThenElseZero(stepping, (savedX - x) / tries);
    const V my = hn::IfThenElseZero(stepping, (savedY - y) / tries);
    const V ma = hn::IfThenElseZero(stepping, (savedAngle - angle) / tries);
    auto looping = stepping, cleared = hn::Lt(zero, zero);
    for (int32_t k = 0; k < C.StepBackTries && !hn::AllFalse(d, looping); ++k) {
      moveAndLook(looping, mx, my, ma);
      const auto clear = hn::AndNot(touching, looping);
      cleared = hn::Or(cleared, clear);
      looping = hn::AndNot(clear, looping);
    }
    // Back to the last touching pose, with a fresh contact point to bounce from: a lane that came
    // clear is done stepping, so its step back waits here, for all of them at once.
    moveAndLook(cleared, hn::Neg(mx), hn::Neg(my), hn::Neg(ma));

    // The bounce off the contact point, as TPlayer2D::ResolveWallContact computes it.
    V vx = Load(L.F[bfVelX], i), vy = Load(L.F[bfVelY], i), w = Load(L.F[bfVelRot], i);
    const V rx = contactX - x, ry = contactY - y;
    const V dist = hn::Sqrt(rx * rx + ry * ry);
    const auto bounces = hn::And(touched, hn::Ne(dist, zero));
    const V nx = rx / dist, ny = ry / dist;
    const V ux = w * ry - vx;
    const V uy = hn::Neg(vy + w * rx);
    const V impact = hn::Sqrt(ux * ux + uy * uy);
    const V g = ux * nx + uy * ny;
    const V bounce = hn::Set(d, C.Bounce), two = hn::Set(d, 2);
    const V bx = Bound((vx + two * g * nx) * bounce, C.Bounds[bfVelX]);
    const V by = Bound((vy + two * g * ny) * bounce, C.Bounds[bfVelY]);
    const V bw =
        Bound(bounce * (nx * (uy - g * ry) - ny * (ux - g * rx)) / dist, C.Bounds[bfVelRot]);
    Store(hn::IfThenElse(bounces, bx, vx), L.F[bfVelX], i);
    Store(hn::IfThenElse(bounces, by, vy), L.F[bfVelY], i);
    Store(hn::IfThenElse(bounces, bw, w), L.F[bfVelRot], i);
    const auto moved =
        hn::And(bounces, hn::Or(hn::Or(hn::Ne(mx, zero), hn::Ne(my, zero)), hn::Ne(ma, zero)));
    moveAndLook(moved, mx, my, ma);

    // The kart's crash: (impact / 2)^2 of health, and death at none.
    const V health = Load(L.F[bfHealth], i), dead = Load(L.F[bfDead], i);
    const V half = impact / two;
    const V lowered =
        hn::IfThenElse(bounces, Bound(health - half * half, C.Bounds[bfHealth]), health);
    const auto dies =
        hn::And(hn::And(bounces, hn::Eq(lowered, zero)), hn::Not(hn::Gt(dead, hn::Set(d, 0.5))));
    Store(lowered, L.F[bfHealth], i);
    Store(hn::IfThenElse(dies, Bound(hn::Set(d, 1), C.Bounds[bfDead]), dead), L.F[bfDead], i);
    Store(hn::IfThenElse(dies, hn::Set(d, C.Time), Load(L.DeathTime, i)), L.DeathTime, i);

    Store(x, L.F[bfPosX], i);
    Store(y, L.F[bfPosY], i);
    Store(angle, L.F[bfAngle], i);
    Store(cos, L.Cos, i);
    Store(sin, L.Sin, i);
    Store(savedX, L.SavedX, i);
    Store(savedY, L.SavedY, i);
    Store(savedAngle, L.SavedAngle, i);
    SetBits(Contact.Rounded, rounded, i);
    SetBits(Contact.Inside, inside, i);
  }
}

int32_t TouchingPairsImpl(const TBodyLanes* Bodies, int32_t Count, TLanePair* Pairs) {
  const D d;
  int32_t found = 0;
  for (int32_t a = 0; a < Count; ++a) {
    const TBodyLanes& A = Bodies[a];
    for (int32_t b = a + 1; b < Count; ++b) {
      const TBodyLanes& B = Bodies[b];
      uint32_t lanes = 0;
      for (size_t i = 0; i < TBodyLanes::Lanes; i += hn::Lanes(d)) {
        const V ax = Load(A.F[bfPosX], i), ay = Load(A.F[bfPosY], i), as = Load(A.F[bfSize], i);
        const V bx = Load(B.F[bfPosX], i), by = Load(B.F[bfPosY], i), bs = Load(B.F[bfSize], i);
        const auto touch = hn::And(hn::And(hn::Ge(bx + bs, ax - as), hn::Le(bx - bs, ax + as)),
                                   hn::And(hn::Ge(by + bs, ay - as), hn::Le(by - bs, ay + as)));
        if (!hn::AllFalse(d, touch))
          lanes |= MaskBits(touch) << i;
      }
      if (lanes != 0)
        Pairs[found++] = {a, b, lanes, 0, 0};
    }
  }
  return found;
}

// The outline of a vector of lanes rounded to pixels, as TPlayer2D::RebuildShape makes it, with
// its edges as UpdateEdges makes them: vertex V of lane K at (X, Y)[V * N + K], edge V from it
// to the next vertex at (EX, EY)[V * N + K].
struct TRoundedOutline {
  static constexpr size_t Most = TOutlineUnit::MaxVertices * HWY_MAX_BYTES / sizeof(double);
  alignas(64) double X[Most];
  alignas(64) double Y[Most];
  alignas(64) double EX[Most];
  alignas(64) double EY[Most];
  int32_t Vertices;
};

// Returns the lanes where every vertex rounds to a 32-bit integer.
hn::Mask<D> RoundOutline(const TOutlineUnit& U, const TBodyLanes& L, size_t I, TRoundedOutline& O) {
  const D d;
  const size_t n = hn::Lanes(d);
  const V low = hn::Set(d, -2147483648.0), high = hn::Set(d, 2147483647.0);
  const V x = Load(L.F[bfPosX], I), y = Load(L.F[bfPosY], I), size = Load(L.F[bfSize], I);
  const V c = Load(L.Cos, I) * size, sn = Load(L.Sin, I) * size;
  auto rounded = hn::Eq(hn::Zero(d), hn::Zero(d));
  O.Vertices = U.Vertices;
  for (int32_t v = 0; v < U.Vertices; ++v) {
    const V ux = hn::Set(d, U.X[v]), uy = hn::Set(d, U.Y[v]);
    const V px = hn::Round(x + c * ux - sn * uy);
    const V py = hn::Round(y + sn * ux + c * uy);
    rounded = hn::And(rounded, hn::And(hn::And(hn::Ge(px, low), hn::Le(px, high)),
                                       hn::And(hn::Ge(py, low), hn::Le(py, high))));
    hn::Store(px, d, O.X + v * n);
    hn::Store(py, d, O.Y + v * n);
  }
  for (int32_t v = 0; v < U.Vertices; ++v) {
    const size_t w = v + 1 < U.Vertices ? v + 1 : 0;
    hn::Store(hn::Load(d, O.X + w * n) - hn::Load(d, O.X + v * n), d, O.EX + v * n);
    hn::Store(hn::Load(d, O.Y + w * n) - hn::Load(d, O.Y + v * n), d, O.EY + v * n);
  }
  return rounded;
}

// Whether outline A holds any vertex of outline B, as TPlayer2D::ContainsPoint finds a point
// held: on one side of every edge it is not on.
hn::Mask<D> HoldsAny(const TRoundedOutline& A, const TRoundedOutline& B) {
  const D d;
  const size_t n = hn::Lanes(d);
  const V zero = hn::Zero(d);
  auto any = hn::Lt(zero, zero);
  for (int32_t p = 0; p < B.Vertices; ++p) {
    const V x = hn::Load(d, B.X + p * n), y = hn::Load(d, B.Y + p * n);
    auto left = hn::Lt(zero, zero), right = left;
    for (int32_t v = 0; v < A.Vertices; ++v) {
      const V s = (x - hn::Load(d, A.X + v * n)) * hn::Load(d, A.EY + v * n) -
                  (y - hn::Load(d, A.Y + v * n)) * hn::Load(d, A.EX + v * n);
      left = hn::Or(left, hn::Gt(s, zero));
      right = hn::Or(right, hn::Lt(s, zero));
    }
    any = hn::Or(any, hn::Not(hn::And(left, right)));
  }
  return any;
}

uint32_t CollidingLanesImpl(const TBodyLanes& I, const TOutlineUnit& UnitI, const TBodyLanes& J,
                            const TOutlineUnit& UnitJ, TLanePair& Pair) {
  const D d;
  TRoundedOutline outlineI, outlineJ;
  uint32_t rounded = 0, hitI = 0, hitJ = 0;
  for (size_t i = 0; i < TBodyLanes::Lanes; i += hn::Lanes(d)) {
    if ((Pair.Lanes >> i & ((1u << hn::Lanes(d)) - 1)) == 0)
      continue;
    const auto ok =
        hn::And(RoundOutline(UnitI, I, i, outlineI), RoundOutline(UnitJ, J, i, outlineJ));
    const auto inI = HoldsAny(outlineI, outlineJ);
    const auto inJ = hn::AndNot(inI, HoldsAny(outlineJ, outlineI));
    rounded |= MaskBits(ok) << i;
    hitI |= MaskBits(inI) << i;
    hitJ |= MaskBits(inJ) << i;
  }
  Pair.HitI = hitI & Pair.Lanes;
  Pair.HitJ = hitJ & Pair.Lanes;
  return rounded;
}

} // namespace
} // namespace HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace {
HWY_EXPORT(AdvanceKartLanesImpl);
HWY_EXPORT(AdvanceRocketLanesImpl);
HWY_EXPORT(RacingLanesImpl);
HWY_EXPORT(ContactLanesImpl);
HWY_EXPORT(WallLanesImpl);
HWY_EXPORT(TouchingPairsImpl);
HWY_EXPORT(CollidingLanesImpl);
} // namespace

void AdvanceKartLanes(TBodyLanes& Lanes, const TKartConstants& Constants) {
  HWY_DYNAMIC_DISPATCH(AdvanceKartLanesImpl)(Lanes, Constants);
}

void AdvanceRocketLanes(TBodyLanes& Lanes, const TRocketConstants& Constants) {
  HWY_DYNAMIC_DISPATCH(AdvanceRocketLanesImpl)(Lanes, Constants);
}

void RacingLanes(const TBodyLanes& Lanes, double Weight, bool Sooner, double* Gain) {
  HWY_DYNAMIC_DISPATCH(RacingLanesImpl)(Lanes, Weight, Sooner, Gain);
}

void ContactLanes(const TBodyLanes& Lanes, const TOutlineUnit& Unit, const TRoadView& Road,
                  TLaneContact& Contact) {
  HWY_DYNAMIC_DISPATCH(ContactLanesImpl)(Lanes, Unit, Road, Contact);
}
#endif

#if HWY_ONCE
void WallLanes(TBodyLanes& Lanes, const TOutlineUnit& Unit, const TRoadView& Road,
               const TWallConstants& Constants, TLaneContact& Contact) {
  HWY_DYNAMIC_DISPATCH(WallLanesImpl)(Lanes, Unit, Road, Constants, Contact);
}
#endif

#if HWY_ONCE
int32_t TouchingPairs(const TBodyLanes* Bodies, int32_t Count, TLanePair* Pairs) {
  return HWY_DYNAMIC_DISPATCH(TouchingPairsImpl)(Bodies, Count, Pairs);
}

uint32_t CollidingLanes(const TBodyLanes& I, const TOutlineUnit& UnitI, const TBodyLanes& J,
                        const TOutlineUnit& UnitJ, TLanePair& Pair) {
  return HWY_DYNAMIC_DISPATCH(CollidingLanesImpl)(I, UnitI, J, UnitJ, Pair);
}
#endif
