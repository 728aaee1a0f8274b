#include "goals/UGoalEnergy.h"

#include "agents/UPlayer.h"

TGoalEnergy::TGoalEnergy(double Value) : TGoal(Value, gpEndOfFuture) {
  FDescription = "Cares about energy";
}

void TGoalEnergy::Compute(TPlayer& Player, int32_t Phase) {
  if (Phase != 1)
    return;
  const double level = Player.Energy();
  FScoreAdd = level;
  FScoreMult = (level / 100) * (level / 100);
}
