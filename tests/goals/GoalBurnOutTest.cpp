#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "goals/GoalWorld.h"
#include "goals/UGoalBurnOut.h"
#include "world/UWorldPainter.h"

namespace {
// A rocket of size 12 at (300, 300) heading right with its engine off: its exhaust ends at
// (288, 300). Karts have size 10.
struct TBurnWorld : TGoalWorld {
  TRocket& Rocket;
  TGoalBurnOut Goal;
  TBurnWorld() : TGoalWorld(600, 400, 5), Rocket(AddRocket(300, 300, 0)), Goal(1) {}
};
} // namespace

TEST(GoalBurnOut, DrainsTheMemberBehindTheRocketAndKeepsHalf) {
  TBurnWorld w;
  ASSERT_EQ(w.Rocket.Size(), 12);
  ASSERT_EQ(w.Rocket.MainPower(), 0);
  TKart& behind = w.AddKart(280, 300);
  TKart& ahead = w.AddKart(320, 300);
  const TScoreContribution c = w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(behind.Energy(), 40);
  EXPECT_EQ(ahead.Energy(), 50);
  EXPECT_EQ(w.Rocket.Energy(), 55);
  // No score of its own.
  EXPECT_EQ(c.Add, 0);
  EXPECT_EQ(c.Mult, 1);
  // The real drain is only recorded; the line from the rocket to its victim shows once the world
  // is painted after the step, before the team's goals.
  ASSERT_EQ(w.Track.Drains().size(), 1u);
  const TTrack::TDrain& d = w.Track.Drains()[0];
  EXPECT_EQ((std::vector<int32_t>{d.X1, d.Y1, d.X2, d.Y2}),
            (std::vector<int32_t>{300, 300, 280, 300}));
  EXPECT_EQ(d.Team, &w.Team);
  EXPECT_TRUE(w.Canvas().Calls.empty());
  TWorldPainter::Paint(w.Track, w.Canvas(), TWorldPainter::pwAfterStep);
  const std::vector<std::string> expected = {"Pen 255", "PenWidth 3", "Line 300 300 280 300",
                                             "PenWidth 1"};
  ASSERT_GE(w.Canvas().Calls.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(w.Canvas().Calls.begin(), w.Canvas().Calls.begin() + 4),
            expected);
}

TEST(GoalBurnOut, ARunningEngineMovesTheDrainPointBack) {
  TBurnWorld w;
  w.Rocket.SetMainPower(20); // exhaust ends at (268, 300)
  TKart& near = w.AddKart(280, 300);
  TKart& far = w.AddKart(270, 300);
  far.SetEnergy(4); // it gives what it has
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(near.Energy(), 50);
  EXPECT_EQ(far.Energy(), 0);
  EXPECT_EQ(w.Rocket.Energy(), 52);
}

TEST(GoalBurnOut, ARocketAbove99DrainsNobodyButAt99ItDrainsAll) {
  TBurnWorld w;
  TKart& first = w.AddKart(280, 300);
  TKart& second = w.AddKart(286, 302);
  w.Rocket.SetEnergy(99.5);
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(first.Energy(), 50);
  EXPECT_EQ(second.Energy(), 50);
  // The test is made once: the first drain brings the rocket to 100, the second still happens.
  w.Rocket.SetEnergy(99);
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(first.Energy(), 40);
  EXPECT_EQ(second.Energy(), 40);
  EXPECT_EQ(w.Rocket.Energy(), 100);
}

TEST(GoalBurnOut, OnlyLivingRocketsDrainAndOnlyAfterASubStep) {
  TBurnWorld w;
  TKart& kart = w.AddKart(280, 300);
  TKart& other = w.AddKart(300, 300); // a kart in the rocket's place drains nobody
  w.Goal.Evaluate(other, 0);
  w.Goal.Evaluate(w.Rocket, 1);
  w.Rocket.SetHealth(0);
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(kart.Energy(), 50);
  EXPECT_TRUE(w.Track.Drains().empty());
}

TEST(GoalBurnOut, InAFutureOnlyTheFutureEnergiesMoveAndNothingIsDrawn) {
  TBurnWorld w;
  TKart& kart = w.AddKart(280, 300);
  w.Team.SetInFuture(true);
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(kart.Energy(), 40);
  EXPECT_EQ(w.Rocket.Energy(), 55);
  EXPECT_TRUE(w.Canvas().Calls.empty());
  EXPECT_TRUE(w.Track.Drains().empty());
  w.Team.AbandonFuture();
  EXPECT_EQ(kart.Energy(), 50);
  EXPECT_EQ(w.Rocket.Energy(), 50);
}

TEST(GoalBurnOut, EveryVictimOfTheRealMoveIsRecordedTillTheNextRealMove) {
  TBurnWorld w;
  w.AddKart(280, 300);
  w.AddKart(286, 302);
  w.Goal.Evaluate(w.Rocket, 0);
  ASSERT_EQ(w.Track.Drains().size(), 2u);
  EXPECT_EQ(w.Track.Drains()[1].X2, 286);
  // Nobody in this world carries the goal: the next real move drains nobody.
  w.Track.SetFixedFutures(4);
  ASSERT_TRUE(w.Track.Step(0));
  EXPECT_TRUE(w.Track.Drains().empty());
}
