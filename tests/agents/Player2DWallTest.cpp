#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "agents/BodyWorld.h"

namespace {

constexpr double Pi = std::numbers::pi;

// A white picture 100 by 100 whose columns from x = 60 on are a black wall.
std::unique_ptr<TTestPicture> WallOnTheRight() {
  auto picture = std::make_unique<TTestPicture>(100, 100);
  picture->FillRect(60, 0, 100, 100, 0);
  return picture;
}

double Saved(const TPlayer2D& Body, const char* Name) {
  return Body.State().ParamByName(Name).SavedValue;
}

} // namespace

TEST(Player2DContact, ClearOutlineSavesThePoseAndKeepsTheLastContactPoint) {
  TBodyWorld world(WallOnTheRight());
  auto& body = world.Add(TTestBody::New(50, 50, 0.2));
  EXPECT_FALSE(body.HasSavedPose()); // placed: no clear pose seen yet
  body.FContactX = 123;
  body.FContactY = 45;
  body.UpdateContact();
  EXPECT_FALSE(body.FTouching);
  EXPECT_EQ(body.FContactX, 123);
  EXPECT_EQ(body.FContactY, 45);
  EXPECT_TRUE(body.HasSavedPose());
  EXPECT_EQ(Saved(body, "PosX"), 50);
  EXPECT_EQ(Saved(body, "PosY"), 50);
  EXPECT_EQ(Saved(body, "Angle"), 0.2);
}

TEST(Player2DContact, ContactPointIsTheMeanOfTheExactVerticesOffTheRoad) {
  TBodyWorld world(WallOnTheRight());
  // Facing left, both rear corners (at +-36 degrees from the x axis) stand in the wall.
  auto& body = world.Add(TTestBody::New(56, 50, Pi));
  body.UpdateContact();
  EXPECT_TRUE(body.FTouching);
  EXPECT_NEAR(body.FContactX, 56 + 6 * std::cos(0.2 * Pi), 1e-9);
  EXPECT_NEAR(body.FContactY, 50, 1e-9);
}

TEST(Player2DWall, StepsBackTowardTheSavedPoseThenBouncesAndTakesDamage) {
  TBodyWorld world(WallOnTheRight());
  auto& body = world.Add(TTestBody::New(50, 50, 0));
  body.UpdateContact(); // clear: (50, 50) is saved
  body.SetPosX(56);     // nose at x = 62, in the wall
  body.SetVelX(10);
  body.UpdateContact();
  ASSERT_TRUE(body.FTouching);
  body.ResolveWallContact();
  // Tenths of 0.6 back: 53.6 still touches (nose rounds to 60), 53.0 is clear. The bounce is
  // taken at 53.6, then the body moves one tenth on, to the clear 53.0.
  EXPECT_NEAR(body.PosX(), 53.0, 1e-9);
  EXPECT_EQ(body.PosY(), 50);
  EXPECT_FALSE(body.FTouching);
  EXPECT_NEAR(body.VelX(), -9, 1e-9); // reflected, times 0.9
  EXPECT_NEAR(body.VelY(), 0, 1e-12);
  EXPECT_NEAR(body.VelRot(), 0, 1e-12);
  ASSERT_EQ(body.Crashes.size(), 1u);
  EXPECT_NEAR(body.Crashes[0], 10, 1e-9);
  EXPECT_NEAR(body.Health(), 25, 1e-9); // (10 / 2)^2 off 50
}

TEST(Player2DWall, SavedPoseThatStillTouchesEndsOneTenthBeyondIt) {
  TBodyWorld world(WallOnTheRight());
  auto& body = world.Add(TTestBody::New(56, 50, 0));
  body.State().ParamByName("PosX").SavedValue = 55.5; // nose at 61.5: in the wall too
  body.State().ParamByName("PosY").SavedValue = 50;
  body.State().ParamByName("Angle").SavedValue = 0;
  body.UpdateContact();
  body.ResolveWallContact();
  EXPECT_NEAR(body.PosX(), 55.45, 1e-9);
  EXPECT_TRUE(body.FTouching);
}

