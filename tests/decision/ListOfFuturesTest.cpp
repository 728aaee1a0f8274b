#include <gtest/gtest.h>

#include <cmath>

#include "decision/FuturesTestKit.h"
#include "platform/UErrors.h"

TEST(ListOfFutures, StoresSnappedCopiesAndRecyclesThemFresh) {
  auto player = TLinePlayer::New(0, 10);
  TListOfFutures& list = player->Futures();
  const TState f = AddTestFuture(*player, 10, 22.5, 1);
  EXPECT_EQ(f.Param(player->PosXIndex).Value, 30); // cell 2 of 15 px (halves to even)
  EXPECT_EQ(f.PositionalParam(0).Macro, 2);
  AddTestFuture(*player, 10, 22.5, 2); // the better one in the same cell: f is discarded
  list.GroupOptions();
  list.ScoreOptions();
  ASSERT_TRUE(list.GetFuture(0).Discarded);
  list.Clear();
  EXPECT_EQ(list.FutureCount(), 0);
  EXPECT_EQ(list.OptionCount(), 0);
  const TState again = AddTestFuture(*player, 10, 0, 1);
  EXPECT_FALSE(again.Discarded);
  EXPECT_EQ(again.Option, nullptr);
  EXPECT_EQ(again.Time, 0);
  EXPECT_EQ(again.DeathTime, -1);
  EXPECT_THROW(list.GetFuture(1), ERangeError);
  EXPECT_THROW(list.GetOption(0), ERangeError);
}

TEST(ListOfFutures, GroupsFuturesByFirstActionInOrderOfAppearance) {
  auto player = TLinePlayer::New(0, 10);
  AddTestFuture(*player, 10, 0, 1);
  AddTestFuture(*player, -10, 0, 1);
  AddTestFuture(*player, 10, 40, 1);
  TListOfFutures& list = player->Futures();
  list.GroupOptions();
  ASSERT_EQ(list.OptionCount(), 2);
  EXPECT_EQ(list.GetFuture(0).Option, &list.GetOption(0));
  EXPECT_EQ(list.GetFuture(1).Option, &list.GetOption(1));
  EXPECT_EQ(list.GetFuture(2).Option, &list.GetOption(0));
  EXPECT_EQ(list.GetOption(1).FreeParam(0).Milli, -10000);
}

TEST(ListOfFutures, CountsOneFuturePerOptionAndCellTheBestAndEarliest) {
  auto player = TLinePlayer::New(0, 10);
  player->SetAILevel(4);
  TListOfFutures& list = player->Futures();
  AddTestFuture(*player, 10, 0, 2);  // counted first...
  AddTestFuture(*player, 10, 3, 5);  // ...then replaced by this better one in the same cell
  AddTestFuture(*player, 10, 5, 5);  // a tie keeps the earlier
  AddTestFuture(*player, 10, 20, 1); // another cell
  AddTestFuture(*player, -10, 0, 1); // another option in the first cell
  list.GroupOptions();
  list.ScoreOptions();
  EXPECT_TRUE(list.GetFuture(0).Discarded);
  EXPECT_FALSE(list.GetFuture(1).Discarded);
  EXPECT_TRUE(list.GetFuture(2).Discarded);
  EXPECT_FALSE(list.GetFuture(3).Discarded);
  EXPECT_FALSE(list.GetFuture(4).Discarded);
  EXPECT_EQ(list.DotCount(), 3);
  EXPECT_EQ(list.GetOption(0).FutureCount, 2);
  EXPECT_EQ(list.GetOption(0).ScorePositive, 5 + 1);
  EXPECT_EQ(list.GetOption(1).FutureCount, 1);
}

