#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "agents/BodyWorld.h"
#include "agents/UKart.h"
#include "agents/URocket.h"
#include "agents/UUtils.h"
#include "goals/UGoalDuplicate.h"
#include "world/UWorldPainter.h"

namespace {

using TCalls = std::vector<std::string>;

constexpr double Pi = std::numbers::pi;

std::string Pen(int32_t Color) {
  return "Pen " + std::to_string(Color);
}
std::string Brush(int32_t Color) {
  return "Brush " + std::to_string(Color);
}

const int32_t Black = MakeColor(0, 0, 0);
const int32_t White = MakeColor(255, 255, 255);
const int32_t Grey = MakeColor(150, 150, 150);

bool Has(const TCalls& Calls, const std::string& Call) {
  return std::find(Calls.begin(), Calls.end(), Call) != Calls.end();
}

} // namespace

TEST(Player2DDrawing, LivingBodyShowsItsEnergyAndHealthBars) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  body.SetEnergy(90);
  body.SetHealth(50);
  world.Calls().clear();
  body.Draw(world.Canvas());
  // Bars 4 pixels wide from x0 = 100 + 1.3 x 6 (+ 3 for health), framed from 107 up to 93, the
  // bar rising from 106 by round(12 x level / 100).
  const TCalls expected = {Pen(Black),
                           Brush(body.Color()),
                           "Polygon 106 100 95 104 95 96",
                           Pen(Grey),
                           Brush(White),
                           "Rectangle 108 107 112 93",
                           Brush(MakeColor(0, 128, 0)),
                           "Rectangle 108 106 112 95",
                           Pen(Grey),
                           Brush(White),
                           "Rectangle 111 107 115 93",
                           Brush(MakeColor(255, 150, 100)),
                           "Rectangle 111 106 115 100"};
  EXPECT_EQ(world.Calls(), expected);
}

TEST(Player2DDrawing, LevelBarColoursByValue) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  const struct {
    double Level;
    int32_t Color;
    const char* Bar;
  } cases[] = {{100, MakeColor(0, 128, 0), "Rectangle 100 106 104 94"},
               {80, MakeColor(255, 255, 0), "Rectangle 100 106 104 96"},
               {60, MakeColor(255, 150, 100), "Rectangle 100 106 104 99"},
               {40, MakeColor(255, 0, 0), "Rectangle 100 106 104 101"},
               {1, MakeColor(255, 0, 0), "Rectangle 100 106 104 106"}};
  for (const auto& c : cases) {
    world.Calls().clear();
    body.DrawLevel(world.Canvas(), -8, c.Level); // x0 = 107.8 - 8, rounded to 100
    const TCalls expected = {Pen(Grey), Brush(White), "Rectangle 100 107 104 93", Brush(c.Color),
                             c.Bar};
    EXPECT_EQ(world.Calls(), expected) << "level " << c.Level;
  }
  world.Calls().clear();
  body.DrawLevel(world.Canvas(), 0, 0);
  body.DrawLevel(world.Canvas(), 0, -5);
  EXPECT_TRUE(world.Calls().empty()); // not even the frame
}

TEST(Player2DDrawing, DeadBodyIsCrossedOutWithoutBars) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  body.SetDead(true);
  world.Calls().clear();
  body.Draw(world.Canvas());
  const TCalls expected = {Pen(Black), Brush(body.Color()), "Polygon 106 100 95 104 95 96",
                           "Line 94 94 106 106", "Line 94 106 106 94"};
  EXPECT_EQ(world.Calls(), expected);
}

TEST(Player2DDrawing, EmptyEnergyShowsOnlyTheHealthBar) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  body.SetEnergy(0);
  world.Calls().clear();
  body.Draw(world.Canvas());
  EXPECT_EQ(std::count_if(world.Calls().begin(), world.Calls().end(),
                          [](const std::string& c) { return c.starts_with("Rectangle"); }),
            2);
  EXPECT_TRUE(Has(world.Calls(), "Rectangle 111 107 115 93"));
}

TEST(Player2DDrawing, SensitivityBarOnlyAtLevel8WithTheLevelsShown) {
  TBodyWorld world(200, 200);
  auto& kart = world.Add(TKart::New(100, 100, 0));
  // Sensitivity 0.5 of the first free parameter, drawn as 50 at offset 10: x0 = 123.
  const std::string frame = "Rectangle 123 111 127 89";
  world.Calls().clear();
  kart.Draw(world.Canvas());
  EXPECT_FALSE(Has(world.Calls(), frame));
  kart.SetDrawLevels(true);
  world.Calls().clear();
  kart.Draw(world.Canvas());
  EXPECT_TRUE(Has(world.Calls(), frame));
  kart.SetAILevel(7);
  world.Calls().clear();
  kart.Draw(world.Canvas());
  EXPECT_FALSE(Has(world.Calls(), frame));
}

