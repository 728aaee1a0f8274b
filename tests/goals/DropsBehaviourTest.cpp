#include <gtest/gtest.h>

#include "goals/GoalWorld.h"
#include "goals/UGoal2DSweets.h"
#include "platform/URandom.h"

namespace {
// Energy of a kart after 100 steps of 100 futures from a fixed seed, with or without the team
// goal of collecting drops.
double EnergyAfterRun(bool WithDrops) {
  RandSeed(2024);
  TGoalWorld w(400, 300, 5);
  w.Track.SetFixedFutures(100);
  TKart& kart = w.AddKart(200, 150);
  if (WithDrops)
    w.Team.AddGoal(std::make_unique<TGoal2DSweets>(1));
  for (int32_t step = 0; step < 100; ++step)
    w.Track.Step(100);
  return kart.Energy();
}
} // namespace

TEST(DropsBehaviour, AKartWhoseTeamGetsDropsEndsWithMoreEnergy) {
  const double without = EnergyAfterRun(false);
  const double with = EnergyAfterRun(true);
  EXPECT_GT(with, without);
}
