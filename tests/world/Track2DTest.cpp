#include <gtest/gtest.h>

#include <numbers>

#include "agents/BodyWorld.h"
#include "agents/UKart.h"
#include "agents/URocket.h"
#include "platform/UErrors.h"
#include "support/TestWorld.h"

namespace {

constexpr double Pi = std::numbers::pi;

// 20 by 10, white but for pixel (1, 1) of colour 1 (almost black) and (2, 1) of colour 0.
std::unique_ptr<TTestPicture> SmallCircuit() {
  auto picture = std::make_unique<TTestPicture>(20, 10);
  picture->SetPixel(1, 1, 1);
  picture->SetPixel(2, 1, 0);
  return picture;
}

} // namespace

TEST(Track2DPoints, OnlyPureBlackIsOffTheRoad) {
  TBodyWorld world(SmallCircuit());
  EXPECT_EQ(world.Track.FWidth, 20);
  EXPECT_EQ(world.Track.FHeight, 10);
  EXPECT_TRUE(world.Track.PointOnRoad(0.6, 0.6));  // rounds to (1, 1), colour 1
  EXPECT_FALSE(world.Track.PointOnRoad(1.6, 0.6)); // (2, 1), colour 0
  EXPECT_FALSE(world.Track.PointOnRoad(2.5, 1));   // halves to even: (2, 1)
  EXPECT_TRUE(world.Track.PointOnRoad(3.5, 1));    // (4, 1)
  // Drawing on the picture later does not change the road.
  world.Picture->SetPixel(5, 5, 0);
  EXPECT_TRUE(world.Track.PointOnRoad(5, 5));
}

TEST(Track2DPoints, BordersOfThePicture) {
  TBodyWorld world(SmallCircuit());
  const TTrack2D& t = world.Track;
  EXPECT_FALSE(t.PointOnRoad(0, 5));
  EXPECT_FALSE(t.PointOnRoad(5, 0));
  EXPECT_FALSE(t.PointOnRoad(19.6, 5)); // rounds to the width
  EXPECT_FALSE(t.PointOnRoad(5, 9.6));
  EXPECT_TRUE(t.PointOnRoad(19, 9)); // the last column and row are inside
  EXPECT_FALSE(t.PointInPicture(0.4, 5));
  EXPECT_TRUE(t.PointInPicture(0.6, 5));
  EXPECT_TRUE(t.PointInPicture(2, 1)); // in the picture though off the road
  EXPECT_FALSE(t.PointInPicture(-3, 5));
  EXPECT_THROW(t.PointOnRoad(1e10, 5), ERangeError);
  EXPECT_THROW(t.PointInPicture(5, -1e10), ERangeError);
}

TEST(Track2DMouse, InsideStrictlyFromColumnOneToTheLastColumn) {
  TBodyWorld world(SmallCircuit());
  EXPECT_FALSE(world.Track.MouseInside()); // no reading yet
  const struct {
    int32_t X, Y;
    bool Inside;
  } cases[] = {{0, 5, false},  {5, 0, false},  {19, 9, true},
               {20, 5, false}, {5, 10, false}, {1, 1, true}};
  for (const auto& c : cases) {
    world.Track.SetMouse(c.X, c.Y);
    EXPECT_EQ(world.Track.MouseInside(), c.Inside) << c.X << ", " << c.Y;
    EXPECT_EQ(world.Track.MouseX(), c.X);
    EXPECT_EQ(world.Track.MouseY(), c.Y);
  }
}

TEST(Track2DPlayers, PlayerWithoutABodyStopsThePass) {
  TBodyWorld world(SmallCircuit());
  world.Add(TLinePlayer::New(5));
  try {
    world.Track.ApplyTrack();
    FAIL() << "no error raised";
  } catch (const EError& e) {
    EXPECT_STREQ(e.what(), "Track2D contains a player that is not a Player2D.");
  }
  EXPECT_THROW(world.Track.Player2D(0), EError);
}

// Two bodies on a wide white picture, collisions detected.
struct TCollisionWorld {
  TBodyWorld World{300, 300};
  TCollisionWorld() { World.Track.SetCollisions(true); }
};

TEST(Track2DCollisions, BodiesOnTheSameCentreExchangeNothingAndStayPut) {
  TCollisionWorld w;
  auto& a = w.World.Add(TTestBody::New(100, 100, 0));
  auto& b = w.World.Add(TTestBody::New(100, 100, 0));
  a.SetVelX(5);
  w.World.Track.ApplyTrack();
  EXPECT_EQ(a.PosX(), 100);
  EXPECT_EQ(b.PosX(), 100);
  EXPECT_EQ(a.VelX(), 5);
  EXPECT_EQ(b.VelX(), 0);
  EXPECT_EQ(a.Health(), 50);
  EXPECT_EQ(b.Health(), 50);
  EXPECT_TRUE(a.CollidesWith(b)); // still overlapping after the four passes
}

TEST(Track2DCollisions, BodiesMovingApartAreOnlyPushedApart) {
  TCollisionWorld w;
  auto& a = w.World.Add(TTestBody::New(100, 100, 0));
  auto& b = w.World.Add(TTestBody::New(108, 100, 0)); // a's nose inside b
  a.SetVelX(-5);
  b.SetVelX(5);
  w.World.Track.ApplyTrack();
  EXPECT_EQ(a.VelX(), -5);
  EXPECT_EQ(b.VelX(), 5);
  EXPECT_EQ(a.Health(), 50);
  EXPECT_EQ(b.Health(), 50);
  // One pass of 2 pixels each was enough.
  EXPECT_EQ(a.PosX(), 98);
  EXPECT_EQ(b.PosX(), 110);
}

