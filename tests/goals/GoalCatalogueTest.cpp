#include <gtest/gtest.h>

#include "goals/UGoal.h"
#include "goals/UGoal2DStorage.h"
#include "goals/UGoalCatalogue.h"
#include "platform/UErrors.h"

TEST(GoalCatalogue, EveryKindIsMadeByItsNameAndKnownByIt) {
  for (const std::string& name : TGoalCatalogue::Names()) {
    const std::unique_ptr<TGoal> goal = TGoalCatalogue::New(name, 0.5);
    EXPECT_EQ(TGoalCatalogue::NameOf(*goal), name);
    EXPECT_EQ(goal->FValue, 0.5) << name;
  }
  EXPECT_THROW(TGoalCatalogue::New("fly", 1), EError);
}

TEST(GoalCatalogue, AStorageBoxKeepsItsFieldsAndRefusesBadOnesWhole) {
  const std::unique_ptr<TGoal> goal = TGoalCatalogue::New("storage", 1);
  std::vector<TGoalField> fields = TGoalCatalogue::Fields(*goal);
  fields[0].Values = {120};
  fields[4].Values = {33.5};
  TGoalCatalogue::SetFields(*goal, fields);
  const auto& box = dynamic_cast<const TGoal2DStorage&>(*goal);
  EXPECT_EQ(box.FBoxX, 120);
  EXPECT_EQ(box.FStored, 33.5);
  fields[1].Values = {7};
  fields[2].Values = {0}; // a box of no size
  EXPECT_THROW(TGoalCatalogue::SetFields(*goal, fields), EError);
  EXPECT_EQ(box.FBoxY, 0);
}
