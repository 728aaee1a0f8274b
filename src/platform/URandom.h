#pragma once

#include <cstdint>

// The one source of randomness of the program: uniform reals in [0, 1). It is global on purpose
// (every future, goal and new player draws from the same sequence), so that a run is repeatable
// from its seed alone. The window seeds it from the clock; tests and batch runs seed it fixed.

// Restarts the sequence from a seed.
void RandSeed(uint64_t seed);

// A seed taken from the wall clock, for runs that need not repeat.
uint64_t SeedFromClock();

// Next uniform real in [0, 1), with 53 random bits.
double Random();
