#include <gtest/gtest.h>

#include "goals/UGoal.h"
#include "goals/UGoalEnergy.h"
#include "goals/UGoalHealth.h"
#include "goals/UTeam.h"
#include "platform/URandom.h"
#include "support/TestWorld.h"

namespace {

int32_t Channel(int32_t Color, int Shift) {
  return (Color >> Shift) & 0xFF;
}

// A world of one team, for the operations that go through the team.
struct TLineWorld {
  TFlatTrack Track;
  TTeam Team;
  TLinePlayer* Player;
  TLineWorld() {
    Track.AddTeam(&Team);
    Player = static_cast<TLinePlayer*>(Team.AddMember(TLinePlayer::New()));
  }
};

} // namespace

TEST(Player, StartsAliveWithItsDefaultsAndTwoGoals) {
  RandSeed(5);
  auto player = TLinePlayer::New();
  EXPECT_EQ(player->Health(), 50);
  EXPECT_EQ(player->Energy(), 50);
  EXPECT_EQ(player->Size(), 6);
  EXPECT_FALSE(player->IsDead());
  ASSERT_EQ(player->GoalCount(), 2);
  EXPECT_NE(dynamic_cast<TGoalHealth*>(player->Goals(0)), nullptr);
  EXPECT_EQ(player->Goals(0)->FValue, 1.0);
  EXPECT_NE(dynamic_cast<TGoalEnergy*>(player->Goals(1)), nullptr);
  EXPECT_EQ(player->Goals(1)->FValue, 0.1);
  EXPECT_EQ(player->AILevel(), 8);
  EXPECT_EQ(player->GridSize(), 10);
  EXPECT_TRUE(player->AutoGrid());
  EXPECT_FALSE(player->InFuture());
  for (int shift : {0, 8, 16}) {
    EXPECT_GE(Channel(player->Color(), shift), 100);
    EXPECT_LE(Channel(player->Color(), shift), 255);
  }
}

TEST(Player, HealthZeroKillsAndAPositiveSettingRevives) {
  auto player = TLinePlayer::New();
  player->State().Time = 300;
  player->SetHealth(0);
  EXPECT_TRUE(player->IsDead());
  EXPECT_EQ(player->State().DeathTime, 300);
  player->SetHealth(20);
  EXPECT_FALSE(player->IsDead());
  EXPECT_EQ(player->State().DeathTime, 300);
  player->SetHealth(-5);
  EXPECT_EQ(player->Health(), 0);
  EXPECT_TRUE(player->IsDead());
}

TEST(Player, DamageKillsButNeverRevives) {
  auto player = TLinePlayer::New();
  player->Crash(10);
  EXPECT_EQ(player->Health(), 25);
  player->SetHealth(60);
  player->SetDead(true); // dead by other means, e.g. out of energy, with health left
  player->Crash(0);
  EXPECT_TRUE(player->IsDead());
  EXPECT_EQ(player->Health(), 60);
  player->SetHealth(30);
  player->Crash(20); // 100 points of damage
  EXPECT_EQ(player->Health(), 0);
  EXPECT_TRUE(player->IsDead());
}

TEST(Player, GridSizeStaysWithinItsBoundsAndSetsThePrecision) {
  auto player = TLinePlayer::New();
  player->SetGridSize(25);
  EXPECT_EQ(player->GridSize(), 20);
  EXPECT_EQ(player->State().PositionalParam(0).Precision, 20);
  player->SetGridSize(1);
  EXPECT_EQ(player->GridSize(), 2);
  EXPECT_EQ(player->State().PositionalParam(0).Precision, 2);
}

TEST(Player, GridAdaptsToTheCountedFutures) {
  const auto gridAfter = [](int32_t Dots, bool Auto = true) {
    auto player = TLinePlayer::New();
    player->SetAutoGrid(Auto);
    TState future(player.get());
    future.Assign(player->RealState());
    for (int32_t i = 0; i < Dots; ++i) {
      future.Param(player->PosXIndex).SetValue(i * 100.0); // a cell of its own each
      player->Futures().AddFuture(future);
    }
    player->Futures().GroupOptions();
    player->Futures().ScoreOptions();
    player->AdjustGrid();
    return player->GridSize();
  };
  EXPECT_EQ(gridAfter(300), 20);
  EXPECT_EQ(gridAfter(0), 5);
  EXPECT_EQ(gridAfter(100), 10);
  EXPECT_EQ(gridAfter(300, false), 10);
}

TEST(Player, EndPointScaleAimsAtFivePixelsWithinBounds) {
  auto player = TLinePlayer::New();
  player->FEndPointMax = 12;
  player->AdaptEndPointScale();
  EXPECT_EQ(player->FEndPointScale, 0.5L);
  EXPECT_EQ(player->FEndPointMax, 0);
  player->FEndPointMax = 3;
  player->AdaptEndPointScale();
  EXPECT_EQ(player->FEndPointScale, 1);
  player->FEndPointMax = 5;
  player->AdaptEndPointScale();
  EXPECT_EQ(player->FEndPointScale, 1);
  player->FEndPointScale = 1.5e-5L;
  player->FEndPointMax = 50;
  player->AdaptEndPointScale();
  EXPECT_EQ(player->FEndPointScale, 1e-5L);
  // Futures that all score 0 draw radius 0 forever: the scale stops growing instead of
  // reaching infinity.
  for (int i = 0; i < 200; ++i)
    player->AdaptEndPointScale();
  EXPECT_EQ(player->FEndPointScale, 1e9L);
}

