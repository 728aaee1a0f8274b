#include "world/UWorldSettings.h"

#include <cmath>
#include <string>

#include "platform/UErrors.h"

namespace {

void CheckAtLeast(const char* What, int64_t Value, int64_t Least, const char* Unit) {
  if (Value < Least)
    throw EError(std::string(What) + " of " + std::to_string(Value) + Unit +
                 ": it must be at least " + std::to_string(Least) + Unit + ".");
}

void CheckFriction(const char* What, double Value) {
  if (!(std::isfinite(Value) && Value >= 0))
    throw EError(std::string(What) + " of " + std::to_string(Value) +
                 ": it must be a number of at least 0.");
}

} // namespace

void TWorldSettings::Check() const {
  CheckAtLeast("A future length", FFutureMs, 0, " ms");
  CheckAtLeast("A sub-step", FDeltaMs, 1, " ms");
  CheckAtLeast("A minimum number of futures", FMinFutures, 0, "");
  CheckAtLeast("A fixed number of futures", FFixedFutures, 0, "");
  CheckFriction("A friction coefficient", FFriction);
  CheckFriction("A side friction coefficient", FSideFriction);
}