TEST(ListOfFutures, ABetterFutureTakesItsPredecessorsScoreOutOfTheRightSum) {
  // At level 8 a future can score below 0: J = -5 replaced by I = 3 leaves the option with 3^2.
  auto player = TLinePlayer::New(0, 10);
  player->SetAILevel(8);
  TListOfFutures& list = player->Futures();
  AddTestFuture(*player, 10, 0, 0, std::sqrt(5.0L));
  AddTestFuture(*player, 10, 1, std::sqrt(3.0L));
  list.GroupOptions();
  list.ScoreOptions();
  EXPECT_NEAR(static_cast<double>(list.GetFuture(0).GetScore()), -5, 1e-12);
  EXPECT_TRUE(list.GetFuture(0).Discarded);
  const TState& option = list.GetOption(0);
  EXPECT_NEAR(static_cast<double>(option.ScoreNegative), 0, 1e-12);
  EXPECT_NEAR(static_cast<double>(option.ScorePositive), 3, 1e-12);
  EXPECT_NEAR(static_cast<double>(option.GetScore()), 9, 1e-9);
}

TEST(ListOfFutures, Level4WeighsTheFirstActionsByNormalisedScores) {
  auto player = TLinePlayer::New(0, 180);
  player->SetAILevel(4);
  AddTestFuture(*player, 180, 0, 3);
  AddTestFuture(*player, -60, 0, 1);
  player->Futures().Decide(player->RealState());
  EXPECT_DOUBLE_EQ(static_cast<double>(player->Futures().GetOption(0).GetScore()), 0.75);
  EXPECT_DOUBLE_EQ(static_cast<double>(player->Futures().GetOption(1).GetScore()), 0.25);
  EXPECT_DOUBLE_EQ(player->RealState().FreeParam(0).Value, 120);
}

TEST(ListOfFutures, Level5FeedsTheNormalisedSquareBackThroughTheScore) {
  auto player = TLinePlayer::New(0, 180);
  player->SetAILevel(5);
  AddTestFuture(*player, 180, 0, std::sqrt(3.0L)); // future scores 3 and 1, options 9 and 1
  AddTestFuture(*player, -60, 0, 1);
  TListOfFutures& list = player->Futures();
  list.GroupOptions();
  list.ScoreOptions();
  EXPECT_NEAR(static_cast<double>(list.GetOption(0).GetScore()), 9, 1e-12);
  list.NormalizeScores();
  EXPECT_NEAR(static_cast<double>(list.GetOption(0).GetScore()), 0.81, 1e-12);
  EXPECT_NEAR(static_cast<double>(list.GetOption(1).GetScore()), 0.01, 1e-12);
}

TEST(ListOfFutures, AllZeroScoresFallBackOnTheLogarithmOfTheCountedCells) {
  auto player = TLinePlayer::New(0, 10);
  player->SetAILevel(4);
  AddTestFuture(*player, 10, 0, 0);
  AddTestFuture(*player, 10, 30, 0);
  AddTestFuture(*player, 10, 60, 0);
  AddTestFuture(*player, -10, 0, 0);
  player->Futures().Decide(player->RealState());
  EXPECT_DOUBLE_EQ(static_cast<double>(player->Futures().GetOption(0).GetScore()), 1);
  EXPECT_DOUBLE_EQ(static_cast<double>(player->Futures().GetOption(1).GetScore()), 0);
  EXPECT_DOUBLE_EQ(player->RealState().FreeParam(0).Value, 10);
}

TEST(ListOfFutures, WithoutFuturesTheDecisionIsZero) {
  auto player = TLinePlayer::New(0, 10);
  player->RealState().FreeParam(0).SetValue(7);
  player->Futures().Decide(player->RealState());
  EXPECT_EQ(player->RealState().FreeParam(0).Value, 0);
}

TEST(ListOfFutures, AtLevels7And8TheWorstOptionWeighsNothing) {
  for (int level : {7, 8}) {
    auto player = TLinePlayer::New(0, 10);
    player->SetAILevel(level);
    AddTestFuture(*player, 5, 0, 2);                   // scores 4
    AddTestFuture(*player, -5, 0, 0, std::sqrt(5.0L)); // scores -5
    player->Futures().Decide(player->RealState());
    EXPECT_NEAR(static_cast<double>(player->Futures().GetOption(0).GetScore()), 1, 1e-12);
    EXPECT_NEAR(static_cast<double>(player->Futures().GetOption(1).GetScore()), 0, 1e-12);
    EXPECT_NEAR(player->RealState().FreeParam(0).Value, 5, 1e-9) << "level " << level;
  }
  auto lonely = TLinePlayer::New(0, 10);
  lonely->SetAILevel(7);
  EXPECT_NO_THROW(lonely->Futures().NormalizeScores()); // no options at all
}

