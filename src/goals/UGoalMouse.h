#pragma once

#include <memory>

#include "goals/UGoal.h"

// "Follow mouse" or "Avoid mouse": futures that end the sub-steps near the mouse pointer score
// higher (follow) or lower (avoid). The pointer comes from the image track, in picture pixels;
// while it is outside the picture, or the player is dead, the goal does nothing.
class TGoalMouse : public TGoal {
public:
  bool FAvoid; // true: avoid the pointer; false: follow it

  // The value is clamped to 0 .. FMaxValue.
  TGoalMouse(bool Avoid, double Value);
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalMouse>(*this); }
  void Compute(TPlayer& Player, int32_t Phase) override;
  // A blue cross in a circle of radius 10 pixels on the pointer.
  void Draw(const TPlayer* Player, TCanvas& Canvas) override;
};
