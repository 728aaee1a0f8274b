#pragma once

#include <cstdint>

#include "agents/UPlayerSettings.h"
#include "world/UWorldSettings.h"

// What a new world of the window and of the batch runner starts with. The ranges of the controls
// that set it, and of what a scene may hold, are the settings table's (TSettingsTable).
struct TWorldDefaults {
  // The settings a new world starts with: the defaults of the table's world settings, with
  // player-to-player collisions on, as the window has always started.
  static TWorldSettings Settings();

  // The AI level of a new player, and the strength a goal added from the menu starts with.
  static constexpr int32_t AILevel = TPlayerSettings{}.FAILevel;
  static constexpr double GoalValue = 1;
  // The mouse goals pull hard: they start gentler.
  static constexpr double MouseGoalValue = 0.1;

  // The name of saved frame N: the stem given, then the number, as printf writes it with this
  // format ("_00001.bmp").
  static constexpr const char* FrameNumberFormat = "_%5.5d.bmp";
};