TEST(ListOfFutures, ScoresBeyondTheRangeOfTheSumKeepTheirRatios) {
  auto player = TLinePlayer::New(0, 10);
  player->SetAILevel(5);
  const long double huge = 7e2465L; // squared, each option scores near the largest long double
  AddTestFuture(*player, 10, 0, huge);
  AddTestFuture(*player, -10, 0, huge);
  AddTestFuture(*player, 10.0 / 3, 0, huge);
  TListOfFutures& list = player->Futures();
  list.GroupOptions();
  list.ScoreOptions();
  list.NormalizeScores();
  for (int k = 0; k < 3; ++k)
    EXPECT_NEAR(static_cast<double>(list.GetOption(k).GetScore()), 1.0 / 9, 1e-12);
  list.CombineOptions(player->RealState());
  EXPECT_TRUE(std::isfinite(player->RealState().FreeParam(0).Value));
}

TEST(ListOfFutures, InterpolatesTheScoreCurveThroughTheOptions) {
  const TListOfFutures::TPointList points = {{-60, 0.1}, {60, 0.05}, {180, 0.8}};
  const auto curve = TListOfFutures::Interpolate(points, 40);
  EXPECT_NEAR(curve.ScoreAtCur, 0.05, 1e-12);
  EXPECT_NEAR(curve.BestX, 180, 1e-12);
  EXPECT_NEAR(curve.BestScore, 0.8, 1e-12);
  const auto outside = TListOfFutures::Interpolate(points, 500);
  EXPECT_EQ(outside.ScoreAtCur, -9999);
  const auto negative = TListOfFutures::Interpolate({{-1, -1}, {1, -2}}, 0);
  EXPECT_EQ(negative.BestX, 0);
  EXPECT_EQ(negative.BestScore, 0);
}

namespace {

// Options with first actions Pushes on "Push", scored directly, and the decision set to Cur.
void MakeScoredOptions(TLinePlayer& Player, const std::vector<std::pair<double, double>>& Options,
                       int32_t Chosen = 0) {
  for (const auto& [push, score] : Options)
    AddTestFuture(Player, push, 0, 0, 0, Chosen);
  TListOfFutures& list = Player.Futures();
  list.GroupOptions();
  for (size_t k = 0; k < Options.size(); ++k)
    list.GetOption(static_cast<int32_t>(k)).SetScore(Options[k].second);
}

} // namespace

TEST(ListOfFutures, AvoidsYShapesByMovingTowardTheBestInterpolatedValue) {
  auto player = TLinePlayer::New(0, 180);
  player->SetAILevel(4);
  MakeScoredOptions(*player, {{180, 0.8}, {-60, 0.1}, {60, 0.05}}); // sorted before use
  player->RealState().FreeParam(0).SetValue(40);
  player->Futures().AvoidYShapes(player->RealState());
  EXPECT_NEAR(player->RealState().FreeParam(0).Value, 145, 1e-9);
}

TEST(ListOfFutures, FewerThanThreeNonZeroOptionsLeaveTheDecision) {
  auto player = TLinePlayer::New(0, 180);
  player->SetAILevel(4);
  MakeScoredOptions(*player, {{180, 0.8}, {0, 0.1}, {60, 0.05}});
  player->RealState().FreeParam(0).SetValue(40);
  player->Futures().AvoidYShapes(player->RealState());
  EXPECT_EQ(player->RealState().FreeParam(0).Value, 40);
}