TEST(Player2DDrawing, EndingPointsAreCirclesOrBlackSquaresByTheSignOfTheScore) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  TState future(&body);
  future.Assign(body.RealState());

  // Score -0.2 at scale 10: half side round(2 + 1) = 3.
  body.SetAILevel(7);
  body.FEndPointScale = 10;
  future.AddScore(-std::sqrt(0.2L), 1);
  world.Calls().clear();
  body.DrawEndPoint(future, world.Canvas());
  EXPECT_EQ(world.Calls(), (TCalls{Pen(White), Brush(Black), "Rectangle 97 97 103 103"}));
  EXPECT_NEAR(static_cast<double>(body.FEndPointMax), 2, 1e-9);

  // Score 0.3: a circle of radius round(3 + 1) in the trace colour.
  body.SetAILevel(4);
  future.ResetScore();
  future.AddScore(0.3L, 1);
  world.Calls().clear();
  body.DrawEndPoint(future, world.Canvas());
  EXPECT_EQ(world.Calls(),
            (TCalls{Pen(MakeColor(128, 128, 128)), "BrushClear", "Ellipse 96 96 104 104"}));
  EXPECT_NEAR(static_cast<double>(body.FEndPointMax), 3, 1e-9);

  // Radii stop at 100 + 1.
  future.AddScore(1000, 1);
  world.Calls().clear();
  body.DrawEndPoint(future, world.Canvas());
  EXPECT_EQ(world.Calls().back(), "Ellipse -1 -1 201 201");
  EXPECT_EQ(body.FEndPointMax, 100);
}

TEST(Player2DDrawing, FuturesThatAllScoreZeroKeepTheScaleFinite) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  TState future(&body);
  future.Assign(body.RealState());
  body.SetAILevel(4);
  // Every pass finds only radius 0 and doubles the scale; past the range of the extended reals
  // it would reach infinity, and 0 x infinity cannot be drawn.
  for (int pass = 0; pass < 17000; ++pass) {
    world.Calls().clear();
    ASSERT_NO_THROW(body.DrawEndPoint(future, world.Canvas())) << "pass " << pass;
    body.AdaptEndPointScale();
  }
  EXPECT_TRUE(std::isfinite(static_cast<double>(body.FEndPointScale)));
  EXPECT_EQ(world.Calls().back(), "Ellipse 99 99 101 101");
}

TEST(Player2DDrawing, HandMoveShowsOnlyWhenTheWorldIsPainted) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  world.Calls().clear();
  body.MoveBy(5, 0, 0);
  body.MoveBy(5, 0, Pi / 2);
  EXPECT_EQ(body.PosX(), 110);
  EXPECT_EQ(body.Angle(), Pi / 2);
  EXPECT_TRUE(world.Calls().empty());
  TWorldPainter::Paint(world.Track, world.Canvas(), TWorldPainter::pwRedraw);
  EXPECT_TRUE(Has(world.Calls(), "Polygon 110 106 106 95 114 95"));
}

TEST(Player2DDrawing, KartTraceIsRedWhenSteeringRightAndBlueOtherwise) {
  TBodyWorld world(200, 200);
  auto& kart = world.Add(TKart::New(100, 100, 0));
  kart.SetDrawTraces(true);
  // One sub-step of a future moving 5 pixels right, recorded with the future and drawn from it.
  const auto segment = [&](double Push) {
    kart.SetInFuture(true);
    TParamValues& push = kart.State().ParamByName("PushTurn");
    push.SetValue(Push);
    push.UpdateMilli();
    kart.State().StoreStartValues();
    kart.SetPosX(105);
    kart.RecordTrace();
    kart.SetInFuture(false);
    world.Calls().clear();
    kart.DrawStoredTrace(kart.Futures().FutureCount() - 1, world.Canvas());
    return world.Calls();
  };
  EXPECT_EQ(segment(5), (TCalls{Pen(MakeColor(255, 155, 155)), "Line 100 100 105 100"}));
  EXPECT_EQ(segment(-5), (TCalls{Pen(MakeColor(155, 155, 255)), "Line 100 100 105 100"}));
  EXPECT_TRUE(segment(0).empty()); // not steering: no trace at all
  // The real move, steering too, leaves no trace: nothing is drawn during a step.
  TParamValues& push = kart.State().ParamByName("PushTurn");
  push.SetValue(5);
  push.UpdateMilli();
  kart.State().StoreStartValues();
  kart.SetPosX(105);
  world.Calls().clear();
  kart.RecordTrace();
  EXPECT_TRUE(world.Calls().empty());
}

