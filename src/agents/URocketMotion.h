#pragma once

#include "agents/UMotionOps.h"

// One sub-step of a rocket's own motion: engines, fuel, gravity, drag, integration. Written once
// over a set of operations (UMotionOps.h), so that one future (TRocket::Advance) and futures side
// by side (TLaneFutures) move alike, bit for bit.
//
// Units: pixels (y down), seconds, radians; velocities in pixels per second; energy in percent.

// What stays the same for every future of a sub-step.
struct TRocketConstants {
  double Dt = 0; // sub-step, seconds
  // Every value goes through its parameter's bounds as SetValue would take it.
  TMotionBounds Main, Rota, Energy, Angle, VelX, VelY, VelRot, PosX, PosY;
};

// The rocket's values the sub-step reads and writes. Cos0 and Sin0: of Angle at the start (the
// outline has them already); Cos1 and Sin1: of Angle at the end, for the outline.
template <class O> struct TRocketMotion {
  using V = typename O::V;
  V Main, Rota, MainPush, RotaPush, Angle, VelX, VelY, VelRot, PosX, PosY, Energy, Dead;
  V Cos0, Sin0, Cos1, Sin1;
};

template <class O> void AdvanceRocket(TRocketMotion<O>& R, const TRocketConstants& C) {
  using V = typename O::V;
  // Pixels per second squared, downward on the screen.
  constexpr double Gravity = 9.8;
  // Air drag: share of the velocities and of the rotation speed kept after each sub-step.
  constexpr double Drag = 0.99;
  constexpr double RotationDrag = 0.9;
  // Thrust of the main engine (pixels per second squared) per unit of energy burnt per second.
  constexpr double MainPerEnergy = 40;
  // The same for the rotation engine (radians per second squared).
  constexpr double RotaPerEnergy = 10;
  const double dt = C.Dt;
  const double h = dt * dt / 2;
  const V zero = O::Set(0);
  const V vdt = O::Set(dt);

  const auto dead = O::Gt(R.Dead, O::Set(0.5));
  R.Main = O::Select(dead, MotionBound<O>(zero, C.Main),
                     MotionBound<O>(R.Main + R.MainPush * vdt, C.Main));
  R.Rota = O::Select(dead, MotionBound<O>(zero, C.Rota),
                     MotionBound<O>(R.Rota + R.RotaPush * vdt, C.Rota));

  // Engines burn energy; what the fuel cannot pay for is cut, the main engine first.
  R.Main = MotionBound<O>(MotionMin<O>(R.Main, O::Set(MainPerEnergy) * R.Energy / vdt), C.Main);
  R.Energy =
      MotionBound<O>(MotionMax<O>(R.Energy - vdt * R.Main / O::Set(MainPerEnergy), zero), C.Energy);
  const V q0 = R.Rota;
  R.Rota = MotionBound<O>(
      MotionSign<O>(q0) * MotionMin<O>(O::Abs(q0), O::Set(RotaPerEnergy) * R.Energy / vdt), C.Rota);
  R.Energy = MotionBound<O>(
      MotionMax<O>(R.Energy - vdt * O::Abs(R.Rota) / O::Set(RotaPerEnergy), zero), C.Energy);

  // Thrust along the heading before this sub-step's rotation, gravity downward.
  const V accX = R.Main * R.Cos0;
  const V accY = R.Main * R.Sin0 + O::Set(Gravity);
  R.VelRot = MotionBound<O>(R.VelRot + R.Rota * vdt, C.VelRot);
  R.VelX = MotionBound<O>(R.VelX + accX * vdt, C.VelX);
  R.VelY = MotionBound<O>(R.VelY + accY * vdt, C.VelY);
  R.Angle = MotionBound<O>(R.Angle + R.VelRot * vdt, C.Angle);
  O::SinCos(R.Angle, R.Sin1, R.Cos1);
  R.PosX = MotionBound<O>(R.PosX + R.VelX * vdt + accX * O::Set(h), C.PosX);
  R.PosY = MotionBound<O>(R.PosY + R.VelY * vdt + accY * O::Set(h), C.PosY);
  R.VelRot = MotionBound<O>(O::Set(RotationDrag) * R.VelRot, C.VelRot);
  R.VelX = MotionBound<O>(O::Set(Drag) * R.VelX, C.VelX);
  R.VelY = MotionBound<O>(O::Set(Drag) * R.VelY, C.VelY);
}
