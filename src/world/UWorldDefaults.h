#pragma once

#include <cstdint>

#include "agents/UPlayerSettings.h"
#include "world/UWorldSettings.h"

// What a new world of the window and of the batch runner starts with, and the ranges of the
// controls that set it. The form's designed start positions, the batch runner's defaults and
// options and the scene reader all read them from here, so that none of them can drift.
struct TWorldDefaults {
  // The settings a new world starts with: the settings' own defaults, with player-to-player
  // collisions on, as the window has always started.
  static TWorldSettings Settings();

  // Ranges of the window's controls, which the batch runner's options and the scene reader
  // accept too. A future's length in whole seconds on the slider; a scene may hold any
  // millisecond length within the same range.
  static constexpr int32_t MinFutureSeconds = 1, MaxFutureSeconds = 20;
  static constexpr int32_t MinMinFutures = 1, MaxMinFutures = 2000;
  // Friction slider in thousandths, side friction slider in hundredths.
  static constexpr int32_t MinFrictionMilli = 1, MaxFrictionMilli = 300;
  static constexpr int32_t MinSideFrictionCenti = 0, MaxSideFrictionCenti = 100;
  // Size slider of the chosen player, pixels; the bounds a grid may be given, pixels.
  static constexpr int32_t MinSize = 4, MaxSize = 40;
  static constexpr int32_t MinGrid = 1, MaxGrid = 1000;

  // The AI level of a new player, and the strength a goal added from the menu starts with.
  static constexpr int32_t AILevel = TPlayerSettings{}.FAILevel;
  static constexpr double GoalValue = 1;
  // The mouse goals pull hard: they start gentler.
  static constexpr double MouseGoalValue = 0.1;

  // The name of saved frame N: the stem given, then the number, as printf writes it with this
  // format ("_00001.bmp").
  static constexpr const char* FrameNumberFormat = "_%5.5d.bmp";
};
