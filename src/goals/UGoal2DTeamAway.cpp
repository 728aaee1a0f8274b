#include "goals/UGoal2DTeamAway.h"

#include <algorithm>
#include <cmath>

#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"

namespace {
const TPlayer2D& Body(const TPlayer& Player) {
  const TPlayer2D* body = Player.AsPlayer2D();
  if (body == nullptr)
    throw EError("Track2D contains a player that is not a Player2D.");
  return *body;
}
} // namespace

TGoal2DTeamAway::TGoal2DTeamAway(TTeam* Team, double Value) : TGoal(Value), FTeam(Team) {
  SetValue(Value);
  FDescription = "Avoid others";
}

void TGoal2DTeamAway::Compute(int32_t Phase) {
  if (Phase != 0 || FTeam == nullptr || FPlayer->IsDead())
    return;
  const TPlayer2D& self = Body(*FPlayer);
  const double x = self.PosX();
  const double y = self.PosY();
  const double range = 10 * FValue * self.Size(); // pixels
  double factor = 1;
  for (int32_t i = 0; i < FTeam->MemberCount(); ++i) {
    const TPlayer* member = FTeam->Members(i);
    if (member == FPlayer)
      continue;
    const TPlayer2D& other = Body(*member);
    const double dx = other.PosX() - x;
    const double dy = other.PosY() - y;
    factor *= std::min(1.0, std::sqrt(dx * dx + dy * dy) / range);
  }
  FScoreMult = factor;
}
