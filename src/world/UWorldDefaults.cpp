#include "world/UWorldDefaults.h"

TWorldSettings TWorldDefaults::Settings() {
  TWorldSettings settings;
  settings.FCollisions = true;
  return settings;
}