TEST(Track2DCollisions, ApproachingBodiesExchangeMomentumAndTakeDamage) {
  TCollisionWorld w;
  auto& a = w.World.Add(TTestBody::New(100, 100, 0));
  auto& b = w.World.Add(TTestBody::New(108, 100, 0));
  a.SetVelX(10);
  w.World.Track.ApplyTrack();
  EXPECT_NEAR(a.VelX(), 5.5, 1e-12); // 0.45 of the approach speed
  EXPECT_NEAR(b.VelX(), 4.5, 1e-12);
  EXPECT_NEAR(a.Health(), 40, 1e-12);
  EXPECT_NEAR(b.Health(), 40, 1e-12);
}

TEST(Track2DCollisions, NothingWhenCollisionsAreOff) {
  TCollisionWorld w;
  w.World.Track.SetCollisions(false);
  auto& a = w.World.Add(TTestBody::New(100, 100, 0));
  auto& b = w.World.Add(TTestBody::New(108, 100, 0));
  a.SetVelX(10);
  w.World.Track.ApplyTrack();
  EXPECT_EQ(a.VelX(), 10);
  EXPECT_EQ(b.PosX(), 108);
  EXPECT_EQ(a.Health(), 50);
}

TEST(Track2DCollisions, CollisionDamageNeverRevives) {
  TCollisionWorld w;
  auto& a = w.World.Add(TTestBody::New(100, 100, 0));
  auto& b = w.World.Add(TTestBody::New(108, 100, 0));
  a.SetDead(true);
  a.SetVelX(10);
  w.World.Track.ApplyTrack();
  EXPECT_NEAR(a.Health(), 40, 1e-12);
  EXPECT_TRUE(a.IsDead());
  EXPECT_FALSE(b.IsDead());
}

// A kart driving at 20 pixels per second into an upright rocket just ahead of it.
struct TKartRocketWorld : TCollisionWorld {
  TKart& Kart = World.Add(TKart::New(100, 100, 0));
  TRocket& Rocket = World.Add(TRocket::New(110, 100, -Pi / 2));
  TKartRocketWorld(bool Evolution, double RocketEnergy) {
    World.Track.SetEvolution(Evolution);
    Rocket.SetEnergy(RocketEnergy);
    Kart.SetVelX(20);
  }
};

TEST(Track2DCollisions, KartAgainstRocketWithoutEvolutionIsAPlainCollision) {
  TKartRocketWorld w(false, 10);
  w.World.Track.ApplyTrack();
  EXPECT_NEAR(w.Kart.Health(), 30, 1e-12);
  EXPECT_NEAR(w.Rocket.Health(), 30, 1e-12);
  EXPECT_EQ(w.Kart.Energy(), 50);
  EXPECT_EQ(w.Rocket.Energy(), 10);
  EXPECT_EQ(w.Kart.State().ScorePositive, 0);
}

TEST(Track2DCollisions, KartFeedsOnARocketWithEvolution) {
  TKartRocketWorld w(true, 10);
  w.World.Track.ApplyTrack();
  EXPECT_EQ(w.Rocket.Energy(), 0);
  EXPECT_NEAR(w.Kart.Energy(), 59, 1e-12);
  EXPECT_NEAR(w.Kart.Health(), 60, 1e-12); // + F - 10
  EXPECT_NEAR(w.Rocket.Health(), 40, 1e-12);
  EXPECT_EQ(w.Kart.State().ScorePositive, 500);
  EXPECT_EQ(w.Kart.State().ScoreFactor, 1.5L);
  EXPECT_EQ(w.Rocket.State().ScorePositive, 0);

  TKartRocketWorld rich(true, 40);
  rich.World.Track.ApplyTrack();
  EXPECT_NEAR(rich.Rocket.Energy(), 15, 1e-12);
  EXPECT_NEAR(rich.Kart.Energy(), 72.5, 1e-12);
  EXPECT_NEAR(rich.Kart.Health(), 45, 1e-12); // + F - 25
  EXPECT_NEAR(rich.Rocket.Health(), 25, 1e-12);
}

TEST(Track2DCollisions, NoFeedingFromTheDeadNorBetweenKarts) {
  TKartRocketWorld dead(true, 10);
  dead.Rocket.SetDead(true);
  dead.World.Track.ApplyTrack();
  EXPECT_EQ(dead.Rocket.Energy(), 10);
  EXPECT_NEAR(dead.Kart.Health(), 30, 1e-12);

  TCollisionWorld karts;
  karts.World.Track.SetEvolution(true);
  auto& a = karts.World.Add(TKart::New(100, 100, 0));
  auto& b = karts.World.Add(TKart::New(112, 100, Pi));
  b.SetEnergy(10);
  a.SetVelX(20);
  karts.World.Track.ApplyTrack();
  EXPECT_EQ(a.Energy(), 50);
  EXPECT_EQ(b.Energy(), 10);
  EXPECT_NEAR(a.Health(), 30, 1e-12);
}
