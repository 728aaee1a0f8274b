#pragma once

#include <cstdint>

class TRandom;

// The random streams of a lane group's futures side by side: one xoshiro256** stream a lane, the
// state of all of them as structure of arrays, so that a vector of the machine draws for several
// futures at once. Lane K draws exactly the numbers the stream it was taken from would have drawn
// next, so a future draws the same whether it runs alone or in a lane.
class TLaneStreams {
public:
  static constexpr int32_t Lanes = 8;

  // Takes up where the Lanes streams given stand now.
  void Take(const TRandom* Streams);
  // The next uniform real in [0, 1) of every lane, as TRandom::Next gives them.
  void Next(double* Out);

private:
  alignas(64) uint64_t FS[4][Lanes];
};
