#include <gtest/gtest.h>

#include <memory>

#include "goals/UTeam.h"
#include "support/TestWorld.h"

namespace {
struct TScores {
  double Positive, Negative, Factor;
};

// The real scores of every member after one evaluation of a team goal of strength 2 that reports
// value Add and factor Mult after every sub-step.
std::vector<TScores> ScoresAfter(uint8_t Mode, int32_t Members, double Add = 3, double Mult = 0.5) {
  TFlatTrack track;
  TTeam team;
  track.AddTeam(&team);
  for (int32_t i = 0; i < Members; ++i)
    team.AddMember(TLinePlayer::New(i));
  auto goal = std::make_unique<TGoalFixed>(2, Add, Mult);
  goal->FMode = Mode;
  team.AddGoal(std::move(goal));
  team.EvaluateGoals(0);
  std::vector<TScores> scores;
  for (int32_t i = 0; i < Members; ++i) {
    const TState& s = team.Members(i)->RealState();
    scores.push_back({static_cast<double>(s.ScorePositive), static_cast<double>(s.ScoreNegative),
                      static_cast<double>(s.ScoreFactor)});
  }
  return scores;
}
} // namespace

TEST(TeamGoalModes, EachModePassesOnTheUnweightedContribution) {
  // Own part: 2 x 3 and 0.5^3. Passed on from the teammate, before the strength: cooperative
  // +2 x 3 and 0.5^2, competitive -2 x 3 and 0.5^-2, individual nothing.
  for (const TScores& s : ScoresAfter(gmIndividual, 2)) {
    EXPECT_DOUBLE_EQ(s.Positive, 6);
    EXPECT_EQ(s.Negative, 0);
    EXPECT_DOUBLE_EQ(s.Factor, 0.125);
  }
  for (const TScores& s : ScoresAfter(gmCooperative, 2)) {
    EXPECT_DOUBLE_EQ(s.Positive, 12);
    EXPECT_NEAR(s.Factor, 0.125 * 0.25, 1e-12);
  }
  for (const TScores& s : ScoresAfter(gmCompetitive, 2)) {
    EXPECT_DOUBLE_EQ(s.Positive, 6);
    EXPECT_DOUBLE_EQ(s.Negative, 6);
    EXPECT_NEAR(s.Factor, 0.125 * 4, 1e-9);
  }
}

TEST(TeamGoalModes, NothingIsPassedOnForNoContributionOrWithoutTeammates) {
  for (uint8_t mode : {gmCooperative, gmCompetitive}) {
    for (const TScores& s : ScoresAfter(mode, 3, 0, 1)) {
      EXPECT_EQ(s.Positive, 0);
      EXPECT_EQ(s.Negative, 0);
      EXPECT_EQ(s.Factor, 1);
    }
    const TScores alone = ScoresAfter(mode, 1).front();
    EXPECT_DOUBLE_EQ(alone.Positive, 6);
    EXPECT_EQ(alone.Negative, 0);
    EXPECT_DOUBLE_EQ(alone.Factor, 0.125);
  }
}
