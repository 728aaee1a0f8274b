#include "goals/UGoal.h"

#include <algorithm>
#include <cmath>

#include "agents/UPlayer.h"
#include "world/UTrack.h"

void TGoal::SetValue(double X) {
  FValue = std::max(std::min(FMaxValue, X), 0.0);
}

TScoreContribution TGoal::Evaluate(TPlayer& Player, int32_t Phase) {
  if (!(FValue > 0))
    return {};
  // Between evaluations the contribution is (0, 1), which is what a goal acting in another phase
  // reports.
  if ((FPhases & (1 << Phase)) == 0)
    return {};
  FScoreAdd = 0;
  FScoreMult = 1;
  Compute(Player, Phase);
  if (Phase == 0 && FSoonerBetter && Player.InFuture()) {
    // Gains count fully at the start of a future and fade out at its end; a penalty factor is
    // waived at the start and counts fully at the end.
    const double t = static_cast<double>(Player.State().Time);
    const double l = Player.Track().Settings().FFutureMs;
    const double w = (1 - t / l) * (1 - t / l);
    if (FScoreAdd != 0)
      FScoreAdd = FScoreAdd * w;
    if (FScoreMult < 1)
      FScoreMult = FScoreMult + w * (1 - FScoreMult);
  }
  const TScoreContribution reported{FScoreAdd, FScoreMult};
  ApplyScore(Player);
  return reported;
}

void TGoal::ApplyScore(TPlayer& Player) {
  // Most evaluations contribute nothing (a goal acting in the other phase); they skip the power,
  // which would give the same 1 anyway.
  if (FScoreAdd != 0 || FScoreMult != 1) {
    const long double factor = FScoreMult == 1 ? 1.0L : std::pow(FScoreMult, FValue + 1);
    Player.State().AddScore(FValue * FScoreAdd, factor);
  }
  FScoreAdd = 0;
  FScoreMult = 1;
}
