#include "goals/UGoalHealth.h"

#include "agents/UPlayer.h"

TGoalHealth::TGoalHealth(double Value) : TGoal(Value, gpEndOfFuture) {
  FDescription = "Cares about health";
}

void TGoalHealth::Compute(TPlayer& Player, int32_t Phase) {
  if (Phase != 1)
    return;
  const double level = Player.Health();
  FScoreAdd = level;
  FScoreMult = (level / 100) * (level / 100);
}
