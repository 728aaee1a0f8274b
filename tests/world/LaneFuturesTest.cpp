#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "goals/GoalWorld.h"
#include "goals/UGoalHealth.h"
#include "platform/UErrors.h"
#include "platform/ULaneMath.h"
#include "platform/URandom.h"

// Futures side by side in lanes end as the same futures run one at a time.

namespace {

// Everything a step leaves: the real states, and every stored future as the decision reads it.
std::vector<long double> Outcome(const TTeam& Team) {
  std::vector<long double> out;
  for (int32_t i = 0; i < Team.MemberCount(); ++i) {
    TPlayer& p = *Team.Members(i);
    const TState& s = p.RealState();
    for (int32_t k = 0; k < s.ParamCount(); ++k)
      out.insert(out.end(), {s.Param(k).Value, s.Param(k).SavedValue, s.Param(k).Sensitivity});
    for (int32_t f = 0; f < p.Futures().FutureCount(); ++f) {
      const TState future = p.Futures().GetFuture(f);
      out.insert(out.end(), {future.ScorePositive, future.ScoreFactor, future.ScoreNegative,
                             static_cast<long double>(future.ChosenFreeParam)});
      for (int32_t k = 0; k < future.FreeParamCount(); ++k)
        out.push_back(future.FreeParam(k).Milli);
      for (int32_t k = 0; k < future.PositionalParamCount(); ++k)
        out.push_back(future.PositionalParam(k).Macro);
    }
  }
  return out;
}

// A world whose steps run from one draw of the program's stream, counting the futures that ran in
// lanes.
struct TSeededWorld : TGoalWorld {
  explicit TSeededWorld(uint32_t Seed) : TGoalWorld(140, 100, 5), Seed(Seed) { RandSeed(Seed); }
  std::vector<long double> Run(int32_t Steps) {
    RandSeed(Seed);
    for (int32_t s = 0; s < Steps; ++s) {
      Track.Step(1000);
      Ran += Track.LastLaneFutureCount();
    }
    return Outcome(Team);
  }
  uint32_t Seed;
  int32_t Ran = 0;
};

// Karts and a rocket in a small walled box, bumping into the walls and each other; a rocket just
// above the ground, upright, landing. Run with or without lanes, on one thread or two.
struct TLaneWorld : TSeededWorld {
  TLaneWorld(bool Lanes, int32_t Threads) : TSeededWorld(17) {
    Track.SetLanes(Lanes);
    Track.SetThreads(Threads);
    // Not a multiple of the lanes: the last group runs with lanes to spare.
    Track.SetFixedFutures(21);
    Track.SetFutureMs(2000);
    Track.SetCollisions(true);
    AddKart(40, 50, 0.3).SetAILevel(7);
    AddKart(60, 52, 3).SetAILevel(3);
    AddKart(100, 30, -1.2);
    AddRocket(110, 80, -std::numbers::pi / 2).SetAILevel(8);
    // Racing that counts early gains more, for one of them.
    Team.Members(2)->Goals(2)->FSoonerBetter = true;
  }
};

TEST(LaneFutures, LanesEndAsOneFutureAtATimeOnEveryInstructionSetAndAnyNumberOfThreads) {
  TLaneWorld alone(false, 1);
  const std::vector<long double> expected = alone.Run(12);
  EXPECT_EQ(alone.Ran, 0);
  for (int64_t target : LaneTargets()) {
    RestrictLaneTargets(target);
    TLaneWorld lanes(true, 1);
    EXPECT_EQ(lanes.Run(12), expected) << LaneTargetName(target);
    EXPECT_EQ(lanes.Ran, 12 * 21);
  }
  RestrictLaneTargets(0);
  TLaneWorld lanes2(true, 2);
  EXPECT_EQ(lanes2.Run(12), expected);
}

// Karts in two rows, facing each other and not in the order of the player list: pairs collide,
// and bodies pushed apart come to touch neighbours that did not touch them as the pass began.
struct TCrowdWorld : TSeededWorld {
  explicit TCrowdWorld(bool Lanes) : TSeededWorld(23) {
    Track.SetLanes(Lanes);
    Track.SetThreads(1);
    Track.SetFixedFutures(16);
    Track.SetFutureMs(1000);
    Track.SetCollisions(true);
    const int32_t place[] = {0, 3, 1, 4, 2, 5};
    for (int32_t row = 0; row < 2; ++row)
      for (int32_t k : place)
        AddKart(20 + 18 * k + 9 * row, 40 + 20 * row, (k + row) % 2 == 0 ? 0 : std::numbers::pi);
  }
};

TEST(LaneFutures, ACrowdCollidingPairAfterPairEndsAsOneFutureAtATimeOnEveryInstructionSet) {
  TCrowdWorld alone(false);
  const std::vector<long double> expected = alone.Run(4);
  for (int64_t target : LaneTargets()) {
    RestrictLaneTargets(target);
    TCrowdWorld lanes(true);
    EXPECT_EQ(lanes.Run(4), expected) << LaneTargetName(target);
    EXPECT_EQ(lanes.Ran, 4 * 16);
  }
  RestrictLaneTargets(0);
}

TEST(LaneFutures, AFutureThatFailsInALaneFailsAsItWouldAlone) {
  std::string messages[2];
  int32_t failed[2];
  for (int32_t lanes = 0; lanes < 2; ++lanes) {
    TLaneWorld world(lanes == 1, 1);
    // So fast that an outline leaves the integers within a future.
    world.Team.Members(1)->AsPlayer2D()->SetVelX(4e11);
    try {
      world.Track.Step(1000);
    } catch (const ERangeError& e) {
      messages[lanes] = e.what();
    }
    failed[lanes] = world.Track.LastFailedFuture();
  }
  EXPECT_FALSE(messages[0].empty());
  EXPECT_EQ(messages[1], messages[0]);
  EXPECT_EQ(failed[1], failed[0]);
}

TEST(LaneFutures, WorldsTheLanesDoNotKnowRunOneFutureAtATime) {
  TLaneWorld world(true, 1);
  world.Team.AddGoal(std::make_unique<TGoalHealth>(1));
  world.Run(1);
  EXPECT_EQ(world.Ran, 0);
}

} // namespace
