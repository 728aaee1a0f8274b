#include <gtest/gtest.h>

#include <cmath>

#include "decision/FuturesTestKit.h"

// The record of the last decision: what the window's inspector shows of it.

namespace {

const TDecisionRecord& DecideOn(TLinePlayer& Player) {
  Player.Futures().Decide(Player.RealState());
  return Player.Futures().LastDecision();
}

} // namespace

TEST(DecisionRecord, KeepsEachOptionsPushCountScoreAndWeightAtEachLevel) {
  // Two options pushing "Push": +180 from two cells (positive sums 3 and 1), -60 from one (1).
  // An option scores its counted futures' sum by the level's formula, and so does its weight.
  struct TCase {
    int32_t Level;
    long double Score0, Weight0, Weight1;
  };
  const long double w5 = 100.0L / 101;
  const TCase cases[] = {{2, 1, 1, 1}, // levels 1 to 3: every option weighs the same
                         {4, 4, 0.8L, 0.2L},
                         {5, 100, w5 * w5, (1 - w5) * (1 - w5)}};
  for (const TCase& c : cases) {
    auto player = TLinePlayer::New(0, 180);
    player->SetAILevel(c.Level);
    AddTestFuture(*player, 180, 0, 3);
    AddTestFuture(*player, -60, 0, 1);
    AddTestFuture(*player, 180, 45, 1);
    const TDecisionRecord& r = DecideOn(*player);
    SCOPED_TRACE(testing::Message() << "level " << c.Level);
    EXPECT_EQ(r.AILevel, c.Level);
    EXPECT_EQ(r.FutureCount, 3);
    EXPECT_EQ(r.DotCount, 3);
    ASSERT_EQ(r.Options.size(), 2u);
    EXPECT_EQ(r.Options[0].Param, 0);
    EXPECT_EQ(r.Options[0].Push, 180);
    EXPECT_EQ(r.Options[1].Push, -60);
    EXPECT_EQ(r.Options[0].Futures, 2);
    EXPECT_EQ(r.Options[1].Futures, 1);
    EXPECT_NEAR(static_cast<double>(r.Options[0].Score), static_cast<double>(c.Score0), 1e-12);
    EXPECT_NEAR(static_cast<double>(r.Options[0].Weight), static_cast<double>(c.Weight0), 1e-12);
    EXPECT_NEAR(static_cast<double>(r.Options[1].Weight), static_cast<double>(c.Weight1), 1e-12);
    ASSERT_EQ(r.Params.size(), 1u);
    EXPECT_NEAR(r.Params[0].Combined, static_cast<double>(180 * c.Weight0 - 60 * c.Weight1), 1e-9);
    EXPECT_FALSE(r.Params[0].YShapeCorrected);
    EXPECT_EQ(r.Params[0].Action, r.Params[0].Combined);
    EXPECT_EQ(r.Params[0].Sensitivity, r.Params[0].SensitivityBefore);
  }
}

TEST(DecisionRecord, ShowsTheYShapeCorrectionOfLevel6) {
  // Futures scoring 0.9, 0.5 and 0.5; each option scores the square of its sum, and so weighs.
  auto player = TLinePlayer::New(0, 180);
  player->SetAILevel(6);
  AddTestFuture(*player, 180, 0, std::sqrt(0.9L));
  AddTestFuture(*player, -60, 0, std::sqrt(0.5L));
  AddTestFuture(*player, 60, 0, std::sqrt(0.5L));
  const TDecisionRecord& r = DecideOn(*player);
  ASSERT_EQ(r.Options.size(), 3u);
  EXPECT_NEAR(static_cast<double>(r.Options[0].Score), 0.81, 1e-12);
  const double sum = 0.81 + 0.25 + 0.25;
  const auto weight = [&](double Score) { return (Score / sum) * (Score / sum); };
  EXPECT_NEAR(r.Params[0].Combined, 180 * weight(0.81) - 60 * weight(0.25) + 60 * weight(0.25),
              1e-9);
  EXPECT_TRUE(r.Params[0].YShapeCorrected);
  EXPECT_GT(r.Params[0].Action, r.Params[0].Combined + 20); // toward the best option, 180
  EXPECT_EQ(r.Params[0].Action, player->RealState().FreeParam(0).Value);
}

TEST(DecisionRecord, ShowsTheSensitivityChangeOfLevel8) {
  // The large pushes score higher than the small ones: the pushes grow by 30 %.
  auto player = TLinePlayer::New(0, 10);
  player->SetAILevel(8);
  AddTestFuture(*player, 10, 0, 3);
  AddTestFuture(*player, -10, 0, 3);
  AddTestFuture(*player, 10.0 / 3, 0, 1);
  AddTestFuture(*player, -10.0 / 3, 0, 1);
  const TDecisionRecord& r = DecideOn(*player);
  ASSERT_EQ(r.Options.size(), 4u);
  // 9 squared, before the lowest option's 1 is taken off.
  EXPECT_NEAR(static_cast<double>(r.Options[0].Score), 81, 1e-9);
  EXPECT_NEAR(static_cast<double>(r.Options[0].Weight), 0.25, 1e-12);
  EXPECT_NEAR(static_cast<double>(r.Options[2].Weight), 0, 1e-12);
  EXPECT_EQ(r.Params[0].SensitivityBefore, 0.5);
  EXPECT_NEAR(r.Params[0].Sensitivity, 0.65, 1e-12);
}