TEST(Player, ColourFromTheFirstThreeGoals) {
  auto player = TLinePlayer::New();
  player->Goals(0)->SetValue(10);
  player->Goals(1)->SetValue(0);
  player->AddGoal(std::make_unique<TGoalRight>(5));
  player->ColorFromGoals();
  EXPECT_EQ(player->Color(), 255 + 0 * 256 + 128 * 65536); // round(127.5) = 128
  player->DeleteGoal(2);
  player->ColorFromGoals(); // two goals: blue stays at the middle
  EXPECT_EQ(Channel(player->Color(), 16), 128);
}

TEST(Player, GoalsAreOwnedAndHandedBackWhenDeleted) {
  auto player = TLinePlayer::New();
  EXPECT_EQ(player->DeleteGoal(5), nullptr);
  std::unique_ptr<TGoal> goal = player->DeleteGoal(0);
  ASSERT_NE(goal, nullptr);
  EXPECT_EQ(player->GoalCount(), 1);
  EXPECT_EQ(player->AddGoal(std::move(goal)), 1);
}

TEST(Player, EnteringAndLeavingAFutureHappenOnce) {
  TLineWorld world;
  TLinePlayer& player = *world.Player;
  player.SetInFuture(true);
  player.State().Param(player.PosXIndex).SetValue(99);
  player.SetInFuture(true); // no second copy of the real state
  EXPECT_EQ(player.PosX(), 99);
  player.SetInFuture(false);
  player.SetInFuture(false);
  EXPECT_EQ(player.Futures().FutureCount(), 1);
  EXPECT_EQ(player.PosX(), 0); // the real state was not touched
  EXPECT_EQ(player.Futures().GetFuture(0).Param(player.PosXIndex).Value, 105); // snapped to 15
}

TEST(Player, AFutureStartsFromTheRealStateWithAFreshScore) {
  TLineWorld world;
  TLinePlayer& player = *world.Player;
  player.RealState().AddScore(4, 2);
  player.FHasDuplicated = true;
  player.SetInFuture(true);
  EXPECT_EQ(player.State().ScorePositive, 0);
  EXPECT_EQ(player.State().ScoreFactor, 1);
  EXPECT_EQ(player.State().Time, 0);
  EXPECT_FALSE(player.FHasDuplicated);
}

TEST(Player, ResetReturnsToTheCommittedValuesInThousandths) {
  auto player = TLinePlayer::New(1.23456);
  player->State().Param(player->PosXIndex).SetValue(50);
  player->Reset();
  EXPECT_DOUBLE_EQ(player->PosX(), 1.235);
}

TEST(Player, DuplicatesIntoItsTeamAndSharesEnergyOnlyWithEvolution) {
  for (bool evolution : {false, true}) {
    RandSeed(7);
    TLineWorld world;
    world.Track.SetEvolution(evolution);
    TLinePlayer& parent = *world.Player;
    parent.SetEnergy(99);
    parent.Goals(0)->SetValue(4);
    parent.AddGoal(std::make_unique<TGoalRight>(2));
    TPlayer* child = parent.Duplicate();
    ASSERT_EQ(world.Team.MemberCount(), 2);
    EXPECT_EQ(world.Team.Members(1), child);
    EXPECT_EQ(world.Team.Selected(), child);
    EXPECT_EQ(world.Track.PlayerCount(), 2);
    EXPECT_TRUE(parent.FHasDuplicated);
    EXPECT_EQ(child->Goals(0)->FValue, 4); // goal values copied by class
    if (evolution) {
      EXPECT_EQ(parent.Energy(), 49.5);
      EXPECT_EQ(child->Energy(), 49.5);
      EXPECT_NE(parent.Goals(0)->FValue, 4); // the parent mutates, not the child
    } else {
      EXPECT_EQ(parent.Energy(), 99);
      EXPECT_EQ(child->Energy(), 99);
      EXPECT_EQ(parent.Goals(0)->FValue, 4);
    }
  }
}

TEST(Player, MutationAndRandomGoalsStayWithinTheGoalRange) {
  RandSeed(9);
  auto player = TLinePlayer::New();
  for (int i = 0; i < 500; ++i) {
    player->MutateGoals();
    for (int g = 0; g < player->GoalCount(); ++g) {
      EXPECT_GE(player->Goals(g)->FValue, 0);
      EXPECT_LE(player->Goals(g)->FValue, 10);
    }
  }
  player->RandomizeGoals();
  for (int g = 0; g < player->GoalCount(); ++g) {
    EXPECT_GE(player->Goals(g)->FValue, 1);
    EXPECT_LE(player->Goals(g)->FValue, 9);
  }
}
