#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "support/TestPicture.h"
#include "support/TestWorld.h"

namespace {

struct TTeamWorld {
  TFlatTrack Track;
  TTeam Team;
  TTeamWorld() { Track.AddTeam(&Team); }
  TLinePlayer* Add() { return static_cast<TLinePlayer*>(Team.AddMember(TLinePlayer::New())); }
};

// Counts its evaluations by phase, and contributes nothing.
class TGoalCounter : public TGoal {
public:
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalCounter>(*this); }
  int32_t* Counts;
  explicit TGoalCounter(int32_t* Counts) : TGoal(1), Counts(Counts) {}
  void Compute(TPlayer& /*Player*/, int32_t Phase) override { ++Counts[Phase]; }
};

// Writes down whom it was drawn for.
class TGoalDrawn : public TGoal {
public:
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalDrawn>(*this); }
  std::vector<const TPlayer*> DrawnFor;
  TGoalDrawn() : TGoal(1) {}
  void Compute(TPlayer& /*Player*/, int32_t /*Phase*/) override {}
  void Draw(const TPlayer* Player, TCanvas& /*Canvas*/) override { DrawnFor.push_back(Player); }
};

} // namespace

TEST(Team, AddsSelectsAndRebuildsTheWorldsPlayers) {
  TTeamWorld w;
  TLinePlayer* a = w.Add();
  TLinePlayer* b = w.Add();
  EXPECT_EQ(a->FTeam, &w.Team);
  EXPECT_EQ(w.Team.Selected(), b);
  EXPECT_EQ(w.Track.PlayerCount(), 2);
  w.Team.Select(a);
  // Adding a member again neither selects it nor rebuilds the list.
  w.Team.AddMember(std::unique_ptr<TPlayer>(b));
  EXPECT_EQ(w.Team.MemberCount(), 2);
  EXPECT_EQ(w.Team.Selected(), a);
}

TEST(Team, SelectingAStrangerFailsAndKeepsTheSelection) {
  TTeamWorld w;
  TLinePlayer* a = w.Add();
  auto stranger = TLinePlayer::New();
  try {
    w.Team.Select(stranger.get());
    FAIL();
  } catch (const EError& e) {
    EXPECT_STREQ(e.what(), "Selected player must be a team member.");
  }
  EXPECT_EQ(w.Team.Selected(), a);
}

TEST(Team, RemovingTheSelectedMemberSelectsTheFirst) {
  TTeamWorld w;
  TLinePlayer* a = w.Add();
  w.Add();
  TLinePlayer* c = w.Add();
  EXPECT_EQ(w.Team.RemoveMember(c, true), nullptr);
  EXPECT_EQ(w.Team.Selected(), a);
  EXPECT_EQ(w.Track.PlayerCount(), 2);
  std::unique_ptr<TPlayer> kept = w.Team.RemoveMember(a, false);
  EXPECT_EQ(kept.get(), a);
  w.Team.RemoveMember(w.Team.Members(0), true);
  EXPECT_EQ(w.Team.Selected(), nullptr);
  EXPECT_EQ(w.Track.PlayerCount(), 0);
  EXPECT_EQ(w.Team.RemoveMember(a, true), nullptr); // not a member any more: nothing
}

TEST(Team, TeamGoalsAreDrawnForTheLastMemberAsItNowStandsButNotAtStrengthZero) {
  TTeamWorld w;
  TLinePlayer* a = w.Add();
  TLinePlayer* b = w.Add();
  auto owned = std::make_unique<TGoalDrawn>();
  TGoalDrawn& goal = *owned;
  w.Team.AddGoal(std::move(owned));
  w.Team.FDrawGoals = true;
  TRecordingCanvas canvas;
  w.Team.DrawGoals(canvas);
  w.Team.RemoveMember(b, true);
  w.Team.DrawGoals(canvas);
  w.Team.RemoveMember(a, true);
  w.Team.DrawGoals(canvas);
  EXPECT_EQ(goal.DrawnFor, (std::vector<const TPlayer*>{b, a, nullptr}));
  goal.SetValue(0);
  w.Team.DrawGoals(canvas);
  EXPECT_EQ(goal.DrawnFor.size(), 3u);
}

