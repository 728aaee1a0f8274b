#pragma once

#include <memory>

#include "goals/UGoal.h"

// "Cares about energy": at the end of a future, adds the player's energy and multiplies by its
// square share of the full 100, so that futures ending with little energy score low and with none
// score 0.
class TGoalEnergy : public TGoal {
public:
  explicit TGoalEnergy(double Value);
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalEnergy>(*this); }
  void Compute(TPlayer& Player, int32_t Phase) override;
};
