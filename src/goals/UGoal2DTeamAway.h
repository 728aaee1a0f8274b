#pragma once

#include <memory>

#include "goals/UGoal.h"

class TTeam;

// "Avoid others": futures in which the player comes near the other members of a team score less.
// Each other member closer than 10 x value player sizes multiplies the factor by its distance
// over that range, so two near members cost more than one and a member on top of the player
// gives 0. Acts after every sub-step, while the player is alive.
class TGoal2DTeamAway : public TGoal {
public:
  TTeam* FTeam; // the team whose members are avoided (not owned)

  // The value is clamped to 0 .. FMaxValue.
  TGoal2DTeamAway(TTeam* Team, double Value);
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoal2DTeamAway>(*this); }
  TTeam* Team() const override { return FTeam; }
  void SetTeam(TTeam* Team) override { FTeam = Team; }
  void Compute(int32_t Phase) override;
};
