#include <gtest/gtest.h>

#include "agents/BodyWorld.h"
#include "goals/UGoal2DRaced.h"
#include "goals/UGoalDuplicate.h"
#include "support/TestWorld.h"

TEST(Goal2DRaced, AddsTheDistanceOfTheSubStepInBodySizes) {
  auto body = TTestBody::New(10, 10, 0);
  TGoal2DRaced goal(2);
  body->State().StoreStartValues();
  body->SetPosX(13);
  body->SetPosY(14);
  body->State().ResetScore();
  const TScoreContribution c = goal.Evaluate(*body, 0);
  EXPECT_NEAR(c.Add, 5.0 / 6, 1e-12);
  EXPECT_EQ(c.Mult, 1);
  EXPECT_NEAR(static_cast<double>(body->State().ScorePositive), 2 * 5.0 / 6, 1e-12);

  const TScoreContribution atEnd = goal.Evaluate(*body, 1);
  EXPECT_EQ(atEnd.Add, 0);
  EXPECT_EQ(atEnd.Mult, 1);
}

TEST(Goal2DRaced, PlayerWithoutABodyRacesNothing) {
  auto line = TLinePlayer::New(0);
  TGoal2DRaced goal(1);
  const TScoreContribution c = goal.Evaluate(*line, 0);
  EXPECT_EQ(c.Add, 0);
  EXPECT_EQ(c.Mult, 1);
}

TEST(GoalDuplicate, ScoresOnlyAtTheEndOfAFutureInWhichThePlayerDuplicated) {
  auto body = TTestBody::New(10, 10, 0);
  TGoalDuplicate goal(0.5);
  EXPECT_EQ(goal.FDescription, "Duplicating is sexy");
  EXPECT_TRUE(goal.FAlwaysDraw);
  EXPECT_EQ(goal.Evaluate(*body, 1).Add, 0);
  body->FHasDuplicated = true;
  EXPECT_EQ(goal.Evaluate(*body, 0).Add, 0);
  body->State().ResetScore();
  EXPECT_EQ(goal.Evaluate(*body, 1).Add, 1000);
  EXPECT_EQ(body->State().ScorePositive, 500);
}
