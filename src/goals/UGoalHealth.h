#pragma once

#include <memory>

#include "goals/UGoal.h"

// "Cares about health": at the end of a future, adds the player's health and multiplies by its
// square share of the full 100, so that futures ending with little health score low and with none
// score 0.
class TGoalHealth : public TGoal {
public:
  explicit TGoalHealth(double Value);
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalHealth>(*this); }
  void Compute(TPlayer& Player, int32_t Phase) override;
};