TEST(Team, PassesATeamGoalsContributionOnByItsMode) {
  struct TCase {
    uint8_t Mode;
    long double OtherPositive, OtherNegative, OtherFactor;
  };
  const long double m = 0.5L + 1e-12L;
  const TCase cases[] = {
      {gmIndividual, 0, 0, 1}, {gmCooperative, 4, 0, m * m}, {gmCompetitive, 0, 4, 1 / (m * m)}};
  for (const TCase& c : cases) {
    TTeamWorld w;
    TLinePlayer* a = w.Add();
    TLinePlayer* b = w.Add();
    auto goal = std::make_unique<TGoalFixed>(1, 2, 0.5);
    goal->FMode = c.Mode;
    w.Team.AddGoal(std::move(goal));
    a->SetInFuture(true);
    b->SetInFuture(true);
    w.Team.EvaluateGoals(0);
    // Each member gets the goal's own effect, value x add and mult^(value + 1)...
    EXPECT_EQ(a->State().ScorePositive, 2 + c.OtherPositive) << int(c.Mode);
    // ...and, from the other member's evaluation, what the mode passes on.
    EXPECT_EQ(b->State().ScorePositive, 2 + c.OtherPositive);
    EXPECT_EQ(b->State().ScoreNegative, c.OtherNegative);
    EXPECT_NEAR(static_cast<double>(b->State().ScoreFactor / (0.25L * c.OtherFactor)), 1, 1e-12);
  }
}

TEST(Team, PassesNothingOnWhenTheGoalDidNothingOrTheTeamIsAlone) {
  for (uint8_t mode : {gmCooperative, gmCompetitive}) {
    TTeamWorld w;
    TLinePlayer* a = w.Add();
    TLinePlayer* b = w.Add();
    auto idle = std::make_unique<TGoalFixed>(1, 0, 1);
    idle->FMode = mode;
    w.Team.AddGoal(std::move(idle));
    w.Team.EvaluateGoals(0);
    EXPECT_EQ(a->State().ScoreFactor, 1);
    EXPECT_EQ(b->State().ScorePositive, 0);

    TTeamWorld alone;
    TLinePlayer* only = alone.Add();
    auto active = std::make_unique<TGoalFixed>(1, 2, 0.5);
    active->FMode = mode;
    alone.Team.AddGoal(std::move(active));
    alone.Team.EvaluateGoals(0);
    EXPECT_EQ(only->State().ScorePositive, 2);
    EXPECT_EQ(only->State().ScoreNegative, 0);
  }
}

TEST(Team, PersonalGoalsActTwiceAtTheEndOfAFutureAndTeamGoalsOnce) {
  TTeamWorld w;
  TLinePlayer* a = w.Add();
  int32_t personal[2] = {0, 0}, team[2] = {0, 0};
  a->AddGoal(std::make_unique<TGoalCounter>(personal));
  w.Team.AddGoal(std::make_unique<TGoalCounter>(team));
  w.Team.SetInFuture(true);
  EXPECT_TRUE(w.Team.InFuture());
  w.Team.SetInFuture(false);
  EXPECT_EQ(personal[1], 2);
  EXPECT_EQ(team[1], 1);
  EXPECT_EQ(a->Futures().FutureCount(), 1);
}

TEST(Team, RemovesMembersShrunkExactlyToTheirMinimum) {
  TTeamWorld w;
  TLinePlayer* a = w.Add();
  TLinePlayer* b = w.Add();
  a->SetSize(3);
  b->SetSize(3.0001);
  w.Team.RemoveShrunk();
  ASSERT_EQ(w.Team.MemberCount(), 1);
  EXPECT_EQ(w.Team.Members(0), b);
}

TEST(Team, AChildIsNotAskedToDuplicateInTheSamePass) {
  TTeamWorld w;
  w.Add()->WantsChild = true;
  w.Team.Evolve();
  EXPECT_EQ(w.Team.MemberCount(), 2);
  w.Team.Evolve();
  EXPECT_EQ(w.Team.MemberCount(), 4);
}

TEST(Team, TeamGoalsAreHandedBackWhenDeleted) {
  TTeam team;
  team.AddGoal(std::make_unique<TGoalFixed>(1, 1, 1));
  EXPECT_EQ(team.DeleteGoal(1), nullptr);
  EXPECT_NE(team.DeleteGoal(0), nullptr);
  EXPECT_EQ(team.GoalCount(), 0);
}
