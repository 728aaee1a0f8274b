#pragma once

#include <memory>

#include "goals/UGoal.h"

// "Duplicating is sexy": a future at the end of which its player has duplicated gains 1000.
// Its drawing is a chart of the goal values of every player of the world.
class TGoalDuplicate : public TGoal {
public:
  explicit TGoalDuplicate(double Value);
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalDuplicate>(*this); }
  void Compute(TPlayer& Player, int32_t Phase) override;
  void Draw(const TPlayer* Player, TCanvas& Canvas) override;
};
