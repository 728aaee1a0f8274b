#pragma once

#include <cstdint>

// What a world is set to: how its futures are run and what its ground does to the players. One
// value, copied whole: a worker's copy of the world takes all of it at once, so a setting added
// here reaches every copy without a list to keep up.
struct TWorldSettings {
  int32_t FFutureMs = 5000;  // length of one simulated future, milliseconds
  int32_t FDeltaMs = 100;    // length of one sub-step of simulated time, milliseconds
  int32_t FMinFutures = 100; // a step runs at least one future more than this
  // When above 0, every step runs exactly this many futures and ignores the clock, so that runs
  // repeat exactly and can be measured; 0 lets the budget decide.
  int32_t FFixedFutures = 0;
  bool FCollisions = false;   // player-to-player collisions are detected
  bool FEvolution = false;    // goal values evolve as players duplicate
  double FFriction = 0.015;   // friction coefficient along the heading of a body on the ground
  double FSideFriction = 0.2; // sliding friction coefficient across it

  bool operator==(const TWorldSettings&) const = default;

  // Raises EError naming the first setting that no world can run with: a sub-step under 1 ms,
  // a negative length or count, a friction that is negative or not a number.
  void Check() const;
};
