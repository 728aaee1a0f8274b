#include <gtest/gtest.h>

#include <array>

#include "platform/ULaneMath.h"
#include "platform/ULaneStreams.h"
#include "platform/URandom.h"

// Every lane draws on as the stream it was taken from, on every instruction set.
TEST(LaneStreams, EachLaneDrawsWhatItsStreamWouldOnEveryInstructionSet) {
  for (int64_t target : LaneTargets()) {
    RestrictLaneTargets(target);
    std::array<TRandom, TLaneStreams::Lanes> streams;
    for (int32_t l = 0; l < TLaneStreams::Lanes; ++l) {
      streams[l].ReseedForFuture(99, l);
      streams[l].Next(); // taken up mid-stream
    }
    TLaneStreams lanes;
    lanes.Take(streams.data());
    double drawn[TLaneStreams::Lanes];
    for (int32_t k = 0; k < 200; ++k) {
      lanes.Next(drawn);
      for (int32_t l = 0; l < TLaneStreams::Lanes; ++l)
        ASSERT_EQ(drawn[l], streams[l].Next()) << LaneTargetName(target) << " lane " << l;
    }
  }
  RestrictLaneTargets(0);
}
