#include <gtest/gtest.h>

#include <algorithm>

#include "goals/GoalWorld.h"
#include "goals/UGoal2DSweets.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"

namespace {
// A kart of size 10 at (100, 100) and a drop goal whose slots are empty and set by hand.
struct TDropWorld : TGoalWorld {
  TKart& Kart;
  TGoal2DSweets Goal{1};
  TDropWorld() : Kart(AddKart(100, 100)) { Goal.FNeedsPlacing = false; }
  void SetDrop(int32_t I, int32_t X, int32_t Y, int32_t Amount) {
    Goal.FDropX[I] = X;
    Goal.FDropY[I] = Y;
    Goal.FDropAmount[I] = Goal.FFutureAmount[I] = Amount;
  }
};

// The five road tests a placed drop passes, for a player of size 10.
bool DropFits(const TTrack2D& Track, int32_t X, int32_t Y) {
  return Track.PointOnRoad(X, Y) && Track.PointOnRoad(X + 15, Y) && Track.PointOnRoad(X - 15, Y) &&
         Track.PointOnRoad(X, Y + 15) && Track.PointOnRoad(X, Y - 15);
}

bool AllAmounts(const TGoal2DSweets& Goal, bool (*Test)(int32_t)) {
  return std::all_of(Goal.FDropAmount.begin(), Goal.FDropAmount.end(), Test);
}
} // namespace

TEST(GoalSweets, TouchingADropTakesTwoEnergyAndUsesOneUnit) {
  TDropWorld w;
  w.SetDrop(0, 105, 95, 3);
  w.SetDrop(1, 110, 100, 3); // 10 pixels away: not touching
  EXPECT_EQ(w.Goal.Evaluate(w.Kart, 0).Add, 1);
  EXPECT_EQ(w.Kart.Energy(), 52);
  EXPECT_EQ(w.Goal.FDropAmount[0], 2);
  EXPECT_EQ(w.Goal.FDropAmount[1], 3);
  EXPECT_EQ(w.Kart.State().ScorePositive, 1);
}

TEST(GoalSweets, NearFullEnergyHalfAGainUsesUpAUnitOnlyFromAnOddAmount) {
  for (auto [amount, left] : {std::pair{3, 2}, {4, 4}}) {
    TDropWorld w;
    w.Kart.SetEnergy(99);
    w.SetDrop(0, 100, 100, amount);
    EXPECT_EQ(w.Goal.Evaluate(w.Kart, 0).Add, 0.5);
    EXPECT_EQ(w.Kart.Energy(), 100);
    EXPECT_EQ(w.Goal.FDropAmount[0], left);
    // Full now: nothing more is taken or scored.
    EXPECT_EQ(w.Goal.Evaluate(w.Kart, 0).Add, 0);
    EXPECT_EQ(w.Goal.FDropAmount[0], left);
  }
}

TEST(GoalSweets, TwoOverlappingDropsAreBothTakenFrom) {
  TDropWorld w;
  w.SetDrop(3, 100, 100, 3);
  w.SetDrop(7, 102, 98, 3);
  EXPECT_EQ(w.Goal.Evaluate(w.Kart, 0).Add, 2);
  EXPECT_EQ(w.Kart.Energy(), 54);
  EXPECT_EQ(w.Goal.FDropAmount[3], 2);
  EXPECT_EQ(w.Goal.FDropAmount[7], 2);
}

TEST(GoalSweets, FuturesUseTheirOwnAmountsWhichEachStepResets) {
  TDropWorld w;
  w.SetDrop(0, 100, 100, 3);
  w.Kart.SetInFuture(true);
  w.Goal.Evaluate(w.Kart, 0);
  w.Goal.Evaluate(w.Kart, 0);
  EXPECT_EQ(w.Kart.Energy(), 54);
  EXPECT_EQ(w.Goal.FFutureAmount[0], 1);
  w.Kart.SetInFuture(false);
  EXPECT_EQ(w.Kart.Energy(), 50);
  EXPECT_EQ(w.Goal.FDropAmount[0], 3);
  w.Goal.Draw(&w.Kart, w.Canvas()); // the real drops
  const std::vector<std::string> expected = {"Brush 15793151", "Pen 32768",
                                             "Ellipse 96 96 104 104"};
  EXPECT_EQ(w.Canvas().Calls, expected);
  w.Goal.BeginStep(w.Team);
  EXPECT_EQ(w.Goal.FFutureAmount[0], 3);
}

