#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "goals/GoalWorld.h"
#include "goals/UGoalBurnOut.h"
#include "platform/UMessagePump.h"

namespace {
class TCountingPump : public TMessagePump {
public:
  int32_t Calls = 0;
  std::function<void()> OnCall;
  void ProcessMessages() override {
    ++Calls;
    if (OnCall)
      OnCall();
  }
};

// A rocket of size 12 at (300, 300) heading right with its engine off: its exhaust ends at
// (288, 300). Karts have size 10.
struct TBurnWorld : TGoalWorld {
  TRocket& Rocket;
  TGoalBurnOut Goal;
  TCountingPump Pump;
  TBurnWorld() : TGoalWorld(600, 400, 5), Rocket(AddRocket(300, 300, 0)), Goal(1) {
    Track.SetMessagePump(&Pump);
  }
};
} // namespace

TEST(GoalBurnOut, DrainsTheMemberBehindTheRocketAndKeepsHalf) {
  TBurnWorld w;
  ASSERT_EQ(w.Rocket.Size(), 12);
  ASSERT_EQ(w.Rocket.MainPower(), 0);
  TKart& behind = w.AddKart(280, 300);
  TKart& ahead = w.AddKart(320, 300);
  const TScoreContribution c = w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(behind.Energy(), 40);
  EXPECT_EQ(ahead.Energy(), 50);
  EXPECT_EQ(w.Rocket.Energy(), 55);
  // No score of its own.
  EXPECT_EQ(c.Add, 0);
  EXPECT_EQ(c.Mult, 1);
  const std::vector<std::string> expected = {"Pen 255", "PenWidth 3", "Line 300 300 280 300",
                                             "PenWidth 1"};
  EXPECT_EQ(w.Canvas().Calls, expected);
  EXPECT_EQ(w.Pump.Calls, 1);
}

TEST(GoalBurnOut, ARunningEngineMovesTheDrainPointBack) {
  TBurnWorld w;
  w.Rocket.SetMainPower(20); // exhaust ends at (268, 300)
  TKart& near = w.AddKart(280, 300);
  TKart& far = w.AddKart(270, 300);
  far.SetEnergy(4); // it gives what it has
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(near.Energy(), 50);
  EXPECT_EQ(far.Energy(), 0);
  EXPECT_EQ(w.Rocket.Energy(), 52);
}

TEST(GoalBurnOut, ARocketAbove99DrainsNobodyButAt99ItDrainsAll) {
  TBurnWorld w;
  TKart& first = w.AddKart(280, 300);
  TKart& second = w.AddKart(286, 302);
  w.Rocket.SetEnergy(99.5);
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(first.Energy(), 50);
  EXPECT_EQ(second.Energy(), 50);
  // The test is made once: the first drain brings the rocket to 100, the second still happens.
  w.Rocket.SetEnergy(99);
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(first.Energy(), 40);
  EXPECT_EQ(second.Energy(), 40);
  EXPECT_EQ(w.Rocket.Energy(), 100);
}

TEST(GoalBurnOut, OnlyLivingRocketsDrainAndOnlyAfterASubStep) {
  TBurnWorld w;
  TKart& kart = w.AddKart(280, 300);
  TKart& other = w.AddKart(300, 300); // a kart in the rocket's place drains nobody
  w.Goal.Evaluate(other, 0);
  w.Goal.Evaluate(w.Rocket, 1);
  w.Rocket.SetHealth(0);
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(kart.Energy(), 50);
  EXPECT_EQ(w.Pump.Calls, 0);
}

TEST(GoalBurnOut, InAFutureOnlyTheFutureEnergiesMoveAndNothingIsDrawn) {
  TBurnWorld w;
  TKart& kart = w.AddKart(280, 300);
  w.Team.SetInFuture(true);
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(kart.Energy(), 40);
  EXPECT_EQ(w.Rocket.Energy(), 55);
  EXPECT_TRUE(w.Canvas().Calls.empty());
  EXPECT_EQ(w.Pump.Calls, 0);
  w.Team.AbandonFuture();
  EXPECT_EQ(kart.Energy(), 50);
  EXPECT_EQ(w.Rocket.Energy(), 50);
}

TEST(GoalBurnOut, ARocketRemovedWhileMessagesAreHandledDrainsNobodyMore) {
  TBurnWorld w;
  TKart& first = w.AddKart(280, 300);
  TKart& second = w.AddKart(286, 302);
  std::unique_ptr<TPlayer> removed;
  w.Pump.OnCall = [&] { removed = w.Team.RemoveMember(&w.Rocket, false); };
  w.Goal.Evaluate(w.Rocket, 0);
  EXPECT_EQ(first.Energy(), 40);
  EXPECT_EQ(second.Energy(), 50);
  EXPECT_EQ(w.Pump.Calls, 1);
}
