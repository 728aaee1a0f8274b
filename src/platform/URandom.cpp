#include "platform/URandom.h"

#include <chrono>

#include "platform/UErrors.h"

namespace {

uint64_t SplitMix(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

inline uint64_t Rotl(uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

// The program's own stream, and the stream in use on each thread (null: the program's own). Only
// the thread that drives the world draws from the program's stream; every thread that runs
// futures puts its own in place first.
TRandom ProgramStream;
thread_local TRandom* CurrentStream = nullptr;

TRandom& Current() {
  return CurrentStream != nullptr ? *CurrentStream : ProgramStream;
}

} // namespace

void TRandom::Reseed(uint64_t Seed) {
  uint64_t x = Seed;
  for (uint64_t& s : FS)
    s = SplitMix(x);
}

void TRandom::ReseedForFuture(uint64_t StepSeed, int32_t Future) {
  // Seeds that differ only in the future's index still give unrelated streams: splitmix64
  // scatters them.
  Reseed(StepSeed ^ (static_cast<uint64_t>(Future) * 0xD1B54A32D192ED03ull));
}

void TRandom::SetState(const TState& State) {
  if (State == TState{})
    throw EError("A random stream cannot start from a state of all zeros.");
  for (size_t i = 0; i < State.size(); ++i)
    FS[i] = State[i];
}

uint64_t TRandom::NextBits() {
  uint64_t* s = FS;
  const uint64_t result = Rotl(s[1] * 5, 7) * 9;
  const uint64_t t = s[1] << 17;
  s[2] ^= s[0];
  s[3] ^= s[1];
  s[1] ^= s[2];
  s[0] ^= s[3];
  s[2] ^= t;
  s[3] = Rotl(s[3], 45);
  return result;
}

TRandom::TUse::TUse(TRandom& Stream) : FPrevious(CurrentStream) {
  CurrentStream = &Stream;
}

TRandom::TUse::~TUse() {
  CurrentStream = FPrevious;
}

void RandSeed(uint64_t seed) {
  ProgramStream.Reseed(seed);
}

uint64_t SeedFromClock() {
  return static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

double Random() {
  return Current().Next();
}

uint64_t RandomBits() {
  return Current().NextBits();
}