TEST(GoalSweets, AnEmptiedRealDropIsReplacedAtOnceOnTheRoad) {
  RandSeed(7);
  TDropWorld w;
  w.SetDrop(0, 100, 100, 1);
  w.Goal.Evaluate(w.Kart, 0);
  EXPECT_GE(w.Goal.FDropAmount[0], 2);
  EXPECT_LE(w.Goal.FDropAmount[0], 6);
  EXPECT_EQ(w.Goal.FFutureAmount[0], w.Goal.FDropAmount[0]);
  EXPECT_TRUE(DropFits(w.Track, w.Goal.FDropX[0], w.Goal.FDropY[0]));
}

TEST(GoalSweets, WithEvolutionOnlyRocketsCollectAndNeverTheDead) {
  TDropWorld w;
  TRocket& rocket = w.AddRocket(200, 150);
  w.SetDrop(0, 100, 100, 3);
  w.SetDrop(1, 200, 150, 3);
  w.Track.SetEvolution(true);
  EXPECT_EQ(w.Goal.Evaluate(w.Kart, 0).Add, 0);
  EXPECT_EQ(w.Kart.Energy(), 50);
  EXPECT_EQ(w.Goal.Evaluate(rocket, 0).Add, 1);
  EXPECT_EQ(rocket.Energy(), 52);
  rocket.SetHealth(0);
  EXPECT_EQ(w.Goal.Evaluate(rocket, 0).Add, 0);
  EXPECT_EQ(w.Goal.FDropAmount[1], 2);
}

TEST(GoalSweets, AtStrengthZeroNothingMovesAndBackAboveItCollectsAgain) {
  TDropWorld w;
  w.SetDrop(0, 100, 100, 3);
  w.Goal.SetValue(0);
  w.Goal.Evaluate(w.Kart, 0);
  EXPECT_EQ(w.Kart.Energy(), 50);
  EXPECT_EQ(w.Goal.FDropAmount[0], 3);
  w.Goal.SetValue(1);
  w.Goal.Evaluate(w.Kart, 0);
  EXPECT_EQ(w.Kart.Energy(), 52);
  EXPECT_EQ(w.Goal.FDropAmount[0], 2);
}

TEST(GoalSweets, DropsReachTheWholePictureNotJustTheShownPart) {
  // Only the lower right of an 800 x 600 circuit is road. Shown at 745 x 553, drops placed over
  // the shown size could never lie right of x = 670 or below y = 497.
  RandSeed(3);
  TGoalWorld w(800, 600, 5);
  w.Picture->FillRect(0, 0, 800, 450, 0);
  w.Picture->FillRect(0, 0, 600, 600, 0);
  w.Track.LoadTrack(*w.Picture);
  TKart& kart = w.AddKart(700, 520);
  TGoal2DSweets goal(1);
  goal.Evaluate(kart, 0);
  EXPECT_FALSE(goal.FNeedsPlacing);
  int32_t right = 0;
  int32_t low = 0;
  for (int32_t i = 0; i < TGoal2DSweets::MaxDrops; ++i) {
    EXPECT_GE(goal.FDropAmount[i], 2);
    EXPECT_LE(goal.FDropAmount[i], 6);
    EXPECT_TRUE(DropFits(w.Track, goal.FDropX[i], goal.FDropY[i])) << i;
    right += goal.FDropX[i] > 671;
    low += goal.FDropY[i] > 498;
  }
  EXPECT_GT(right, 0);
  EXPECT_GT(low, 0);
}

TEST(GoalSweets, NoRoomForDropsLeavesTheSlotsEmptyUntilTheNextStep) {
  TGoalWorld w(200, 150, 5);
  auto black = std::make_unique<TTestPicture>(200, 150, 0);
  w.Track.LoadTrack(*black);
  TKart& kart = w.AddKart(100, 75);
  TGoal2DSweets goal(1);
  goal.Evaluate(kart, 0); // ends, with nothing placed
  EXPECT_FALSE(goal.FNeedsPlacing);
  EXPECT_TRUE(AllAmounts(goal, [](int32_t a) { return a == 0; }));
  // With road again, the next step fills the empty slots.
  w.Track.LoadTrack(*w.Picture);
  goal.BeginStep(w.Team);
  EXPECT_TRUE(AllAmounts(goal, [](int32_t a) { return a >= 2; }));
  EXPECT_EQ(goal.FFutureAmount, goal.FDropAmount);
  EXPECT_THROW(goal.PlaceDrop(-1, w.Track), ERangeError);
  EXPECT_THROW(goal.PlaceDrop(TGoal2DSweets::MaxDrops, w.Track), ERangeError);
  // Before any body was evaluated there is no size to keep clear around a drop: nothing placed.
  TGoal2DSweets fresh(1);
  EXPECT_FALSE(fresh.PlaceDrop(0, w.Track));
  EXPECT_EQ(fresh.FDropAmount[0], 0);
}
