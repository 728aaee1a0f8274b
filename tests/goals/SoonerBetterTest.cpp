#include <gtest/gtest.h>

#include "goals/UGoalEnergy.h"
#include "goals/UTeam.h"
#include "support/TestWorld.h"

namespace {
// A player half way through a 5000 ms future.
struct THalfWayWorld {
  TFlatTrack Track;
  TTeam Team;
  TPlayer* Player;
  THalfWayWorld() {
    Track.AddTeam(&Team);
    Track.SetFutureMs(5000);
    Player = Team.AddMember(TLinePlayer::New());
    Player->SetInFuture(true);
    Player->State().Time = 2500;
  }
};
} // namespace

TEST(SoonerBetter, HalfWayWeighsGainsByAQuarterAndWaivesThreeQuartersOfAPenalty) {
  THalfWayWorld w;
  TGoalFixed goal(1, 4, 0.2);
  EXPECT_DOUBLE_EQ(goal.Evaluate(*w.Player, 0).Add, 4); // off: no weighting
  goal.FSoonerBetter = true;
  const TScoreContribution c = goal.Evaluate(*w.Player, 0);
  EXPECT_DOUBLE_EQ(c.Add, 1);
  EXPECT_DOUBLE_EQ(c.Mult, 0.4);
  EXPECT_NEAR(static_cast<double>(w.Player->State().ScoreFactor), 0.2 * 0.2 * 0.4 * 0.4, 1e-12);
}

TEST(SoonerBetter, LeavesTheEndOfAFutureAndTheRealStatesAlone) {
  THalfWayWorld w;
  TGoalEnergy atEnd(0.1);
  atEnd.FSoonerBetter = true;
  TScoreContribution c = atEnd.Evaluate(*w.Player, 1);
  EXPECT_DOUBLE_EQ(c.Add, 50);
  EXPECT_DOUBLE_EQ(c.Mult, 0.25);
  w.Player->SetInFuture(false);
  TGoalFixed goal(1, 4, 0.2);
  goal.FSoonerBetter = true;
  c = goal.Evaluate(*w.Player, 0);
  EXPECT_DOUBLE_EQ(c.Add, 4);
  EXPECT_DOUBLE_EQ(c.Mult, 0.2);
}
