#include <gtest/gtest.h>

#include <set>

#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "support/TestWorld.h"

namespace {

// Fails at its Nth evaluation, to break a step in the middle of a future.
class TGoalFailing : public TGoal {
public:
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalFailing>(*this); }
  int32_t Left;
  explicit TGoalFailing(int32_t After) : TGoal(1), Left(After) {}
  void Compute(TPlayer&, int32_t) override {
    if (--Left == 0)
      throw EError("goal failed");
  }
};

// A world whose clock is always past the budget after the first future.
struct TStepWorld {
  TFlatTrack Track;
  TTeam Team;
  TTickingClock Clock{1000};
  TStepWorld() {
    Track.SetClock(&Clock);
    Track.AddTeam(&Team);
  }
  TLinePlayer* Add(double X = 0) {
    return static_cast<TLinePlayer*>(Team.AddMember(TLinePlayer::New(X)));
  }
};

} // namespace

TEST(Step, SubStepsPerFutureRoundHalvesToEvenAndAreAtLeastTwo) {
  TFlatTrack track;
  const std::pair<int32_t, int32_t> cases[] = {{5000, 50}, {1000, 10}, {50, 2}, {250, 2}, {350, 4}};
  for (const auto& [futureMs, count] : cases) {
    track.SetFutureMs(futureMs);
    EXPECT_EQ(track.SubStepCount(), count) << futureMs;
  }
}

TEST(Step, RunsOneFutureMoreThanTheMinimumWhenTheBudgetIsSpent) {
  TStepWorld w;
  TLinePlayer* player = w.Add();
  w.Track.SetFutureMs(1000);
  w.Track.Step(100);
  EXPECT_EQ(w.Track.LastFutureCount(), 101);
  EXPECT_EQ(player->Futures().FutureCount(), 101);
  // Every sub-step of every future applies the track, and the real move once more.
  EXPECT_EQ(w.Track.ApplyCount(), 101 * 10 + 1);
  EXPECT_FALSE(player->InFuture());
  EXPECT_EQ(player->State().Time, 100); // the real move is one sub-step of the real clock
}

TEST(Step, AWorldWithoutTeamsStillRunsItsMinimum) {
  TFlatTrack track;
  TTickingClock clock(1000);
  track.SetClock(&clock);
  track.SetMinFutures(7);
  EXPECT_TRUE(track.Step(100));
  EXPECT_EQ(track.LastFutureCount(), 8);
}

TEST(Step, KeepsRunningFuturesWhileBudgetRemains) {
  TStepWorld w;
  w.Add();
  TTickingClock slow(1); // one millisecond per future: 90 ms of budget
  w.Track.SetClock(&slow);
  w.Track.SetMinFutures(10);
  w.Track.SetFutureMs(200);
  w.Track.Step(100);
  // The deadline is read at 1 ms (1 + 90); the clock passes it after the 91st future.
  EXPECT_EQ(w.Track.LastFutureCount(), 91);
}

TEST(Step, AFixedNumberOfFuturesIgnoresTheClock) {
  TStepWorld w;
  w.Add();
  w.Track.SetFixedFutures(37);
  w.Track.SetFutureMs(200);
  w.Track.Step(100);
  EXPECT_EQ(w.Track.LastFutureCount(), 37);
}

TEST(Step, EveryFutureStartsWithAnOptionPush) {
  RandSeed(21);
  TStepWorld w;
  TLinePlayer* player = w.Add();
  w.Track.SetFixedFutures(200);
  w.Track.SetFutureMs(500);
  w.Track.Step(100);
  std::set<int32_t> firstActions;
  for (int32_t i = 0; i < player->Futures().FutureCount(); ++i)
    firstActions.insert(player->Futures().GetFuture(i).FreeParam(0).Milli);
  EXPECT_EQ(firstActions, (std::set<int32_t>{-10000, -3333, 3333, 10000}));
  EXPECT_EQ(player->Futures().OptionCount(), 4);
}

TEST(Step, AFailureInAFutureLeavesEveryoneInRealMode) {
  TStepWorld w;
  TLinePlayer* player = w.Add(30);
  w.Team.AddGoal(std::make_unique<TGoalFailing>(7));
  w.Track.SetFutureMs(1000);
  EXPECT_THROW(w.Track.Step(100), EError);
  EXPECT_FALSE(player->InFuture());
  EXPECT_FALSE(w.Team.InFuture());
  EXPECT_EQ(player->PosX(), 30); // edits from now on reach the real state
  player->State().Param(player->PosXIndex).SetValue(40);
  EXPECT_EQ(player->RealState().Param(player->PosXIndex).Value, 40);
}

TEST(Step, EvolutionRecoloursAndShowsGoalsOnlyWhenSwitchedOn) {
  TStepWorld w;
  TLinePlayer* player = w.Add();
  player->SetColor(1);
  w.Track.SetEvolution(true);
  EXPECT_TRUE(w.Track.Evolution());
  EXPECT_NE(player->Color(), 1);
  EXPECT_TRUE(player->DrawsGoals());
  player->SetColor(1);
  w.Track.SetEvolution(false);
  EXPECT_EQ(player->Color(), 1);
  EXPECT_TRUE(player->DrawsGoals());
}

TEST(Step, DuplicatesWithEvolutionAndRemovesTheShrunk) {
  TStepWorld w;
  TLinePlayer* parent = w.Add();
  TLinePlayer* shrunk = w.Add();
  parent->WantsChild = true;
  shrunk->SetSize(3);
  w.Track.SetFutureMs(200);
  w.Track.Step(100);
  EXPECT_EQ(w.Team.MemberCount(), 1); // no evolution: no child; the shrunk one is gone
  EXPECT_EQ(w.Team.Members(0), parent);
  w.Track.SetEvolution(true);
  w.Track.Step(100);
  EXPECT_EQ(w.Team.MemberCount(), 2);
  EXPECT_EQ(w.Track.PlayerCount(), 2);
}

TEST(Step, AddingATeamLeavesThePlayerListUntilItsMembersChange) {
  TFlatTrack track;
  TTeam team;
  team.AddMember(TLinePlayer::New());
  track.AddTeam(&team);
  EXPECT_EQ(track.FTeam, &team);
  EXPECT_EQ(track.PlayerCount(), 0);
  team.AddMember(TLinePlayer::New());
  EXPECT_EQ(track.PlayerCount(), 2);
  EXPECT_THROW(track.Teams(1), ERangeError);
}

TEST(Step, APlayerOutsideAnyWorldCannotMove) {
  auto player = TLinePlayer::New();
  EXPECT_THROW(player->Advance(), EError);
}
