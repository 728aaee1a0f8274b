#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "agents/UPlayerSettings.h"
#include "world/UWorldSettings.h"

class TGoal;
class TPlayer;

// Where a setting is kept: the world's settings, a player's settings, a player's state, a goal.
enum class TSettingHolder : uint8_t { World, Player, State, Goal };

// What the window shows a setting with.
enum class TSettingControl : uint8_t { None, Slider, CheckBox, List };

// The programs that know a setting by another name than its key.
enum class TSettingReader : uint8_t { Batch, Experiment };

// From Min to Max, both included.
struct TSettingRange {
  double Min = 0, Max = 0;
  // False for a value that is not a number.
  bool Holds(double X) const { return X >= Min && X <= Max; }
  bool Holds(const TSettingRange& Inner) const { return Inner.Min >= Min && Inner.Max <= Max; }
};

// Another name of a setting, in a unit of its own: one of it is Scale of the setting's unit
// (one "--seconds" is 1000 "future_ms"). A batch option of an on/off setting is a switch that
// sets Sets. An experiment's goal variable is a prefix that a goal kind completes
// ("team_goal." + "speed").
struct TSettingAlias {
  TSettingReader Reader = TSettingReader::Batch;
  std::string Name;
  double Scale = 1;
  double Sets = 1;
};

// One setting a user can change: every program that reads, writes, offers or checks it takes
// its names, units and ranges from here.
struct TSettingRow {
  std::string Key; // canonical; the name a scene keeps it by, but for the state's "SIZE"
  TSettingHolder Holder = TSettingHolder::World;
  std::string Unit; // "ms", "px"; empty for counts, coefficients, levels and flags
  double Default = 0;
  // What the controls offer: the window's, the batch runner's options and the experiments'
  // variables. Never more than the simulation holds.
  TSettingRange Control;
  // What the simulation holds, and so what a scene may hold. The values that one player or goal
  // holds may be narrower still (a grid size within its player's bounds): see HeldBy.
  TSettingRange Simulation;
  bool Whole = false; // whole numbers of its unit, or of an alias's unit
  bool Flag = false;  // off (0) or on (1)
  TSettingControl Form = TSettingControl::None;
  // Of the window's control, the setting's units per position (1000 ms per second of the seconds
  // slider, 0.001 per position of the friction slider).
  double FormScale = 1;
  std::vector<TSettingAlias> Aliases;

  // Reading and writing where the setting is kept; only those of its holder are set.
  double (*OfWorld)(const TWorldSettings&) = nullptr;
  void (*ToWorld)(TWorldSettings&, double) = nullptr;
  double (*OfPlayer)(const TPlayerSettings&) = nullptr;
  void (*ToPlayer)(TPlayerSettings&, double) = nullptr;
  TSettingRange (*WithinPlayer)(const TPlayerSettings&) = nullptr; // null: Simulation
  double (*OfState)(const TPlayer&) = nullptr;
  void (*ToState)(TPlayer&, double) = nullptr;
  TSettingRange (*WithinState)(const TPlayer&) = nullptr;
  double (*OfGoal)(const TGoal&) = nullptr;
  void (*ToGoal)(TGoal&, double) = nullptr;
  TSettingRange (*WithinGoal)(const TGoal&) = nullptr;

  // The setter of each holder raises EError naming the key for a value outside what the holder
  // holds: nothing is clamped on the way in.
  double Of(const TWorldSettings& Settings) const;
  void Set(TWorldSettings& Settings, double X) const;
  double Of(const TPlayerSettings& Settings) const;
  void Set(TPlayerSettings& Settings, double X) const;
  // A player's settings or its state.
  double Of(const TPlayer& Player) const;
  void Set(TPlayer& Player, double X) const;
  double Of(const TGoal& Goal) const;
  void Set(TGoal& Goal, double X) const;

  TSettingRange HeldBy(const TPlayerSettings& Settings) const;
  TSettingRange HeldBy(const TPlayer& Player) const;
  TSettingRange HeldBy(const TGoal& Goal) const;

  // The window's control: the value at a position, and the position nearest a value.
  double AtPosition(int32_t Position) const;
  int32_t PositionOf(double X) const;
  // The control range in positions.
  int32_t FirstPosition() const { return PositionOf(Control.Min); }
  int32_t LastPosition() const { return PositionOf(Control.Max); }

  // The alias of a reader; null when that reader does not know the setting.
  const TSettingAlias* Alias(TSettingReader Reader) const;
  // The control range in an alias's unit.
  TSettingRange Offered(const TSettingAlias& Alias) const;

private:
  [[noreturn]] void Refuse(double X, const TSettingRange& Range) const;
  void Check(double X, const TSettingRange& Range) const;
};

// The table of every setting a user can change, in the order the scenes read them (a grid's
// bounds before its size).
class TSettingsTable {
public:
  static const std::vector<TSettingRow>& Rows();
  // Raises EError for a key no row has.
  static const TSettingRow& Row(const std::string& Key);
  // The row a reader knows by Name, and the alias; null when none. A goal variable is found by
  // its prefix.
  static const TSettingRow* FindAlias(TSettingReader Reader, const std::string& Name,
                                      const TSettingAlias** Alias = nullptr);
  // The settings a world starts with: every world row's default.
  static TWorldSettings WorldDefaults();
  // A number as messages write it: "0.001", "20".
  static std::string Text(double X);
};
