#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "agents/BodyWorld.h"
#include "agents/UKart.h"
#include "agents/URocket.h"
#include "goals/UGoal.h"
#include "platform/UErrors.h"
#include "support/TestWorld.h"

namespace {

constexpr double Pi = std::numbers::pi;

double Angle2(const TPlayer2D& Body) {
  return Body.State().ParamByName("Angle2").Value;
}

} // namespace

TEST(Player2D, NewBodyIsATriangleAtTenTenWithItsTwoGoals) {
  auto body = TTestBody::New();
  EXPECT_EQ(body->PosX(), 10);
  EXPECT_EQ(body->PosY(), 10);
  EXPECT_EQ(body->Angle(), 0);
  EXPECT_EQ(body->TargetCount(), 100);
  ASSERT_EQ(body->GoalCount(), 4);
  EXPECT_EQ(body->Goals(2)->FDescription, "Love speeding");
  EXPECT_EQ(body->Goals(2)->FValue, 1.0);
  EXPECT_EQ(body->Goals(3)->FDescription, "Duplicating is sexy");
  EXPECT_EQ(body->Goals(3)->FValue, 0.5);
  EXPECT_TRUE(body->Goals(3)->FAlwaysDraw);

  body->UpdateShape();
  ASSERT_EQ(body->FVertices.size(), 3u);
  const double angles[] = {0, 0.8 * Pi, -0.8 * Pi};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(body->FVertices[i].X, 10 + 6 * std::cos(angles[i]), 1e-12);
    EXPECT_NEAR(body->FVertices[i].Y, 10 + 6 * std::sin(angles[i]), 1e-12);
  }
  EXPECT_EQ(body->FPoints[1], (TPoint{5, 14}));
  EXPECT_EQ(body->FPoints[2], (TPoint{5, 6}));
}

TEST(Player2D, Angle2HoldsTheHeadingInWholeDegreesWithTheSignOfTheHeading) {
  auto body = TTestBody::New();
  body->SetAngle(-Pi / 2);
  EXPECT_EQ(Angle2(*body), -90);
  body->SetAngle(7); // 401.07 degrees
  EXPECT_EQ(Angle2(*body), 41);
  EXPECT_EQ(body->Angle(), 7); // the heading itself is never wrapped
  body->SetAngle(-7);
  EXPECT_EQ(Angle2(*body), -41);
  body->SetAngle(1000); // 57295.8 degrees
  EXPECT_EQ(Angle2(*body), 56);
  body->SetAngle(-1000);
  EXPECT_EQ(Angle2(*body), -56);
  body->SetAngle(20 * Pi);
  EXPECT_EQ(Angle2(*body), 0);
  // Beyond the 32-bit range of whole degrees the rounding itself fails.
  EXPECT_THROW(body->SetAngle(4e7), ERangeError);
}

TEST(Player2D, ContainsItsOwnRoundedCornersAndThePointsOnItsEdges) {
  auto body = TTestBody::New(10, 10, 0);
  // The corner (5, 14) lies outside the exact outline, but it is the outline's own point.
  EXPECT_TRUE(body->ContainsPoint(5, 14));
  EXPECT_TRUE(body->ContainsPoint(16, 10));
  EXPECT_TRUE(body->ContainsPoint(5, 6));
  EXPECT_TRUE(body->ContainsPoint(5, 10));    // on the rear edge
  EXPECT_TRUE(body->ContainsPoint(10.5, 12)); // midway along (16, 10) - (5, 14)
  EXPECT_TRUE(body->ContainsPoint(10, 10));
  EXPECT_FALSE(body->ContainsPoint(4.9, 10));
  EXPECT_FALSE(body->ContainsPoint(16.1, 10));
  EXPECT_FALSE(body->ContainsPoint(10.5, 12.2));
}

TEST(Player2D, EveryOutlineContainsItsOwnPointsAtAnyHeading) {
  std::vector<std::unique_ptr<TPlayer2D>> bodies;
  bodies.push_back(TTestBody::New());
  bodies.push_back(TKart::New(0, 0, 0));
  bodies.push_back(TRocket::New(0, 0, 0));
  for (auto& body : bodies)
    for (int k = 0; k < 72; ++k) {
      body->SetPosX(100 + 0.37 * k);
      body->SetPosY(50 - 0.23 * k);
      body->SetAngle(k * Pi / 36 + 0.01);
      body->UpdateShape();
      for (const TPoint& p : body->FPoints)
        EXPECT_TRUE(body->ContainsPoint(p.X, p.Y)) << "heading step " << k;
    }
}

TEST(Player2D, RocketOutlineLiesAtItsRadiiInThirdsOfTheSize) {
  auto rocket = TRocket::New(100, 100, -Pi / 2);
  rocket->UpdateShape();
  ASSERT_EQ(rocket->FVertices.size(), 5u);
  const double degrees[] = {0, 26.6, 135, 225, 333};
  const double radii[] = {3.0, 2.24, 2.83, 2.83, 2.24};
  for (int i = 0; i < 5; ++i) {
    const double a = -Pi / 2 + degrees[i] * Pi / 180;
    EXPECT_NEAR(rocket->FVertices[i].X, 100 + 12 * radii[i] / 3 * std::cos(a), 1e-9);
    EXPECT_NEAR(rocket->FVertices[i].Y, 100 + 12 * radii[i] / 3 * std::sin(a), 1e-9);
  }
}

TEST(Player2D, OutlineIsRecomputedAfterEveryChangeOfPoseSizeOrState) {
  auto body = TTestBody::New(10, 10, 0);
  body->UpdateShape();
  EXPECT_EQ(body->FPoints[0], (TPoint{16, 10}));
  body->SetPosX(20);
  body->UpdateShape();
  EXPECT_EQ(body->FPoints[0], (TPoint{26, 10}));
  body->SetSize(10);
  body->UpdateShape();
  EXPECT_EQ(body->FPoints[0], (TPoint{30, 10}));
  body->SetAngle(Pi / 2);
  body->UpdateShape();
  EXPECT_EQ(body->FPoints[0], (TPoint{20, 20}));

  // A future moves its own copy; back in the real state the outline is the real one again.
  body->SetInFuture(true);
  body->SetPosY(50);
  body->UpdateShape();
  EXPECT_EQ(body->FPoints[0], (TPoint{20, 60}));
  body->SetInFuture(false);
  body->UpdateShape();
  EXPECT_EQ(body->FPoints[0], (TPoint{20, 20}));

  // Taking over another body's state moves the outline with it.
  auto other = TTestBody::New(70, 80, 0);
  body->Assign(*other);
  body->UpdateShape();
  EXPECT_EQ(body->FPoints[0], (TPoint{76, 80}));
}

TEST(Player2D, CollisionTestIsOneSidedAndIgnoresPlayersWithoutABody) {
  auto big = TTestBody::New(50, 50, 0);
  big->SetSize(20);
  auto small = TTestBody::New(50, 50, 0);
  EXPECT_TRUE(big->CollidesWith(*small));
  EXPECT_FALSE(small->CollidesWith(*big)); // none of the big corners lies in the small one

  auto line = TLinePlayer::New(50);
  auto fresh = TTestBody::New(50, 50, 0);
  EXPECT_FALSE(fresh->CollidesWith(*line));
  EXPECT_TRUE(fresh->FPoints.empty()); // answered without building the outline
}
