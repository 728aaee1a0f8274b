#pragma once

#include <memory>

#include "goals/UGoal.h"

// "Avoid others": futures in which the player comes near the other members of its team score less.
// Each other member closer than 10 x value player sizes multiplies the factor by its distance
// over that range, so two near members cost more than one and a member on top of the player
// gives 0. Acts after every sub-step, while the player is alive.
//
// The team is the one of the player evaluated, found through the world it is evaluated in, so that
// the goal's copy on a worker's copy of the world measures against that copy's team.
class TGoal2DTeamAway : public TGoal {
public:
  // The value is clamped to 0 .. FMaxValue.
  explicit TGoal2DTeamAway(double Value);
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoal2DTeamAway>(*this); }
  void Compute(TPlayer& Player, int32_t Phase) override;
};
