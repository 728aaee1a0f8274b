#pragma once

#include <memory>

#include "goals/UGoal.h"

// "Love speeding": after every sub-step, adds the distance the body covered in it, measured in
// body sizes, so that futures that race farther score higher.
class TGoal2DRaced : public TGoal {
public:
  explicit TGoal2DRaced(double Value);
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoal2DRaced>(*this); }
  void Compute(TPlayer& Player, int32_t Phase) override;
};
