#pragma once

#include <memory>

#include "goals/UGoal.h"

class TTeam;

// "Stole energy from others": a rocket drains energy from the team mates that stand at the end
// of its exhaust and keeps half of it. The goal adds no score of its own; its effect on a future
// is the energy it moves. On the real states it draws a red line for every drain and lets the
// window handle its pending messages.
class TGoalBurnOut : public TGoal {
public:
  TTeam* FTeam; // the team whose members can be drained (not owned)

  // The value is clamped to 0 .. FMaxValue.
  TGoalBurnOut(TTeam* Team, double Value);
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalBurnOut>(*this); }
  TTeam* Team() const override { return FTeam; }
  void SetTeam(TTeam* Team) override { FTeam = Team; }
  void Compute(int32_t Phase) override;
};
