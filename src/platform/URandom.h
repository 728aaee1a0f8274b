#pragma once

#include <array>
#include <cstdint>

// A stream of uniform reals in [0, 1): xoshiro256**, seeded through splitmix64. Fast, small, and
// good enough for Monte Carlo futures.
//
// The program draws from one seeded stream (RandSeed, Random) so that a run repeats from its seed
// alone. Threads that run futures each put a stream of their own in its place for as long as a
// TUse lives, so that no two threads ever draw from the same one. A stream fills a cache line of
// its own: it is written at every draw, and two threads' streams side by side would fight over
// the line.
class alignas(64) TRandom {
public:
  explicit TRandom(uint64_t Seed = 0) { Reseed(Seed); }
  void Reseed(uint64_t Seed);
  // The stream of one future of a step: independent of every other future's, and the same
  // whichever thread runs it.
  void ReseedForFuture(uint64_t StepSeed, int32_t Future);
  double Next() { return static_cast<double>(NextBits() >> 11) * 0x1.0p-53; }
  uint64_t NextBits();

  // The whole state of the stream: a stream given it draws on exactly as this one would.
  using TState = std::array<uint64_t, 4>;
  TState State() const { return {FS[0], FS[1], FS[2], FS[3]}; }
  // Raises EError for the state of all zeros, which no stream reaches and which draws only zeros.
  void SetState(const TState& State);

  // Makes a stream the one Random() draws from on this thread, until destroyed.
  class TUse {
  public:
    explicit TUse(TRandom& Stream);
    ~TUse();
    TUse(const TUse&) = delete;
    TUse& operator=(const TUse&) = delete;

  private:
    TRandom* FPrevious;
  };

private:
  uint64_t FS[4];
};

// Restarts the program's stream from a seed.
void RandSeed(uint64_t seed);

// A seed taken from the wall clock, for runs that need not repeat.
uint64_t SeedFromClock();

// Next uniform real in [0, 1), with 53 random bits, from this thread's stream.
double Random();
// 64 random bits from this thread's stream.
uint64_t RandomBits();
