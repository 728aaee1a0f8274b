#include <gtest/gtest.h>

#include "goals/UTeam.h"
#include "platform/URandom.h"
#include "support/TestWorld.h"

// A point on a line whose goal rewards moving right: its decisions must push it right.
TEST(DecisionEndToEnd, APlayerRewardedForMovingRightMovesRight) {
  for (int level : {4, 5, 6, 7, 8}) {
    RandSeed(31 + level);
    TFlatTrack track;
    TTeam team;
    track.AddTeam(&team);
    track.SetFixedFutures(200);
    track.SetFutureMs(2000);
    TLinePlayer* player = static_cast<TLinePlayer*>(team.AddMember(TLinePlayer::New(0, 10)));
    player->SetAILevel(level);
    // Only the goal under test: the health and energy goals would add the same large amount to
    // every future and bury the difference.
    player->DeleteGoal(1);
    player->DeleteGoal(0);
    player->AddGoal(std::make_unique<TGoalRight>(1));
    double pushes = 0;
    for (int step = 0; step < 10; ++step) {
      track.Step(100);
      pushes += player->RealState().FreeParam(0).Value;
    }
    EXPECT_GT(pushes, 10) << "level " << level; // on average more than a small push right
    EXPECT_GT(player->PosX(), 0.5) << "level " << level;
  }
}

// Without any goal every option scores alike at level 2, and the pushes cancel out.
TEST(DecisionEndToEnd, WithoutPreferenceTheOptionsCancelOut) {
  RandSeed(41);
  TFlatTrack track;
  TTeam team;
  track.AddTeam(&team);
  track.SetFixedFutures(400);
  track.SetFutureMs(1000);
  TLinePlayer* player = static_cast<TLinePlayer*>(team.AddMember(TLinePlayer::New(0, 10)));
  player->SetAILevel(2);
  track.Step(100);
  // Four options of weight 1/4 each: +10, -10, +3.333, -3.333.
  EXPECT_NEAR(player->RealState().FreeParam(0).Value, 0, 1e-9);
}
