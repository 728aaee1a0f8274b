#include "agents/UPlayerSettings.h"

#include <algorithm>
#include <string>

#include "platform/UErrors.h"

void TPlayerSettings::Check() const {
  if (FAILevel < MinAILevel || FAILevel > MaxAILevel)
    throw EError("AI level " + std::to_string(FAILevel) + " is not defined: it must be from " +
                 std::to_string(MinAILevel) + " to " + std::to_string(MaxAILevel) + ".");
  if (FGridMin < 1 || FGridMin > FGridMax)
    throw EError("Grid bounds from " + std::to_string(FGridMin) + " to " +
                 std::to_string(FGridMax) +
                 " px hold no grid size: the least must be at least 1 and at most the largest.");
}

int32_t TPlayerSettings::ClampedGridSize() const {
  return std::max(FGridMin, std::min(FGridSize, FGridMax));
}
