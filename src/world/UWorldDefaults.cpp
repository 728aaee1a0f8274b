#include "world/UWorldDefaults.h"

#include "world/USettingsTable.h"

TWorldSettings TWorldDefaults::Settings() {
  return TSettingsTable::WorldDefaults();
}
