#include <gtest/gtest.h>

#include "decision/UState.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "support/TestWorld.h"

namespace {

// A state of a kart's shape: two positional and two free parameters among others.
void FillLikeAKart(TState& S) {
  S.AddParam(TStateParam::CreateAttribute("Size", 6, 25, 3));
  S.AddParam(TStateParam::CreatePositional("PosX", 0, 15));
  S.AddParam(TStateParam::CreatePositional("PosY", 0, 15));
  S.AddParam(TStateParam::CreateVariable("Power", 0, 15, -15));
  S.AddParam(TStateParam::CreateFree("PushTurn", 15));
  S.AddParam(TStateParam::CreateFree("PushPower", 180));
}

template <class F> std::string MessageOf(F f) {
  try {
    f();
  } catch (const EError& e) {
    return e.what();
  }
  return "no error";
}

} // namespace

TEST(State, NeedsAPlayerAsOwner) {
  EXPECT_EQ(MessageOf([] { TState s(nullptr); }), "State's owner is not a TPlayer.");
}

TEST(State, FilesParametersByKindInTheirOrder) {
  auto player = TLinePlayer::New();
  TState s(player.get());
  FillLikeAKart(s);
  EXPECT_EQ(s.ParamCount(), 6);
  ASSERT_EQ(s.FreeParamCount(), 2);
  ASSERT_EQ(s.PositionalParamCount(), 2);
  EXPECT_EQ(s.FreeParamName(0), "PUSHTURN");
  EXPECT_EQ(s.FreeParamName(1), "PUSHPOWER");
  EXPECT_EQ(s.ParamName(2), "POSY");
  EXPECT_EQ(&s.PositionalParam(1), &s.Param(2));
  EXPECT_TRUE(s.HasFreeParams());
}

TEST(State, LooksParametersUpByTrimmedUpperCaseName) {
  auto player = TLinePlayer::New();
  TState s(player.get());
  FillLikeAKart(s);
  EXPECT_EQ(s.IndexOfParam(" posx"), 1);
  EXPECT_EQ(&s.ParamByName("PUSHPOWER"), &s.FreeParam(1));
  EXPECT_EQ(MessageOf([&] { s.IndexOfParam("  speed "); }),
            "TState: Param with name \"SPEED\" not found.");
}

TEST(State, IndexErrorsNameTheListAndTheIndex) {
  auto player = TLinePlayer::New();
  TState s(player.get());
  FillLikeAKart(s);
  EXPECT_EQ(MessageOf([&] { s.Param(-1); }), "TState: Param index -1 out of boundaries.");
  EXPECT_EQ(MessageOf([&] { s.Param(6); }), "TState: Param index 6 out of boundaries.");
  EXPECT_EQ(MessageOf([&] { s.FreeParam(2); }), "TState: FreeParam index 2 out of boundaries.");
  EXPECT_EQ(MessageOf([&] { s.PositionalParam(5); }),
            "TState: Positional Param index 5 out of boundaries.");
  EXPECT_THROW(s.Param(7), EStateError);
}

TEST(State, AssignGrowsAndShrinksAndKeepsTheFutureBookkeeping) {
  auto player = TLinePlayer::New();
  TState big(player.get()), small(player.get()), copy(player.get());
  FillLikeAKart(big);
  big.Param(1).SetValue(42);
  big.ScorePositive = 3;
  big.ScoreNegative = 2;
  big.ScoreFactor = 0.5;
  big.FutureCount = 4;
  big.Time = 900;
  small.AddParam(TStateParam::CreatePositional("Z", 1, 10));

  copy.Time = 77;
  copy.DeathTime = 55;
  copy.Discarded = true;
  copy.Option = &small;
  copy.Assign(big);
  EXPECT_EQ(copy.ParamCount(), 6);
  EXPECT_EQ(copy.FreeParamCount(), 2);
  EXPECT_EQ(copy.PositionalParamCount(), 2);
  EXPECT_EQ(copy.Param(1).Value, 42);
  EXPECT_EQ(copy.ScorePositive, 3);
  EXPECT_EQ(copy.ScoreNegative, 2);
  EXPECT_EQ(copy.ScoreFactor, 0.5);
  EXPECT_EQ(copy.FutureCount, 4);
  EXPECT_EQ(copy.Time, 77);
  EXPECT_EQ(copy.DeathTime, 55);
  EXPECT_TRUE(copy.Discarded);
  EXPECT_EQ(copy.Option, &small);
  EXPECT_EQ(copy.Owner(), player.get());

  copy.Assign(small);
  EXPECT_EQ(copy.ParamCount(), 1);
  EXPECT_EQ(copy.FreeParamCount(), 0);
  EXPECT_EQ(copy.PositionalParamCount(), 1);
  EXPECT_EQ(copy.ParamName(0), "Z");
}

TEST(State, AssignHandsTheStateFlagToEveryFreeParameter) {
  auto player = TLinePlayer::New();
  TState source(player.get()), target(player.get());
  FillLikeAKart(source);
  EXPECT_TRUE(source.FreeParam(0).Gaussian); // parameters are made Gaussian...
  target.Assign(source);
  EXPECT_FALSE(target.FreeParam(0).Gaussian); // ...but futures draw uniformly
  EXPECT_FALSE(target.FreeParam(1).Gaussian);
  EXPECT_TRUE(target.Param(0).Gaussian); // only free parameters follow the flag
}

