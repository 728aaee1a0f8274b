#include <gtest/gtest.h>

#include <cmath>

#include "goals/UGoalEnergy.h"
#include "goals/UTeam.h"
#include "support/TestWorld.h"

TEST(GoalEnergy, AtEnergy50TheEndOfAFutureGainsFiveAndAQuarterToThePower1Point1) {
  TFlatTrack track;
  TTeam team;
  track.AddTeam(&team);
  TPlayer& player = *team.AddMember(TLinePlayer::New());
  ASSERT_EQ(player.Energy(), 50);
  TGoalEnergy goal(0.1);
  EXPECT_EQ(goal.Evaluate(player, 0).Mult, 1); // nothing after a sub-step
  const TScoreContribution c = goal.Evaluate(player, 1);
  EXPECT_DOUBLE_EQ(c.Add, 50);
  EXPECT_DOUBLE_EQ(c.Mult, 0.25);
  EXPECT_NEAR(static_cast<double>(player.State().ScorePositive), 5, 1e-12);
  EXPECT_NEAR(static_cast<double>(player.State().ScoreFactor), std::pow(0.25, 1.1), 1e-12);
}
