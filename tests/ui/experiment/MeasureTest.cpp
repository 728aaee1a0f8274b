#include <gtest/gtest.h>

#include <QJsonDocument>
#include <cmath>
#include <memory>
#include <numbers>

#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "ui/experiment/UExperiment.h"
#include "ui/qt/USceneFile.h"
#include "world/UPlayerLog.h"
#include "world/UWorld.h"

namespace {

// The circle's ring cut down to four karts with energies 10, 20, 30 and 40, the last one dead.
class MeasureOfFourKarts : public ::testing::Test {
protected:
  void SetUp() override {
    FWorld = TSceneFile::OpenScenario("circle");
    TTeam& team = FWorld->CurrentTeam();
    while (team.MemberCount() > 4)
      team.RemoveMember(team.Members(team.MemberCount() - 1), true);
    for (int32_t i = 0; i < 4; ++i)
      team.Members(i)->SetEnergy(10.0 * (i + 1));
    team.Members(3)->SetDead(true);
    FLog = std::make_unique<TPlayerLog>(*FWorld);
    FLog->Follow(0);
  }
  double Value(const std::string& Json) const {
    const QJsonValue json = QJsonDocument::fromJson(QByteArray::fromStdString(Json)).object();
    return TMeasure::FromJson(json, "$", {FWorld.get()}).Value(*FWorld, *FLog, {});
  }
  std::unique_ptr<TWorld> FWorld;
  std::unique_ptr<TPlayerLog> FLog;
};

} // namespace

TEST_F(MeasureOfFourKarts, AggregatesAndFiltersGiveTheHandCountedValues) {
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "energy", "aggregate": "mean"})"), 25);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "energy", "aggregate": "median"})"), 25);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "energy", "aggregate": "sum"})"), 100);
  // Sample standard deviation of 10, 20, 30, 40: sqrt(500 / 3).
  EXPECT_NEAR(Value(R"({"name": "m", "of": "energy", "aggregate": "sd"})"), 12.9099445, 1e-6);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "energy", "aggregate": "max", "alive": true})"),
                   30);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "energy", "aggregate": "min", "alive": false})"),
                   40);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "alive", "aggregate": "sum"})"), 3);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "death_step", "aggregate": "count"})"), 1);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "x", "aggregate": "count", "kind": "kart",
                            "team": 0})"),
                   4);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "x", "aggregate": "count", "kind": "rocket"})"), 0);
  // A setting of the players, read where the settings table keeps it.
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "ai_level", "aggregate": "min"})"),
                   FWorld->CurrentTeam().Members(0)->AILevel());
  // Nothing to take a mean of, and no storage box: no value rather than a made-up 0.
  EXPECT_TRUE(std::isnan(Value(R"({"name": "m", "of": "energy", "aggregate": "mean",
                                   "kind": "rocket"})")));
  EXPECT_TRUE(std::isnan(Value(R"({"name": "m", "of": "stored_energy"})")));
}

TEST_F(MeasureOfFourKarts, ProgressIsTheAngleSweptAroundTheRoadAndLeavingIsLogged) {
  // Kart 0 goes once round the road's centroid, clockwise on the screen (y grows downwards).
  TPlayer2D& kart = *FWorld->CurrentTeam().Members(0)->AsPlayer2D();
  const auto& records = FLog->Records();
  for (int32_t k = 0; k <= 16; ++k) {
    const double a = 2 * std::numbers::pi * k / 16;
    kart.SetPosX(FLog->CentreX() + 40 * std::cos(a));
    kart.SetPosY(FLog->CentreY() + 40 * std::sin(a));
    FLog->Follow(k + 1);
  }
  const double before = records[0].Turns;
  for (int32_t k = 1; k <= 8; ++k) { // and half back
    const double a = -2 * std::numbers::pi * k / 16;
    kart.SetPosX(FLog->CentreX() + 40 * std::cos(a));
    kart.SetPosY(FLog->CentreY() + 40 * std::sin(a));
    FLog->Follow(17 + k);
  }
  EXPECT_NEAR(before - records[0].Turns, -0.5, 1e-9);
  TTeam& team = FWorld->CurrentTeam();
  team.RemoveMember(team.Members(1), true);
  FLog->Follow(30);
  // The whole turn: from where it stood at step 0 to angle 0 is part of it, so within a turn.
  EXPECT_LT(before, -0.5);
  EXPECT_GT(before, -1.5);
  EXPECT_EQ(records[1].RemovedStep, 30);
  EXPECT_EQ(records[3].DeathStep, 0);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "removed_step", "aggregate": "max"})"), 30);
  EXPECT_DOUBLE_EQ(Value(R"({"name": "m", "of": "alive", "aggregate": "sum"})"), 2);
}