TEST(Player2DDrawing, KartShowsWheelsAndStickEvenWhenDead) {
  TBodyWorld world(200, 200);
  auto& kart = world.Add(TKart::New(100, 100, 0));
  kart.SetPower(15);
  world.Calls().clear();
  kart.Draw(world.Canvas());
  // Full throttle: the knob is pure green, 6 pixels ahead of the centre, radius 4.
  EXPECT_TRUE(Has(world.Calls(), Brush(MakeColor(0, 255, 0))));
  EXPECT_TRUE(Has(world.Calls(), "Line 100 100 106 100"));
  EXPECT_TRUE(Has(world.Calls(), "Ellipse 102 96 110 104"));

  kart.SetPower(-15);
  kart.SetDead(true);
  world.Calls().clear();
  kart.Draw(world.Canvas());
  EXPECT_TRUE(Has(world.Calls(), "Line 90 90 110 110")); // the cross
  EXPECT_TRUE(Has(world.Calls(), "PenWidth 2"));         // and the wheels after it
  EXPECT_TRUE(Has(world.Calls(), Brush(MakeColor(255, 255, 0))));
  EXPECT_EQ(world.Calls().back(), "Ellipse 90 96 98 104");
}

TEST(Player2DDrawing, RocketShowsItsWindowFlameAndSideJet) {
  TBodyWorld world(200, 200);
  auto& rocket = world.Add(TRocket::New(100, 100, -Pi / 2));
  rocket.SetMainPower(20);
  rocket.SetRotaPower(1);
  world.Calls().clear();
  rocket.Draw(world.Canvas());
  const TCalls& calls = world.Calls();
  const TCalls tail(calls.end() - 6, calls.end());
  EXPECT_EQ(tail, (TCalls{Brush(MakeColor(0xA6, 0xCA, 0xF0)), Pen(MakeColor(0, 0, 255)),
                          "Ellipse 96 96 104 104", Pen(MakeColor(255, 0, 0)),
                          "Line 100 112 100 132", "Line 100 112 110 112"}));
}

TEST(Player2DDrawing, DrawingOutsideAWorldIsHarmless) {
  TRecordingCanvas canvas;
  EXPECT_NO_THROW(TTestBody::New(100, 100, 0)->Draw(canvas));
  EXPECT_TRUE(canvas.Calls.empty()); // no body without a world to place it in
  EXPECT_NO_THROW(TKart::New(100, 100, 0)->Draw(canvas));
}

TEST(GoalDuplicateChart, ShowsTheGoalValuesOfEveryLivingPlayer) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  world.Add(TTestBody::New(150, 100, 0)).SetDead(true);
  TGoal& goal = *body.Goals(3);
  goal.Evaluate(body, 0);
  world.Calls().clear();
  goal.Draw(&body, world.Canvas());
  const int32_t grey = MakeColor(100, 100, 100);
  // Goals health 1, energy 0.1, speed 1, duplicate 0.5, each of maximum 10.
  const TCalls expected = {Brush(White),
                           Pen(Black),
                           "Rectangle 10 10 140 100",
                           Pen(grey),
                           "Rectangle 15 15 135 95",
                           "Rectangle 15 12 17 13",
                           "BrushClear",
                           Pen(grey),
                           "Line 15 15 15 95",
                           "Line 55 15 55 95",
                           "Line 95 15 95 95",
                           "Line 135 15 135 95",
                           Pen(body.Color()),
                           "Line 15 87 55 94",
                           "Line 55 94 95 87",
                           "Line 95 87 135 91"};
  EXPECT_EQ(world.Calls(), expected);
}

TEST(GoalDuplicateChart, PlayerWithOneGoalGetsOneAxisAndADot) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  while (body.GoalCount() > 1)
    body.DeleteGoal(body.GoalCount() - 1);
  TGoalDuplicate goal(0.5);
  goal.Evaluate(body, 0);
  world.Calls().clear();
  goal.Draw(&body, world.Canvas());
  const TCalls& calls = world.Calls();
  const TCalls tail(calls.end() - 4, calls.end());
  EXPECT_EQ(tail, (TCalls{Pen(MakeColor(100, 100, 100)), "Line 15 15 15 95", Pen(body.Color()),
                          "Line 15 87 16 87"}));
}

TEST(GoalDuplicateChart, NothingWithoutAPlayerNorAtStrengthZero) {
  TBodyWorld world(200, 200);
  auto& body = world.Add(TTestBody::New(100, 100, 0));
  TGoal& goal = *body.Goals(3);
  goal.Evaluate(body, 0);
  world.Calls().clear();
  goal.Draw(nullptr, world.Canvas()); // a team without members
  EXPECT_TRUE(world.Calls().empty());
  // It always draws, even when its player draws no goals, unless it is switched off.
  body.DrawGoals(world.Canvas());
  EXPECT_FALSE(world.Calls().empty());
  goal.SetValue(0);
  world.Calls().clear();
  body.DrawGoals(world.Canvas());
  EXPECT_TRUE(world.Calls().empty());
}
