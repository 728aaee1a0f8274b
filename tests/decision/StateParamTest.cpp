#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "decision/UState.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"

TEST(StateParam, SetValueClampsOnlyWhileTheBoundsAreOrdered) {
  TStateParam bounded = TStateParam::CreateVariable("A", 0, 1, 0);
  bounded.SetValue(20);
  EXPECT_EQ(bounded.Value, 1);
  bounded.SetValue(-3);
  EXPECT_EQ(bounded.Value, 0);

  TStateParam unbounded = TStateParam::CreateVariable("B", 0, 0, 0);
  unbounded.SetValue(20);
  EXPECT_EQ(unbounded.Value, 20);

  TStateParam inverted = TStateParam::CreateVariable("C", 0, 1, 5);
  inverted.SetValue(20);
  EXPECT_EQ(inverted.Value, 20);
}

TEST(StateParam, ConstructorsKeepTheInitialValueAsPassedBesideTheClampedOne) {
  TStateParam p = TStateParam::CreateVariable("  health ", 150, 100, 0);
  EXPECT_EQ(p.Name(), "HEALTH");
  EXPECT_EQ(p.Kind, pkVariable);
  EXPECT_EQ(p.Value, 100);
  EXPECT_EQ(p.StartValue, 150);
  EXPECT_EQ(p.SavedValue, 150);
  EXPECT_EQ(p.Milli, 100000);
  EXPECT_TRUE(p.Gaussian);
  EXPECT_EQ(p.Sensitivity, 0.5);

  TStateParam free = TStateParam::CreateFree("PushPower", 180);
  EXPECT_TRUE(free.IsFree());
  EXPECT_EQ(free.MaxValue, 180);
  EXPECT_EQ(free.MinValue, -180);
  EXPECT_EQ(free.Precision, 0);

  TStateParam positional = TStateParam::CreatePositional("PosX", 7, 15);
  EXPECT_TRUE(positional.IsPositional());
  EXPECT_EQ(positional.Precision, 15);

  TStateParam empty = TStateParam::CreateEmpty();
  EXPECT_EQ(empty.Kind, pkAttribute);
  EXPECT_EQ(empty.Name(), "");
}

TEST(StateParam, MilliLagsBehindTheValueUntilUpdated) {
  TStateParam p = TStateParam::CreateVariable("X", 0, 0, 0);
  p.SetValue(0.5);
  EXPECT_EQ(p.RoundedValue(), 0);
  p.UpdateMilli();
  EXPECT_EQ(p.Milli, 500);
  EXPECT_EQ(p.RoundedValue(), 0.5);
  EXPECT_EQ(p.MilliValue(), 500);
  p.SetValue(0.0025); // 2.5 thousandths round to the even 2
  p.UpdateMilli();
  EXPECT_EQ(p.Milli, 2);
}

TEST(StateParam, AssignCopiesEverythingButTheMacroCell) {
  TStateParam source = TStateParam::CreatePositional("PosX", 22.5, 15);
  source.ConvertToMacro();
  source.Sensitivity = 0.9;
  TStateParam target;
  target.Macro = 7;
  target.Assign(source);
  EXPECT_EQ(target.Name(), "POSX");
  EXPECT_EQ(target.Value, source.Value);
  EXPECT_EQ(target.Sensitivity, 0.9);
  EXPECT_EQ(target.Precision, 15);
  EXPECT_EQ(target.Macro, 7);
}

TEST(StateParam, MacroConversionSnapsToTheCellCentreWithHalvesToEven) {
  TStateParam p = TStateParam::CreatePositional("PosX", 22.5, 15);
  p.ConvertToMacro();
  EXPECT_EQ(p.Macro, 2);
  EXPECT_EQ(p.Value, 30);
  p.SetValue(37.5); // 2.5 cells
  p.ConvertToMacro();
  EXPECT_EQ(p.Macro, 2);
  EXPECT_EQ(p.Value, 30);
  p.SetValue(-7.6);
  p.ConvertToMacro();
  EXPECT_EQ(p.Macro, -1);
  EXPECT_EQ(p.Value, -15);
}

TEST(StateParam, MacroConversionWithoutPrecisionFailsNamingTheParameter) {
  TStateParam p = TStateParam::CreateFree("pushTurn", 15);
  try {
    p.ConvertToMacro();
    FAIL();
  } catch (const EStateError& e) {
    EXPECT_STREQ(e.what(), "Precision zero param \"PUSHTURN\" can not be converted to macro.");
  }
}

TEST(StateParam, OptionPushesAreTheFourPushesWithinTheRange) {
  RandSeed(1);
  TStateParam p = TStateParam::CreateFree("PushPower", 180);
  std::set<int32_t> seen;
  for (int i = 0; i < 200; ++i) {
    p.ChooseOption();
    seen.insert(p.Milli);
    EXPECT_EQ(p.Milli, RoundToInt32(p.Value * 1000)); // the first action is recorded in Milli
  }
  EXPECT_EQ(seen, (std::set<int32_t>{-180000, -60000, 60000, 180000}));

  p.Sensitivity = 0.9; // the large push 324 is cut to the range
  seen.clear();
  for (int i = 0; i < 200; ++i) {
    p.ChooseOption();
    seen.insert(p.Milli);
  }
  EXPECT_EQ(seen, (std::set<int32_t>{-180000, -108000, 108000, 180000}));
}

TEST(StateParam, LaterActionsStayWithinTheSmallPushAndLeaveMilli) {
  RandSeed(2);
  TStateParam p = TStateParam::CreateFree("PushTurn", 15);
  p.Gaussian = false;
  p.Milli = 4242;
  double lowest = 0, highest = 0;
  for (int i = 0; i < 2000; ++i) {
    p.Randomize();
    lowest = std::min(lowest, p.Value);
    highest = std::max(highest, p.Value);
  }
  EXPECT_GE(lowest, -5);
  EXPECT_LE(highest, 5);
  EXPECT_LT(lowest, -4.5); // the whole interval is used
  EXPECT_GT(highest, 4.5);
  EXPECT_EQ(p.Milli, 4242);

  // Normal draws have the small push as standard deviation.
  p.Gaussian = true;
  double sumSquares = 0;
  for (int i = 0; i < 20000; ++i) {
    p.Randomize();
    sumSquares += p.Value * p.Value;
  }
  EXPECT_NEAR(std::sqrt(sumSquares / 20000), 5, 0.2);
}

TEST(StateParam, CopiesShareTheNameButRenamingOneLeavesTheOthers) {
  TStateParam source = TStateParam::CreateVariable("Power", 3, 15, -15);
  TStateParam copy = source;
  EXPECT_EQ(&copy.Name(), &source.Name());
  copy.SetName(" turn");
  EXPECT_EQ(copy.Name(), "TURN");
  EXPECT_EQ(source.Name(), "POWER");
  EXPECT_EQ(&TStateParam::CreateFree("power ", 1).Name(), &source.Name());
  copy.SetName("  ");
  EXPECT_EQ(copy.Name(), "");
}
