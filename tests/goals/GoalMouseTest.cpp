#include <gtest/gtest.h>

#include <cmath>

#include "goals/GoalWorld.h"
#include "goals/UGoalMouse.h"

namespace {
// A kart of size 10 at (100, 100) on a 400 x 300 picture, and the pointer on it.
struct TMouseWorld : TGoalWorld {
  TKart& Kart;
  TMouseWorld() : Kart(AddKart(100, 100)) { Track.SetMouse(100, 100); }
  double Factor(bool Avoid, int32_t Phase = 0) {
    return TGoalMouse(Avoid, 1).Evaluate(Kart, Phase).Mult;
  }
};
} // namespace

TEST(GoalMouse, FactorFollowsTheDistanceInHundredsOfSizes) {
  TMouseWorld w;
  EXPECT_EQ(w.Factor(false), 1); // on the player: nothing better to follow
  EXPECT_EQ(w.Factor(true), 0);  // nothing worse to avoid
  w.Track.SetMouse(375, 100);    // 275 pixels = 25 x (size + 1): q = 0.25
  EXPECT_DOUBLE_EQ(w.Factor(true), 0.5);
  EXPECT_DOUBLE_EQ(w.Factor(false), std::sqrt(0.8));
}

TEST(GoalMouse, NothingWhenThePointerIsOutsideOrThePlayerDeadOrAtTheEndOfAFuture) {
  TMouseWorld w;
  for (auto [x, y] : {std::pair{0, 100}, {100, 0}, {400, 100}, {100, 300}, {-20, 50}}) {
    w.Track.SetMouse(x, y);
    EXPECT_EQ(w.Factor(true), 1) << x << "," << y;
    EXPECT_EQ(w.Factor(false), 1) << x << "," << y;
  }
  w.Track.SetMouse(120, 100);
  EXPECT_EQ(w.Factor(true, 1), 1);
  w.Kart.SetHealth(0);
  EXPECT_EQ(w.Factor(true), 1);
  // A world that was never handed a reading has the pointer outside.
  TGoalWorld fresh;
  EXPECT_EQ(TGoalMouse(true, 1).Evaluate(fresh.AddKart(100, 100), 0).Mult, 1);
}

TEST(GoalMouse, DrawsABlueCrossInACircleOnThePointer) {
  TMouseWorld w;
  TGoalMouse goal(false, 1);
  goal.Draw(nullptr, w.Canvas()); // a team without members: nothing
  EXPECT_TRUE(w.Canvas().Calls.empty());
  w.Track.SetMouse(50, 60);
  goal.Draw(&w.Kart, w.Canvas());
  const std::vector<std::string> expected = {"Pen 16711680", "BrushClear", "Ellipse 40 50 60 70",
                                             "Line 50 50 50 70", "Line 40 60 60 60"};
  EXPECT_EQ(w.Canvas().Calls, expected);
}
