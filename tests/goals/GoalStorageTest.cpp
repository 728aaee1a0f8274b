#include <gtest/gtest.h>

#include <string>

#include "goals/GoalWorld.h"
#include "goals/UGoal2DStorage.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"

namespace {
// A kart of size 10 at (100, 100) on the box of half side 6 and capacity 500.
struct TBoxWorld : TGoalWorld {
  TKart& Kart;
  TGoal2DStorage Goal{100, 100, 6, 500, 1};
  TBoxWorld() : Kart(AddKart(100, 100)) {}
};
} // namespace

TEST(GoalStorage, LastTransferIsTakenWholeAndThenTheBoxIsFull) {
  TBoxWorld w;
  w.Goal.FStored = 495;
  EXPECT_EQ(w.Goal.Evaluate(w.Kart, 0).Add, 40);
  EXPECT_EQ(w.Kart.Energy(), 10);
  EXPECT_EQ(w.Goal.FStored, 535);
  w.Kart.SetEnergy(50);
  EXPECT_EQ(w.Goal.Evaluate(w.Kart, 0).Add, 0);
  EXPECT_EQ(w.Kart.Energy(), 50);
  EXPECT_EQ(w.Goal.FStored, 535);
}

TEST(GoalStorage, APlayerBelowTheKeptTenHandsOverNothing) {
  TBoxWorld w;
  w.Kart.SetEnergy(8);
  const TScoreContribution c = w.Goal.Evaluate(w.Kart, 0);
  EXPECT_EQ(c.Add, 0);
  EXPECT_EQ(c.Mult, 1);
  EXPECT_EQ(w.Kart.Energy(), 8);
  EXPECT_EQ(w.Goal.FStored, 0);
}

TEST(GoalStorage, AFutureScoresTheTransferButMovesNoEnergy) {
  TBoxWorld w;
  w.Kart.SetInFuture(true);
  EXPECT_EQ(w.Goal.Evaluate(w.Kart, 0).Add, 40);
  EXPECT_EQ(w.Kart.Energy(), 50);
  EXPECT_EQ(w.Goal.FStored, 0);
  EXPECT_EQ(w.Goal.Evaluate(w.Kart, 1).Add, 0);
}

TEST(GoalStorage, DrawsTheFillFromTheBottomAndNeverAboveTheBox) {
  TBoxWorld w;
  w.Goal.FStored = 250;
  w.Goal.Draw(&w.Kart, w.Canvas());
  std::vector<std::string> expected = {
      "Pen 16711680", "BrushClear",     "Rectangle 94 94 106 106",
      "Pen 0",        "Brush 16776960", "Rectangle 94 100 106 106"};
  EXPECT_EQ(w.Canvas().Calls, expected);
  w.Canvas().Calls.clear();
  w.Goal.FStored = 535;
  w.Goal.Draw(&w.Kart, w.Canvas());
  expected.back() = "Rectangle 94 94 106 106";
  EXPECT_EQ(w.Canvas().Calls, expected);
}

TEST(GoalStorage, ARandomBoxLiesOnTheRoadOfTheWholePicture) {
  RandSeed(5);
  TGoalWorld w(800, 600, 5);
  // Road only in the lower right, beyond what a 745 x 553 view of the circuit would reach.
  w.Picture->FillRect(0, 0, 800, 500, 0);
  w.Picture->FillRect(0, 0, 680, 600, 0);
  w.Track.LoadTrack(*w.Picture);
  const std::unique_ptr<TGoal2DStorage> goal = TGoal2DStorage::NewOnRoad(w.Track, 1);
  for (int32_t dx : {-6, 6})
    for (int32_t dy : {-6, 6})
      EXPECT_TRUE(w.Track.PointOnRoad(goal->FBoxX + dx, goal->FBoxY + dy));
  EXPECT_EQ(goal->FBoxHalfSize, 6);
  EXPECT_EQ(goal->FCapacity, 500);
  EXPECT_EQ(goal->FValue, 1);
}

TEST(GoalStorage, NoRoomForTheBoxIsAClearError) {
  TGoalWorld w(200, 150, 5);
  auto black = std::make_unique<TTestPicture>(200, 150, 0);
  w.Track.LoadTrack(*black);
  try {
    TGoal2DStorage::PlaceBox(w.Track);
    FAIL() << "a box was placed on a black picture";
  } catch (const EError& e) {
    EXPECT_STREQ(e.what(), "No place on the road for a storage box.");
  }
}