TEST(State, StartValuesAndRounding) {
  auto player = TLinePlayer::New();
  TState s(player.get());
  FillLikeAKart(s);
  s.Param(3).SetValue(1.23456);
  s.ResetStartValues();
  EXPECT_EQ(s.Param(3).StartValue, 1.23456);
  EXPECT_EQ(s.Param(3).Milli, 1235);
  s.Param(3).SetValue(9);
  s.RoundValues(); // back to the last recorded thousandths
  EXPECT_DOUBLE_EQ(s.Param(3).Value, 1.235);
  s.StoreStartValues();
  EXPECT_DOUBLE_EQ(s.Param(3).StartValue, 1.235);
}

TEST(State, ScoresByAILevel) {
  auto player = TLinePlayer::New();
  TState s(player.get());
  s.AddScore(5, 1);
  s.AddScore(-2, 1);
  s.AddScore(0, 1.5);
  EXPECT_EQ(s.ScorePositive, 5);
  EXPECT_EQ(s.ScoreNegative, 2);
  EXPECT_EQ(s.ScoreFactor, 1.5);
  const long double expected[9] = {0, 1, 1, 1, 7.5, 56.25, 56.25, 52.25, 52.25};
  for (int level = 1; level <= 8; ++level) {
    player->SetAILevel(level);
    EXPECT_EQ(s.GetScore(), expected[level]) << "level " << level;
  }
  player->SetAILevel(1);
  player->SetHealth(0); // level 1 asks whether the owner is dead now
  EXPECT_EQ(s.GetScore(), 0);
  // A level the scoring does not define never reaches it: the player refuses it and keeps its own.
  for (int level : {0, 9}) {
    EXPECT_EQ(MessageOf([&] { player->SetAILevel(level); }),
              "AI level " + std::to_string(level) + " is not defined: it must be from 1 to 8.");
    EXPECT_EQ(player->AILevel(), 1);
  }
}

TEST(State, SetScoreOfANegativeValueScoresLikeANegativeContribution) {
  auto player = TLinePlayer::New();
  player->SetAILevel(7);
  TState set(player.get()), added(player.get());
  set.SetScore(-3);
  added.AddScore(-3, 1);
  EXPECT_EQ(set.GetScore(), -9);
  EXPECT_EQ(added.GetScore(), -9);
  set.SetScore(2);
  EXPECT_EQ(set.ScorePositive, 2);
  EXPECT_EQ(set.ScoreNegative, 0);
  EXPECT_EQ(set.ScoreFactor, 1);
}

TEST(State, ResetScoreRestartsTheFuture) {
  auto player = TLinePlayer::New();
  TState s(player.get());
  s.AddScore(4, 0.5);
  s.FutureCount = 3;
  s.Time = 400;
  s.DeathTime = 300;
  s.ResetScore();
  EXPECT_EQ(s.ScorePositive, 0);
  EXPECT_EQ(s.ScoreFactor, 1);
  EXPECT_EQ(s.FutureCount, 0);
  EXPECT_EQ(s.Time, 0);
  EXPECT_EQ(s.DeathTime, -1);
}

TEST(State, ARandomOptionPushesExactlyOneFreeParameterAndRemembersWhich) {
  RandSeed(3);
  auto player = TLinePlayer::New();
  TState s(player.get());
  FillLikeAKart(s);
  bool chose[2] = {false, false};
  for (int i = 0; i < 100; ++i) {
    s.FreeParam(0).SetValue(0);
    s.FreeParam(1).SetValue(0);
    s.ResetStartValues();
    s.ChooseRandomOption();
    const int32_t k = s.ChosenFreeParam;
    ASSERT_TRUE(k == 0 || k == 1);
    chose[k] = true;
    EXPECT_NE(s.FreeParam(k).Milli, 0);
    EXPECT_EQ(s.FreeParam(1 - k).Milli, 0);
  }
  EXPECT_TRUE(chose[0] && chose[1]);

  TState none(player.get());
  none.AddParam(TStateParam::CreateVariable("X", 0, 0, 0));
  none.ChooseRandomOption(); // nothing to push, nothing fails
  none.RandomizeFreeParams();
  EXPECT_EQ(none.ChosenFreeParam, -1);
}

TEST(State, ComparesFirstActionsAndCellsExactly) {
  auto player = TLinePlayer::New();
  TState a(player.get()), b(player.get()), shorter(player.get());
  FillLikeAKart(a);
  b.Assign(a);
  a.FreeParam(1).SetValue(60);
  a.FreeParam(1).UpdateMilli();
  EXPECT_FALSE(a.SameFreeParams(b));
  b.FreeParam(1).SetValue(60.0004); // equal at 1/1000
  b.FreeParam(1).UpdateMilli();
  EXPECT_TRUE(a.SameFreeParams(b));

  a.PositionalParam(0).Macro = 3;
  EXPECT_FALSE(a.SameMacroState(b));
  b.PositionalParam(0).Macro = 3;
  EXPECT_TRUE(a.SameMacroState(b));

  shorter.AddParam(TStateParam::CreatePositional("PosX", 0, 15));
  shorter.PositionalParam(0).Macro = 3; // equal as far as it goes, then one short
  EXPECT_THROW(a.SameMacroState(shorter), EStateError);
  EXPECT_THROW(a.SameFreeParams(shorter), EStateError);
}
