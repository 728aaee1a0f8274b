#include "goals/UGoal2DTeamAway.h"

#include <algorithm>
#include <cmath>

#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"

TGoal2DTeamAway::TGoal2DTeamAway(double Value) : TGoal(Value, gpAfterSubStep) {
  SetValue(Value);
  FDescription = "Avoid others";
}

void TGoal2DTeamAway::Compute(TPlayer& Player, int32_t Phase) {
  const TTeam* team = Player.FTeam;
  if (Phase != 0 || team == nullptr || Player.IsDead())
    return;
  // Only bodies have places to keep apart.
  const TPlayer2D* self = Player.AsPlayer2D();
  if (self == nullptr)
    return;
  const double x = self->PosX();
  const double y = self->PosY();
  const double range = 10 * FValue * self->Size(); // pixels
  double factor = 1;
  for (int32_t i = 0; i < team->MemberCount(); ++i) {
    const TPlayer2D* other = team->Members(i)->AsPlayer2D();
    if (other == nullptr || other == self)
      continue;
    const double dx = other->PosX() - x;
    const double dy = other->PosY() - y;
    factor *= std::min(1.0, std::sqrt(dx * dx + dy * dy) / range);
  }
  FScoreMult = factor;
}
