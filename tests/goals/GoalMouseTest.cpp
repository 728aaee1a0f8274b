#include <gtest/gtest.h>

#include <cmath>

#include "goals/GoalWorld.h"
#include "goals/UGoalMouse.h"

namespace {
// A kart of size 10 at (100, 100) on a 400 x 300 picture, and the pointer on it.
struct TMouseWorld : TGoalWorld {
  TKart& Kart;
  TFixedPointer Pointer{100, 100};
  TMouseWorld() : Kart(AddKart(100, 100)) { Track.SetPointer(&Pointer); }
  double Factor(bool Avoid, int32_t Phase = 0) {
    return TGoalMouse(Avoid, 1).Evaluate(Kart, Phase).Mult;
  }
};
} // namespace

TEST(GoalMouse, FactorFollowsTheDistanceInHundredsOfSizes) {
  TMouseWorld w;
  EXPECT_EQ(w.Factor(false), 1); // on the player: nothing better to follow
  EXPECT_EQ(w.Factor(true), 0);  // nothing worse to avoid
  w.Pointer.PX = 375;            // 275 pixels = 25 x (size + 1): q = 0.25
  EXPECT_DOUBLE_EQ(w.Factor(true), 0.5);
  EXPECT_DOUBLE_EQ(w.Factor(false), std::sqrt(0.8));
}

TEST(GoalMouse, NothingWhenThePointerIsOutsideOrThePlayerDeadOrAtTheEndOfAFuture) {
  TMouseWorld w;
  for (auto [x, y] : {std::pair{0, 100}, {100, 0}, {400, 100}, {100, 300}, {-20, 50}}) {
    w.Pointer.PX = x;
    w.Pointer.PY = y;
    EXPECT_EQ(w.Factor(true), 1) << x << "," << y;
    EXPECT_EQ(w.Factor(false), 1) << x << "," << y;
  }
  w.Pointer.PX = 120;
  w.Pointer.PY = 100;
  EXPECT_EQ(w.Factor(true, 1), 1);
  w.Track.SetPointer(nullptr);
  EXPECT_EQ(w.Factor(true), 1);
  w.Track.SetPointer(&w.Pointer);
  w.Kart.SetHealth(0);
  EXPECT_EQ(w.Factor(true), 1);
}

TEST(GoalMouse, DrawsABlueCrossInACircleOnThePointer) {
  TMouseWorld w;
  TGoalMouse goal(false, 1);
  goal.Draw(); // no player yet: nothing
  EXPECT_TRUE(w.Canvas().Calls.empty());
  w.Pointer.PX = 50;
  w.Pointer.PY = 60;
  goal.Evaluate(w.Kart, 0);
  goal.Draw();
  const std::vector<std::string> expected = {"Pen 16711680", "BrushClear", "Ellipse 40 50 60 70",
                                             "Line 50 50 50 70", "Line 40 60 60 60"};
  EXPECT_EQ(w.Canvas().Calls, expected);
}
