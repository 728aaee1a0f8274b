#include <gtest/gtest.h>

#include "goals/GoalWorld.h"
#include "goals/UGoal2DRaced.h"
#include "goals/UGoal2DStorage.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UGoal2DTeamAway.h"
#include "goals/UGoalBurnOut.h"
#include "goals/UGoalDuplicate.h"
#include "goals/UGoalEnergy.h"
#include "goals/UGoalHealth.h"
#include "goals/UGoalMouse.h"
#include "goals/UTeam.h"
#include "support/TestWorld.h"

TEST(GoalValue, SetValueClampsAndAGoalAtZeroDoesNothingAtAll) {
  TFlatTrack track;
  TTeam team;
  track.AddTeam(&team);
  TPlayer& player = *team.AddMember(TLinePlayer::New());
  TGoalFixed goal(1, 3, 0.5);
  goal.SetValue(12);
  EXPECT_EQ(goal.FValue, 10);
  goal.SetValue(-1);
  EXPECT_EQ(goal.FValue, 0);
  const TScoreContribution c = goal.Evaluate(player, 0);
  EXPECT_EQ(c.Add, 0);
  EXPECT_EQ(c.Mult, 1);
  EXPECT_EQ(player.State().ScoreFactor, 1);
}

TEST(GoalValue, OnlyTheTeamAwayMouseAndBurnOutConstructorsClamp) {
  TTeam team;
  EXPECT_EQ(TGoalEnergy(12).FValue, 12);
  EXPECT_EQ(TGoalHealth(12).FValue, 12);
  EXPECT_EQ(TGoal2DRaced(12).FValue, 12);
  EXPECT_EQ(TGoalDuplicate(12).FValue, 12);
  EXPECT_EQ(TGoal2DSweets(12).FValue, 12);
  EXPECT_EQ(TGoal2DStorage(50, 50, 6, 500, 12).FValue, 12);
  EXPECT_EQ(TGoal2DTeamAway(12).FValue, 10);
  EXPECT_EQ(TGoalMouse(true, 12).FValue, 10);
  EXPECT_EQ(TGoalMouse(false, -3).FValue, 0);
  EXPECT_EQ(TGoalBurnOut(12).FValue, 10);
}

TEST(GoalScore, StrengthWeighsTheValueAndPowersTheFactorExceptAFactorOfOne) {
  TFlatTrack track;
  TTeam team;
  track.AddTeam(&team);
  TPlayer& player = *team.AddMember(TLinePlayer::New());
  TGoalFixed goal(2, 3, 0.5);
  const TScoreContribution c = goal.Evaluate(player, 0);
  EXPECT_EQ(c.Add, 3); // reported before the strength
  EXPECT_EQ(c.Mult, 0.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(player.State().ScorePositive), 6);
  EXPECT_DOUBLE_EQ(static_cast<double>(player.State().ScoreFactor), 0.125);
  EXPECT_EQ(goal.FScoreAdd, 0);
  EXPECT_EQ(goal.FScoreMult, 1);
  // A factor of 1, with or without a value, leaves the factor exactly as it was; 0 stays 0.
  TGoalFixed(0.7, 2, 1).Evaluate(player, 0);
  TGoalFixed(3, 0, 1).Evaluate(player, 0);
  EXPECT_EQ(player.State().ScoreFactor, 0.125L);
  TGoalFixed(0.5, 0, 0).Evaluate(player, 0);
  EXPECT_EQ(player.State().ScoreFactor, 0);
}

TEST(GoalValue, GoalsOfThePictureIgnorePlayersWithoutABody) {
  TGoalWorld w;
  w.Track.SetMouse(100, 100);
  TPlayer& line = *w.Team.AddMember(TLinePlayer::New(100));
  w.AddKart(100, 100);
  TGoal2DTeamAway away(1);
  TGoalMouse mouse(true, 1);
  TGoal2DSweets drops(1);
  TGoal2DStorage box(100, 100, 6, 500, 1);
  for (TGoal* goal : std::initializer_list<TGoal*>{&away, &mouse, &drops, &box}) {
    const TScoreContribution c = goal->Evaluate(line, 0);
    EXPECT_EQ(c.Add, 0) << goal->FDescription;
    EXPECT_EQ(c.Mult, 1) << goal->FDescription;
  }
  EXPECT_EQ(line.Energy(), 50);
  EXPECT_TRUE(drops.FNeedsPlacing);
}