TEST(Player2DWall, BodyAtRestOnAWallKeepsZeroVelocitiesAndCrashesWithZero) {
  TBodyWorld world(WallOnTheRight());
  auto& body = world.Add(TTestBody::New(50, 50, 0));
  body.UpdateContact();
  body.SetPosX(56);
  body.UpdateContact();
  body.ResolveWallContact();
  EXPECT_EQ(body.VelX(), 0);
  EXPECT_EQ(body.VelY(), 0);
  EXPECT_EQ(body.VelRot(), 0);
  ASSERT_EQ(body.Crashes.size(), 1u);
  EXPECT_EQ(body.Crashes[0], 0);
  EXPECT_EQ(body.Health(), 50);
}

TEST(Player2DWall, BodyPlacedOnAWallIsNotDraggedAwayBeforeItHasBeenClear) {
  TBodyWorld world(WallOnTheRight());
  auto& body = world.Add(TTestBody::New(56, 50, 0));
  body.SetVelX(10);
  // Futures start from copies of the real state and know as little.
  body.SetInFuture(true);
  EXPECT_FALSE(body.HasSavedPose());
  body.SetInFuture(false);

  world.Track.ApplyTrack();
  EXPECT_EQ(body.PosX(), 56); // no step-back toward the picture's corner
  EXPECT_EQ(body.PosY(), 50);
  EXPECT_NEAR(body.VelX(), -9, 1e-9); // but it bounces
  EXPECT_NEAR(body.Health(), 25, 1e-9);

  // Once it is seen clear, that pose is the one to step back to.
  body.SetPosX(50);
  world.Track.ApplyTrack();
  EXPECT_TRUE(body.HasSavedPose());
  body.SetInFuture(true);
  EXPECT_EQ(Saved(body, "PosX"), 50);
}

TEST(Player2DWall, WallDamageNeverRevivesADeadBody) {
  TBodyWorld world(WallOnTheRight());
  auto& body = world.Add(TTestBody::New(50, 50, 0));
  body.UpdateContact();
  body.SetDead(true); // e.g. left the picture, with health to spare
  body.SetPosX(56);
  body.SetVelX(10);
  body.UpdateContact();
  body.ResolveWallContact();
  EXPECT_NEAR(body.Health(), 25, 1e-9);
  EXPECT_TRUE(body.IsDead());
}

TEST(Player2DAdvance, DiesWithAVertexOutsideThePicture) {
  TBodyWorld world(100, 100);
  auto& inside = world.Add(TTestBody::New(50, 50, 0));
  auto& out = world.Add(TTestBody::New(4, 50, Pi));  // nose at x = -2
  auto& edge = world.Add(TTestBody::New(6, 50, Pi)); // nose on column 0, which is outside
  inside.Advance();
  out.Advance();
  edge.Advance();
  EXPECT_FALSE(inside.IsDead());
  EXPECT_TRUE(out.IsDead());
  EXPECT_TRUE(edge.IsDead());
  EXPECT_EQ(inside.State().Time, 100);
}

TEST(Player2DAdvance, DeadBodyShrinksInTheRealWorldOnly) {
  TBodyWorld world(100, 100);
  auto& body = world.Add(TTestBody::New(50, 50, 0));
  body.SetDead(true);
  body.SetInFuture(true);
  body.Advance();
  EXPECT_EQ(body.Size(), 6);
  body.SetInFuture(false);
  body.Advance();
  EXPECT_NEAR(body.Size(), 5.95, 1e-12); // 0.5 pixel per second
}

TEST(Player2DAdvance, LowLevelsStopABodyWithoutHealthInTheFutures) {
  TBodyWorld world(100, 100);
  auto& body = world.Add(TTestBody::New(50, 50, 0));
  body.SetHealth(0.5);
  body.SetInFuture(true);
  body.SetVelX(5);
  body.SetAILevel(4);
  body.Advance();
  EXPECT_EQ(body.VelX(), 5);
  body.SetAILevel(3);
  body.Advance();
  EXPECT_EQ(body.VelX(), 0);
}
