#pragma once

#include "agents/UMotionOps.h"

// One sub-step of a kart's own motion: controls, drive, friction, energy, steering, integration.
// Written once over a set of operations (UMotionOps.h), so that one future (TKart::Advance) and
// futures side by side (TLaneFutures) move alike, bit for bit.
//
// Units: pixels, seconds, radians; velocities in pixels per second; energy in percent.

// What stays the same for every future of a sub-step.
struct TKartConstants {
  double Dt = 0;    // sub-step, seconds
  double Mu = 0;    // rolling friction of the world
  double Sigma = 0; // side friction of the world
  double Time = 0;  // the future's clock after this sub-step, milliseconds (the time of a death)
  // Every value goes through its parameter's bounds as SetValue would take it.
  TMotionBounds Turn, Power, Energy, Dead, Angle, VelX, VelY, PosX, PosY;
};

// The kart's values the sub-step reads and writes. Cos0 and Sin0: of Angle at the start (the
// outline has them already); Cos1 and Sin1: of Angle at the end, for the outline.
template <class O> struct TKartMotion {
  using V = typename O::V;
  V Turn, Power, PushTurn, PushPower, Angle, VelX, VelY, PosX, PosY, Energy, Dead, DeathTime;
  V Cos0, Sin0, Cos1, Sin1;
};

template <class O> void AdvanceKart(TKartMotion<O>& K, const TKartConstants& C) {
  using V = typename O::V;
  // Energy a kart uses per second even at rest.
  constexpr double BaseConsumption = 0.05;
  const double dt = C.Dt;
  const double h = dt * dt / 2;
  const V zero = O::Set(0);
  const V vdt = O::Set(dt);

  // Controls: the decision sets how fast they change, the bounds keep them in range.
  const auto dead = O::Gt(K.Dead, O::Set(0.5));
  K.Power = O::Select(dead, MotionBound<O>(zero, C.Power),
                      MotionBound<O>(K.Power + K.PushPower * vdt, C.Power));
  K.Turn = O::Select(dead, K.Turn, MotionBound<O>(K.Turn + K.PushTurn * vdt, C.Turn));

  // Velocity split at the heading into a forward and a side part.
  const V c0 = K.Cos0, s0 = K.Sin0;
  const V vx = K.VelX, vy = K.VelY;
  V f = c0 * vx + s0 * vy;
  V fx = f * c0, fy = f * s0;
  V sx = vx - fx, sy = vy - fy;

  // Rolling friction grows with forward speed. Kept within [0, 1]: reversing faster than 100
  // pixels per second would otherwise push it past 1 and speed the kart up without bound.
  const V damp =
      MotionClamp<O>(O::Set(1) - O::Set(10 * dt * C.Mu) * (O::Set(1) + O::Set(0.01) * f), 0.0, 1.0);

  // Drive (pixels per second squared) and energy rate (per second).
  const V p = K.Power;
  const V p10 = O::Abs(p) / O::Set(10);
  V a = p;
  V e = p10 * p10 / O::Set(10) + O::Set(BaseConsumption);
  const auto reverse = O::Lt(p, zero);
  // Braking: slows the kart down to a stop, never into reverse within this sub-step.
  const auto braking = O::And(reverse, O::Gt(f, zero));
  const V braked = MotionMax<O>(
      f - O::Set(dt * C.Mu * 100 * C.Power.Max) * O::Abs(p / O::Set(C.Power.Min)), zero);
  f = O::Select(braking, braked, f);
  fx = O::Select(braking, f * c0, fx);
  fy = O::Select(braking, f * s0, fy);
  e = O::Select(braking, O::Set(BaseConsumption), e);
  // Reverse drive at a tenth of the force.
  a = O::Select(braking, zero, O::Select(reverse, p / O::Set(10), a));

  // Energy for this sub-step; what is missing weakens the drive.
  const V energy = K.Energy;
  V need = e * vdt;
  const auto short_ = O::Lt(energy, need);
  a = O::Select(short_, a * energy / need, a);
  need = O::Select(short_, energy, need);
  a = MotionSign<O>(a) * MotionMin<O>(O::Abs(a), O::Set(200) * energy);
  K.Energy = MotionBound<O>(energy - need, C.Energy);
  // Out of energy: dies now.
  const auto dies = O::AndNot(O::Gt(K.Dead, O::Set(0.5)), O::Eq(K.Energy, zero));
  K.Dead = O::Select(dies, MotionBound<O>(O::Set(1), C.Dead), K.Dead);
  K.DeathTime = O::Select(dies, O::Set(C.Time), K.DeathTime);

  // Side friction takes 100 x sigma pixels per second off the side speed each second.
  const V side = O::Sqrt(sx * sx + sy * sy);
  const auto sliding = O::Gt(side, O::Set(0.0001));
  const V k = MotionMax<O>(side - O::Set(100 * dt * C.Sigma), zero) / side;
  sx = O::Select(sliding, sx * k, sx);
  sy = O::Select(sliding, sy * k, sy);

  // Steering: full rate from 10 pixels per second forward, less when slower, none at rest.
  K.Angle =
      MotionBound<O>(K.Angle + K.Turn * vdt * MotionMin<O>(f / O::Set(10), O::Set(1)), C.Angle);
  O::SinCos(K.Angle, K.Sin1, K.Cos1);
  const V accX = a * K.Cos1;
  const V accY = a * K.Sin1;

  K.VelX = MotionBound<O>(fx * damp + sx + vdt * accX, C.VelX);
  K.VelY = MotionBound<O>(fy * damp + sy + vdt * accY, C.VelY);
  K.PosX = MotionBound<O>(K.PosX + K.VelX * vdt + accX * O::Set(h), C.PosX);
  K.PosY = MotionBound<O>(K.PosY + K.VelY * vdt + accY * O::Set(h), C.PosY);
}
