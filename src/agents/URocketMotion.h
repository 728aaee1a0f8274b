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
  TBodyBounds Bounds;
};
