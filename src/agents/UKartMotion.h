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
  TBodyBounds Bounds;
};
