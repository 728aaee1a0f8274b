#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "agents/BodyWorld.h"
#include "agents/URocket.h"

namespace {

constexpr double Pi = std::numbers::pi;

// An upright rocket at (200, 150) of a white picture; with Floor the rows from y = 160 on are
// black ground, 2 pixels below its tail corners (which stand at y = 158).
struct TRocketWorld {
  explicit TRocketWorld(bool Floor = false) : World(Picture(Floor)) {}
  static std::unique_ptr<TTestPicture> Picture(bool Floor) {
    auto picture = std::make_unique<TTestPicture>(400, 300);
    if (Floor)
      picture->FillRect(0, 160, 400, 300, 0);
    return picture;
  }
  TBodyWorld World;
  TRocket& Rocket = World.Add(TRocket::New(200, 150, -Pi / 2));

  void SetParam(const char* Name, double Value) {
    Rocket.State().ParamByName(Name).SetValue(Value);
  }
  // Contact on the body's axis, Along sizes ahead of the centre (-1 tail, +1 nose).
  void ContactAt(double Along) {
    Rocket.FContactX = Rocket.PosX() + Along * Rocket.Size() * std::cos(Rocket.Angle());
    Rocket.FContactY = Rocket.PosY() + Along * Rocket.Size() * std::sin(Rocket.Angle());
  }
};

} // namespace

TEST(Rocket, FirstSubStepOfAFallFromRest) {
  TRocketWorld w;
  w.Rocket.Advance();
  EXPECT_NEAR(w.Rocket.VelY(), 0.9702, 1e-12); // 0.99 x 9.8 x 0.1
  EXPECT_NEAR(w.Rocket.PosY(), 150.147, 1e-9); // 0.98 x 0.1 + 9.8 x 0.005
  EXPECT_EQ(w.Rocket.VelX(), 0);
  EXPECT_EQ(w.Rocket.Energy(), 50);
}

TEST(Rocket, FullThrustBurnsEnergyAndLifts) {
  TRocketWorld w;
  w.Rocket.SetMainPower(50);
  w.Rocket.Advance();
  EXPECT_NEAR(w.Rocket.Energy(), 50 - 0.125, 1e-12); // 1.25 per second
  EXPECT_NEAR(w.Rocket.VelY(), 0.99 * (9.8 - 50) * 0.1, 1e-9);
}

TEST(Rocket, FuelCutsTheMainEngineFirstThenTheRotation) {
  TRocketWorld w;
  w.Rocket.SetEnergy(0.01);
  w.Rocket.SetMainPower(50);
  w.Rocket.SetRotaPower(3);
  w.Rocket.Advance();
  EXPECT_NEAR(w.Rocket.MainPower(), 4, 1e-12); // 40 x 0.01 / 0.1
  EXPECT_EQ(w.Rocket.Energy(), 0);
  EXPECT_EQ(w.Rocket.RotaPower(), 0);
  EXPECT_FALSE(w.Rocket.IsDead()); // an empty rocket only falls
}

TEST(Rocket, TailContactHurtsLessWhenUpright) {
  // Upright, on the tail: damage max(e / 2 - 10, 0).
  TRocketWorld tail;
  tail.ContactAt(-0.7);
  tail.Rocket.Crash(8);
  EXPECT_EQ(tail.Rocket.Health(), 50);
  tail.Rocket.Crash(10);
  EXPECT_NEAR(tail.Rocket.Health(), 47.5, 1e-12);

  // The same touch at the nose: max(e - 5, 0).
  TRocketWorld nose;
  nose.ContactAt(1);
  nose.Rocket.Crash(8);
  EXPECT_NEAR(nose.Rocket.Health(), 39, 1e-12);

  // Lying flat, the tail is no softer than the nose: max(e - 0, 0).
  TRocketWorld flat;
  flat.Rocket.SetAngle(0);
  flat.ContactAt(-0.7);
  flat.Rocket.Crash(4);
  EXPECT_NEAR(flat.Rocket.Health(), 46, 1e-12);

  // Spinning adds 10 VelRot^2.
  TRocketWorld spin;
  spin.ContactAt(1);
  spin.Rocket.SetVelRot(1);
  spin.Rocket.Crash(0);
  EXPECT_NEAR(spin.Rocket.Health(), 45, 1e-12);
}

TEST(Rocket, UprightOnBlackGroundRefuelsWithEvolutionOff) {
  TRocketWorld w(true);
  w.Rocket.SetEnergy(30);
  w.Rocket.SetMainPower(10);
  w.ContactAt(-0.7);
  w.Rocket.Crash(0);
  EXPECT_EQ(w.Rocket.Energy(), 31);
  EXPECT_EQ(w.Rocket.MainPower(), 0);
  EXPECT_EQ(w.Rocket.RotaPower(), 0);
  EXPECT_EQ(w.Rocket.State().ScorePositive, 0.5L); // health / 100
}

TEST(Rocket, UprightOnBlackGroundTakesOffWithEvolutionOnOrAFullTank) {
  TRocketWorld evolving(true);
  evolving.World.Track.SetEvolution(true);
  evolving.Rocket.SetEnergy(30);
  evolving.ContactAt(-0.7);
  evolving.Rocket.Crash(0);
  EXPECT_EQ(evolving.Rocket.MainPower(), 20);
  EXPECT_EQ(evolving.Rocket.Energy(), 30);

  TRocketWorld full(true);
  full.Rocket.SetEnergy(50);
  full.Rocket.SetMainPower(35);
  full.ContactAt(-0.7);
  full.Rocket.Crash(0);
  EXPECT_EQ(full.Rocket.MainPower(), 35); // at least 20
  EXPECT_EQ(full.Rocket.Energy(), 50);
}

TEST(Rocket, NoLandingWhenTiltedOnRoadOrDead) {
  TRocketWorld tilted(true);
  tilted.Rocket.SetAngle(-Pi / 2 + Pi / 6); // 30 degrees off vertical
  tilted.Rocket.SetEnergy(30);
  tilted.Rocket.Crash(0);
  EXPECT_EQ(tilted.Rocket.Energy(), 30);

  TRocketWorld road(false);
  road.Rocket.SetEnergy(30);
  road.Rocket.Crash(0);
  EXPECT_EQ(road.Rocket.Energy(), 30);

  TRocketWorld dead(true);
  dead.Rocket.SetEnergy(30);
  dead.Rocket.SetDead(true);
  dead.Rocket.Crash(0);
  EXPECT_EQ(dead.Rocket.Energy(), 30);
}

TEST(Rocket, DroppedUprightOntoBlackGroundLandsAndRefuels) {
  for (bool evolution : {false, true}) {
    TRocketWorld w(true);
    w.World.Track.SetEvolution(evolution);
    w.Rocket.Place(200, 151, -Pi / 2); // tail corners 1 pixel above the ground
    w.Rocket.SetEnergy(30);
    double mostPower = 0;
    for (int i = 0; i < 20 && w.Rocket.Energy() <= 30; ++i) {
      w.World.SubStep();
      mostPower = std::max(mostPower, w.Rocket.MainPower());
    }
    EXPECT_FALSE(w.Rocket.IsDead());
    EXPECT_EQ(w.Rocket.Health(), 50); // a soft landing on the tail
    if (evolution) {
      EXPECT_GE(mostPower, 20) << "takes off again";
    } else {
      EXPECT_GT(w.Rocket.Energy(), 30) << "refuels";
    }
  }
}
