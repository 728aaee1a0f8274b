#include <gtest/gtest.h>

#include "goals/GoalWorld.h"
#include "goals/UGoal2DTeamAway.h"

// Karts have size 10, so at strength 1 the others count within 100 pixels.

TEST(GoalTeamAway, OneMemberGivesItsDistanceOverTheRangeAndAloneNothing) {
  TGoalWorld w;
  TKart& kart = w.AddKart(100, 100);
  TGoal2DTeamAway goal(1);
  EXPECT_EQ(goal.Evaluate(kart, 0).Mult, 1);
  w.AddKart(150, 100);
  EXPECT_DOUBLE_EQ(goal.Evaluate(kart, 0).Mult, 0.5);
  goal.SetValue(2); // the range grows with the strength
  EXPECT_DOUBLE_EQ(goal.Evaluate(kart, 0).Mult, 0.25);
  EXPECT_EQ(goal.Evaluate(kart, 1).Mult, 1);
  kart.SetHealth(0);
  EXPECT_EQ(goal.Evaluate(kart, 0).Mult, 1);
}

TEST(GoalTeamAway, SeveralMembersMultiplyAndFarOnesCostNothing) {
  TGoalWorld w;
  TKart& kart = w.AddKart(100, 100);
  w.AddKart(150, 100);
  w.AddKart(100, 130);
  w.AddKart(250, 100);
  TGoal2DTeamAway goal(1);
  EXPECT_NEAR(goal.Evaluate(kart, 0).Mult, 0.5 * 0.3, 1e-12);
  w.AddKart(100, 100); // right on top
  EXPECT_EQ(goal.Evaluate(kart, 0).Mult, 0);
}
