#include "platform/URandom.h"

#include <chrono>

namespace {

// xoshiro256**: fast, small state, and good enough for Monte Carlo futures.
struct TGenerator {
  uint64_t S[4];
};

TGenerator Generator = {
    {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull, 0x94D049BB133111EBull, 0x2545F4914F6CDD1Dull}};

uint64_t SplitMix(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

inline uint64_t Rotl(uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

} // namespace

void RandSeed(uint64_t seed) {
  uint64_t x = seed;
  for (uint64_t& s : Generator.S)
    s = SplitMix(x);
}

uint64_t SeedFromClock() {
  return static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

double Random() {
  uint64_t* s = Generator.S;
  const uint64_t result = Rotl(s[1] * 5, 7) * 9;
  const uint64_t t = s[1] << 17;
  s[2] ^= s[0];
  s[3] ^= s[1];
  s[1] ^= s[2];
  s[0] ^= s[3];
  s[2] ^= t;
  s[3] = Rotl(s[3], 45);
  return static_cast<double>(result >> 11) * 0x1.0p-53;
}
