#pragma once

#include <memory>

#include "goals/UGoal.h"

// "Stole energy from others": a rocket drains energy from the team mates that stand at the end
// of its exhaust and keeps half of it. The goal adds no score of its own; its effect on a future
// is the energy it moves. On the real states it draws a red line for every drain and lets the
// window handle its pending messages.
//
// The team mates are those of the rocket evaluated, found through the world it is evaluated in,
// so that the goal's copy on a worker's copy of the world drains that copy's players.
class TGoalBurnOut : public TGoal {
public:
  // The value is clamped to 0 .. FMaxValue.
  explicit TGoalBurnOut(double Value);
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalBurnOut>(*this); }
  void Compute(TPlayer& Player, int32_t Phase) override;
};
