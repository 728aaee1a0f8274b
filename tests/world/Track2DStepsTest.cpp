#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "agents/BodyWorld.h"
#include "agents/UKart.h"
#include "agents/URocket.h"
#include "platform/URandom.h"
#include "world/UWorldPainter.h"

// Whole steps of the decision on an open white picture 400 by 300 with a black border of 5
// pixels, with a fixed seed and a fixed number of futures, so that every run is the same.

namespace {

constexpr double Pi = std::numbers::pi;
constexpr int32_t Steps = 100;
constexpr int32_t Futures = 100;

struct TOpenWorld {
  TBodyWorld World{TTestPicture::OpenRoad(400, 300, 5)};
  explicit TOpenWorld(uint64_t Seed) {
    RandSeed(Seed);
    World.Track.SetFixedFutures(Futures);
    World.Track.SetCollisions(true);
  }
};

} // namespace

TEST(Track2DSteps, KartAtLevel8DrivesAndStaysAlive) {
  TOpenWorld w(1);
  auto& kart = w.World.Add(TKart::New(200, 150, 0));
  double raced = 0;
  for (int32_t step = 0; step < Steps; ++step) {
    const double x = kart.PosX(), y = kart.PosY();
    w.World.Track.Step(100);
    raced += std::hypot(kart.PosX() - x, kart.PosY() - y);
    ASSERT_FALSE(kart.IsDead()) << "step " << step;
    ASSERT_TRUE(kart.IsInsidePicture()) << "step " << step;
  }
  EXPECT_GT(raced, 100) << "it drives rather than waits";
}

TEST(Track2DSteps, RocketAtLevel8StaysInThePictureAndAlive) {
  TOpenWorld w(2);
  auto& rocket = w.World.Add(TRocket::New(200, 150, -Pi / 2));
  for (int32_t step = 0; step < Steps; ++step) {
    w.World.Track.Step(100);
    ASSERT_FALSE(rocket.IsDead()) << "step " << step;
    ASSERT_TRUE(rocket.IsInsidePicture()) << "step " << step;
  }
}

TEST(Track2DSteps, RocketWithoutEnergyFallsUntilItMeetsTheGround) {
  TOpenWorld w(3);
  auto& rocket = w.World.Add(TRocket::New(200, 150, -Pi / 2));
  rocket.SetEnergy(0);
  bool landed = false;
  for (int32_t step = 0; step < Steps && !landed; ++step) {
    const double y = rocket.PosY();
    w.World.Track.Step(100);
    // Stopped, bounced or hurt: it has met the ground.
    landed = rocket.PosY() <= y || rocket.Health() < 50;
    if (!landed) {
      EXPECT_EQ(rocket.MainPower(), 0) << "step " << step;
      EXPECT_EQ(rocket.RotaPower(), 0) << "step " << step;
    }
  }
  ASSERT_TRUE(landed);
  EXPECT_GT(rocket.Bottom(), 285) << "on the bottom border, 295";
}

TEST(Track2DSteps, WorldOfKartsAndRocketsRunsWholeStepsWithEverythingDrawn) {
  TOpenWorld w(4);
  w.World.Track.SetFixedFutures(20);
  w.World.Track.SetEvolution(true);
  w.World.Add(TKart::New(100, 100, 0));
  w.World.Add(TKart::New(300, 200, Pi));
  w.World.Add(TRocket::New(150, 200, -Pi / 2));
  w.World.Add(TRocket::New(250, 100, -Pi / 2));
  for (int32_t i = 0; i < w.World.Track.PlayerCount(); ++i) {
    TPlayer& player = *w.World.Track.Players(i);
    player.SetDrawTraces(true);
    player.SetDrawEndPoints(true);
    player.SetDrawLevels(true);
  }
  for (int32_t step = 0; step < 10; ++step) {
    w.World.Calls().clear();
    ASSERT_NO_THROW(w.World.Track.Step(100)) << "step " << step;
    ASSERT_TRUE(w.World.Calls().empty()) << "drawn during step " << step;
    ASSERT_NO_THROW(
        TWorldPainter::Paint(w.World.Track, w.World.Canvas(), TWorldPainter::pwAfterStep));
    ASSERT_FALSE(w.World.Calls().empty()) << "step " << step;
  }
}
