#pragma once

#include <cstdint>

// What a player is set to besides its state: its colour, what is drawn of it, how it scores its
// futures and the grid it compares them on. One value, copied whole: the stand-in of a player on
// a worker's copy of the world takes all of it at once.
struct TPlayerSettings {
  int32_t FColor = 0;          // display colour, packed as MakeColor packs it
  bool FDrawTraces = false;    // draw the traces of the futures
  bool FDrawEndPoints = false; // draw the ending points
  bool FDrawGoals = false;     // draw the goals of the player
  bool FDrawLevels = false;    // draw the level bars beyond energy and health
  int32_t FAILevel = 8;        // 1 .. 8, selects the scoring
  int32_t FGridSize = 10;      // pixels; kept within the bounds below
  int32_t FGridMin = 2;        // bounds of the grid size, pixels
  int32_t FGridMax = 20;
  bool FAutoGrid = true; // adapt the grid size after every decision

  bool operator==(const TPlayerSettings&) const = default;

  static constexpr int32_t MinAILevel = 1;
  static constexpr int32_t MaxAILevel = 8;
  // Raises EError for an AI level outside 1 .. 8 or grid bounds that hold no size (a minimum
  // below 1 or above the maximum). The grid size itself is clamped, not refused.
  void Check() const;
  // The grid size within its bounds.
  int32_t ClampedGridSize() const;
};
