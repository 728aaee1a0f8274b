#include <gtest/gtest.h>

#include <numbers>

#include "agents/BodyWorld.h"
#include "agents/UKart.h"
#include "agents/UUtils.h"

namespace {

constexpr double Pi = std::numbers::pi;

// A kart facing right in the middle of a wide white picture, far from every wall.
struct TKartWorld {
  TBodyWorld World{2000, 400};
  TKart& Kart = World.Add(TKart::New(1000, 200, 0));

  void SetParam(const char* Name, double Value) { Kart.State().ParamByName(Name).SetValue(Value); }
};

} // namespace

TEST(Kart, AtRestUsesTheBaseConsumptionAndStaysPut) {
  TKartWorld w;
  w.Kart.Advance();
  EXPECT_NEAR(w.Kart.Energy(), 50 - 0.005, 1e-12);
  EXPECT_EQ(w.Kart.PosX(), 1000);
  EXPECT_EQ(w.Kart.PosY(), 200);
  EXPECT_EQ(w.Kart.VelX(), 0);
  EXPECT_EQ(w.Kart.Angle(), 0);
}

TEST(Kart, ReachesFullPowerInOneSubStepOnlyWithAPushOfAtLeast150) {
  TKartWorld w;
  w.SetParam("PushPower", 100);
  w.Kart.Advance();
  EXPECT_NEAR(w.Kart.Power(), 10, 1e-12);

  TKartWorld full;
  full.SetParam("PushPower", 180);
  full.Kart.Advance();
  EXPECT_EQ(full.Kart.Power(), 15); // 18 cut to the bound
  // Drive 15 for 0.1 s from rest, and (1.5^2 / 10 + 0.05) energy per second.
  EXPECT_NEAR(full.Kart.VelX(), 1.5, 1e-12);
  EXPECT_NEAR(full.Kart.PosX(), 1000.225, 1e-9);
  EXPECT_NEAR(full.Kart.Energy(), 50 - 0.0275, 1e-12);
}

TEST(Kart, BrakingNeverReversesWithinASubStep) {
  TKartWorld w;
  w.Kart.SetVelX(1);
  w.Kart.SetPower(-15);
  w.Kart.Advance();
  EXPECT_EQ(w.Kart.VelX(), 0);                     // 1 - 2.25 is cut to a stop
  EXPECT_NEAR(w.Kart.Energy(), 50 - 0.005, 1e-12); // braking costs the base rate only
  // Standing now, the same power drives backward at a tenth of its force.
  w.Kart.Advance();
  EXPECT_NEAR(w.Kart.VelX(), -0.15, 1e-12);
}

TEST(Kart, EnergyRunningOutMidStepWeakensTheDriveAndKills) {
  TKartWorld w;
  w.Kart.SetEnergy(0.001);
  w.Kart.SetPower(15);
  w.Kart.Advance();
  EXPECT_EQ(w.Kart.Energy(), 0);
  EXPECT_TRUE(w.Kart.IsDead());
  // The drive is scaled to 15 x 0.001 / 0.0275, then capped at 200 x 0.001.
  EXPECT_NEAR(w.Kart.VelX(), 0.1 * 0.2, 1e-12);
}

TEST(Kart, TurnRateFollowsTheForwardSpeedUpTo10PixelsPerSecond) {
  const struct {
    double Speed, Angle;
  } cases[] = {{0, 0}, {5, 0.025}, {10, 0.05}, {40, 0.05}, {-5, -0.025}};
  for (const auto& c : cases) {
    TKartWorld w;
    w.World.Track.SetFriction(0); // keep the forward speed as set
    w.Kart.SetVelX(c.Speed);
    w.Kart.SetTurn(0.5);
    w.Kart.Advance();
    EXPECT_NEAR(w.Kart.Angle(), c.Angle, 1e-12) << "speed " << c.Speed;
  }
}

TEST(Kart, RollingDampingNeverSpeedsUpAReversingKart) {
  TKartWorld w;
  w.Kart.SetVelX(-300); // unclamped, the damping would be 1.03 here
  for (int i = 0; i < 5; ++i) {
    const double before = w.Kart.VelX();
    w.Kart.Advance();
    EXPECT_GE(w.Kart.VelX(), before);
    EXPECT_LE(w.Kart.VelX(), 0);
  }
}

TEST(Kart, SideFrictionSlowsSlidingDownToAStop) {
  TKartWorld w;
  w.Kart.SetVelY(10);
  w.Kart.Advance();
  EXPECT_NEAR(w.Kart.VelY(), 8, 1e-12); // 100 x 0.2 pixels per second each second
  w.Kart.SetVelY(0.0001);               // too slow to touch
  w.Kart.Advance();
  EXPECT_EQ(w.Kart.VelY(), 0.0001);
  w.Kart.SetVelY(1);
  w.Kart.Advance();
  EXPECT_EQ(w.Kart.VelY(), 0);
}

TEST(Kart, DeadKartLosesItsPowerAndKeepsItsSteering) {
  TKartWorld w;
  w.Kart.SetPower(10);
  w.Kart.SetTurn(0.3);
  w.SetParam("PushTurn", 15);
  w.Kart.SetDead(true);
  w.Kart.Advance();
  EXPECT_EQ(w.Kart.Power(), 0);
  EXPECT_EQ(w.Kart.Turn(), 0.3);
}

TEST(Kart, TraceColorShowsTheSteeringPushAndFadesToWhite) {
  TKartWorld w;
  TParamValues& push = w.Kart.State().ParamByName("PushTurn");
  EXPECT_EQ(w.Kart.TraceColor(w.Kart.State()), MakeColor(155, 155, 255));
  EXPECT_FALSE(w.Kart.IsTurning());
  push.SetValue(5);
  EXPECT_FALSE(w.Kart.IsTurning()); // the rounded value lags until it is refreshed
  push.UpdateMilli();
  EXPECT_TRUE(w.Kart.IsTurning());
  EXPECT_EQ(w.Kart.TraceColor(w.Kart.State()), MakeColor(255, 155, 155));
  w.Kart.State().Time = 5000;
  EXPECT_EQ(w.Kart.TraceColor(w.Kart.State()), MakeColor(255, 255, 255));
  push.SetValue(-5);
  push.UpdateMilli();
  w.Kart.State().Time = 2500;
  EXPECT_EQ(w.Kart.TraceColor(w.Kart.State()), MakeColor(205, 205, 255));
}

TEST(Kart, CloneIsAKartWithTheSameRealState) {
  TKartWorld w;
  w.Kart.Place(300, 100, 1);
  w.Kart.SetPower(7);
  w.Kart.Commit();
  std::unique_ptr<TPlayer> copy = w.Kart.Clone();
  ASSERT_TRUE(copy->IsKart());
  auto& kart = static_cast<TKart&>(*copy);
  EXPECT_EQ(kart.PosX(), 300);
  EXPECT_EQ(kart.Angle(), 1);
  EXPECT_EQ(kart.Power(), 7);
  EXPECT_EQ(kart.Size(), 10);
}