TEST(ListOfFutures, YShapesOfAParameterIgnoreOptionsThatPushedAnother) {
  auto player = TTwinPlayer::New(180);
  player->SetAILevel(4);
  // Three options pushed "Push"; two pushed "Spin" and carry last step's Push of 30.
  for (double push : {180.0, -60.0, 60.0})
    AddTestFuture(*player, push, 0, 0, 0, 0);
  AddTestFuture(*player, 30, 0, 0, 0, 1, 15);
  AddTestFuture(*player, 30, 0, 0, 0, 1, -15);
  TListOfFutures& list = player->Futures();
  list.GroupOptions();
  const double scores[5] = {0.8, 0.1, 0.05, 0.9, 0.9};
  for (int k = 0; k < 5; ++k)
    list.GetOption(k).SetScore(scores[k]);
  player->RealState().FreeParam(0).SetValue(40);
  player->RealState().FreeParam(1).SetValue(0);
  list.AvoidYShapes(player->RealState());
  EXPECT_NEAR(player->RealState().FreeParam(0).Value, 145, 1e-9);
  EXPECT_EQ(player->RealState().FreeParam(1).Value, 0); // two Spin options: fewer than three
}

namespace {

// The four option pushes of "Push" as the options would carry them, with a score each.
double SensitivityAfter(double Sensitivity, double LargeScore, double SmallScore,
                        bool WithSpinOptions = false, int Options = 4) {
  auto player = TTwinPlayer::New(180);
  player->SetAILevel(8); // the level that adapts; its scores can be negative
  TParamValues& push = player->RealState().FreeParam(0);
  push.Sensitivity = Sensitivity;
  const double large = std::min(push.LargePush(), 180.0), small = push.SmallPush();
  const double values[4] = {large, -large, small, -small};
  const double scores[4] = {LargeScore, LargeScore, SmallScore, SmallScore};
  std::vector<double> optionScores;
  for (int k = 0; k < Options; ++k) {
    AddTestFuture(*player, values[k], 0, 0, 0, 0);
    optionScores.push_back(scores[k]);
  }
  if (WithSpinOptions)
    for (double spin : {15.0, -15.0, 5.0, -5.0}) {
      AddTestFuture(*player, 50, 0, 0, 0, 1, spin);
      optionScores.push_back(1);
    }
  TListOfFutures& list = player->Futures();
  list.GroupOptions();
  for (int k = 0; k < list.OptionCount(); ++k)
    list.GetOption(k).SetScore(optionScores[k]);
  list.AdjustSensitivity(player->RealState());
  return player->RealState().FreeParam(0).Sensitivity;
}

} // namespace

TEST(ListOfFutures, SensitivityFollowsTheBetterGroupOfPushes) {
  EXPECT_DOUBLE_EQ(SensitivityAfter(0.5, 2, 1), 0.65);
  EXPECT_DOUBLE_EQ(SensitivityAfter(0.5, 1, 2), 0.45);
  EXPECT_DOUBLE_EQ(SensitivityAfter(0.5, 1, 1), 0.5);           // equal maxima
  EXPECT_DOUBLE_EQ(SensitivityAfter(0.5, 2, 1, false, 3), 0.5); // three options only
  EXPECT_DOUBLE_EQ(SensitivityAfter(0.1, 1, 2), 0.1);           // no lower than 0.1
  EXPECT_DOUBLE_EQ(SensitivityAfter(0.9, 2, 1), 1);             // no higher than 1
  EXPECT_DOUBLE_EQ(SensitivityAfter(0.5, -1, -2), 0.65);        // negative scores are real scores
}

TEST(ListOfFutures, SensitivityIgnoresOptionsThatPushedAnotherParameter) {
  EXPECT_DOUBLE_EQ(SensitivityAfter(0.5, 2, 1, true), 0.65);
}

TEST(ListOfFutures, SensitivityCanReachOneWhenLargePushesAreCutToTheRange) {
  // At 0.8 the large push 288 is cut to 180, nearer the small push 96 than to 288.
  EXPECT_DOUBLE_EQ(SensitivityAfter(0.8, 2, 1), 1);
}

TEST(ListOfFutures, FuturesOfAnotherShapeCannotJoinTheList) {
  auto player = TLinePlayer::New(0, 10);
  AddTestFuture(*player, 10, 0, 1);
  TState other(player.get());
  other.AddParam(TStateParam::CreatePositional("PosX", 0, 15));
  try {
    player->Futures().AddFuture(other);
    FAIL();
  } catch (const EStateError& e) {
    EXPECT_STREQ(e.what(), "TState: FreeParam index 0 out of boundaries.");
  }
  EXPECT_EQ(player->Futures().FutureCount(), 1);
}
