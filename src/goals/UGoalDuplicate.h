#pragma once

#include "goals/UGoal.h"

// "Duplicating is sexy": a future at the end of which its player has duplicated gains 1000.
// Its drawing is a chart of the goal values of every player of the world.
class TGoalDuplicate : public TGoal {
public:
  explicit TGoalDuplicate(double Value);
  void Compute(int32_t Phase) override;
  void Draw() override;
};
