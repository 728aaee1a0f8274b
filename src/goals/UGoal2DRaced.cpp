#include "goals/UGoal2DRaced.h"

#include <cmath>

#include "agents/UPlayer2D.h"

TGoal2DRaced::TGoal2DRaced(double Value) : TGoal(Value, gpAfterSubStep) {
  FDescription = "Love speeding";
}

void TGoal2DRaced::Compute(TPlayer& Player, int32_t Phase) {
  if (Phase != 0)
    return;
  // Only a body has a position to race with.
  const TPlayer2D* player = Player.AsPlayer2D();
  if (player == nullptr)
    return;
  const double dx = player->PosX() - player->PrevPosX();
  const double dy = player->PosY() - player->PrevPosY();
  FScoreAdd = std::sqrt(dx * dx + dy * dy) / player->Size();
}
