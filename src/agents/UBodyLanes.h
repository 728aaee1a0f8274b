#pragma once

#include <cstdint>

// The values of a body that its futures change, in the order the lanes hold them. Control1 and
// Control2 are the vehicle's two controls (a kart's Turn and Power, a rocket's MainPower and
// RotaPower), Push1 and Push2 its free parameters in the order of its free list.
enum TBodyField : int32_t {
  bfPosX,
  bfPosY,
  bfAngle,
  bfVelX,
  bfVelY,
  bfVelRot,
  bfSize,
  bfDead,
  bfHealth,
  bfEnergy,
  bfControl1,
  bfControl2,
  bfPush1,
  bfPush2,
  bfCount
};

// One body's futures of a lane group side by side, one lane a future, as structure of arrays:
// what a sub-step of all of them reads and writes lies in a few cache lines, and a vector of the
// machine takes the same field of several futures at once.
struct TBodyLanes {
  static constexpr int32_t Lanes = 8;

  alignas(64) double F[bfCount][Lanes];
  // Position at the start of the current sub-step; the last pose found clear of the walls (NaN
  // when there is none); the death time of the future, milliseconds, -1 while alive.
  alignas(64) double StartX[Lanes];
  alignas(64) double StartY[Lanes];
  alignas(64) double SavedX[Lanes];
  alignas(64) double SavedY[Lanes];
  alignas(64) double SavedAngle[Lanes];
  alignas(64) double DeathTime[Lanes];
  // Cosine and sine of the heading as it stands.
  alignas(64) double Cos[Lanes];
  alignas(64) double Sin[Lanes];
  // Every outline point lay in the picture at the last look at the road.
  bool Inside[Lanes];
  // The free parameters' values at 1/1000 as the first action left them, and which one it pushed.
  int32_t FreeMilli[2][Lanes];
  int32_t Chosen[Lanes];
  // Score sums, extended like the state's.
  long double Positive[Lanes];
  long double Factor[Lanes];
  long double Negative[Lanes];
};
