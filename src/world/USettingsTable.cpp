#include "world/USettingsTable.h"

#include <charconv>
#include <cmath>

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "goals/UGoalHealth.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "world/UWorldDefaults.h"

namespace {

using H = TSettingHolder;
using C = TSettingControl;
using R = TSettingReader;

// The settings' own defaults stand in their structs; the table reads them there.
constexpr TWorldSettings World{};
constexpr TPlayerSettings Player{};
// What a player's state holds of its size, pixels: at the least it has shrunk away.
constexpr TSettingRange SizeHeld{3, 25};
// Grid bounds a player may be given, pixels.
constexpr TSettingRange GridBounds{1, 1000};

std::vector<TSettingRow> MakeRows() {
  std::vector<TSettingRow> rows;
  // A row with its names, holder, unit, default and ranges; the rest is set after it.
  const auto add = [&](const char* Key, H Holder, const char* Unit, double Default,
                       TSettingRange Control, TSettingRange Simulation) -> TSettingRow& {
    TSettingRow& row = rows.emplace_back();
    row.Key = Key;
    row.Holder = Holder;
    row.Unit = Unit;
    row.Default = Default;
    row.Control = Control;
    row.Simulation = Simulation;
    return row;
  };
  const auto alias = [](R Reader, const char* Name, double Scale = 1, double Sets = 1) {
    TSettingAlias a;
    a.Reader = Reader;
    a.Name = Name;
    a.Scale = Scale;
    a.Sets = Sets;
    return a;
  };
  constexpr TSettingRange flag{0, 1};
  TSettingRow* r = nullptr;

  r = &add("future_ms", H::World, "ms", World.FFutureMs, {1000, 20000}, {1000, 20000});
  r->Whole = true;
  r->Form = C::Slider;
  r->FormScale = 1000; // the slider shows whole seconds
  r->Aliases = {alias(R::Batch, "seconds", 1000), alias(R::Experiment, "future_seconds", 1000)};
  r->OfWorld = [](const TWorldSettings& S) -> double { return S.FFutureMs; };
  r->ToWorld = [](TWorldSettings& S, double X) { S.FFutureMs = RoundToInt32(X); };

  r = &add("sub_step_ms", H::World, "ms", World.FDeltaMs, {1, 1000}, {1, 1000});
  r->Whole = true;
  r->OfWorld = [](const TWorldSettings& S) -> double { return S.FDeltaMs; };
  r->ToWorld = [](TWorldSettings& S, double X) { S.FDeltaMs = RoundToInt32(X); };

  r = &add("min_futures", H::World, "", World.FMinFutures, {1, 2000}, {1, 2000});
  r->Whole = true;
  r->Form = C::Slider;
  r->Aliases = {alias(R::Batch, "min-futures"), alias(R::Experiment, "min_futures")};
  r->OfWorld = [](const TWorldSettings& S) -> double { return S.FMinFutures; };
  r->ToWorld = [](TWorldSettings& S, double X) { S.FMinFutures = RoundToInt32(X); };

  // A new world detects collisions between players, as the window has always started.
  r = &add("collisions", H::World, "", 1, flag, flag);
  r->Flag = true;
  r->Form = C::CheckBox;
  r->Aliases = {alias(R::Batch, "no-collisions", 1, 0), alias(R::Experiment, "collisions")};
  r->OfWorld = [](const TWorldSettings& S) -> double { return S.FCollisions; };
  r->ToWorld = [](TWorldSettings& S, double X) { S.FCollisions = X != 0; };

  r = &add("evolution", H::World, "", World.FEvolution, flag, flag);
  r->Flag = true;
  r->Form = C::CheckBox;
  r->Aliases = {alias(R::Batch, "evolution", 1, 1), alias(R::Experiment, "evolution")};
  r->OfWorld = [](const TWorldSettings& S) -> double { return S.FEvolution; };
  r->ToWorld = [](TWorldSettings& S, double X) { S.FEvolution = X != 0; };

  r = &add("friction", H::World, "", World.FFriction, {0.001, 0.3}, {0.001, 0.3});
  r->Form = C::Slider;
  r->FormScale = 0.001;
  r->Aliases = {alias(R::Experiment, "friction")};
  r->OfWorld = [](const TWorldSettings& S) { return S.FFriction; };
  r->ToWorld = [](TWorldSettings& S, double X) { S.FFriction = X; };

  r = &add("side_friction", H::World, "", World.FSideFriction, {0, 1}, {0, 1});
  r->Form = C::Slider;
  r->FormScale = 0.01;
  r->Aliases = {alias(R::Experiment, "side_friction")};
  r->OfWorld = [](const TWorldSettings& S) { return S.FSideFriction; };
  r->ToWorld = [](TWorldSettings& S, double X) { S.FSideFriction = X; };

  constexpr TSettingRange levels{TPlayerSettings::MinAILevel, TPlayerSettings::MaxAILevel};
  r = &add("ai_level", H::Player, "", Player.FAILevel, levels, levels);
  r->Whole = true;
  r->Form = C::List;
  r->Aliases = {alias(R::Batch, "ai-level"), alias(R::Experiment, "ai_level")};
  r->OfPlayer = [](const TPlayerSettings& S) -> double { return S.FAILevel; };
  r->ToPlayer = [](TPlayerSettings& S, double X) { S.FAILevel = RoundToInt32(X); };

  // The slider starts above the least size, at which a player has shrunk away and is removed.
  r = &add("size", H::State, "px", 6, {SizeHeld.Min + 1, SizeHeld.Max}, SizeHeld);
  r->Form = C::Slider;
  r->Aliases = {alias(R::Experiment, "size")};
  r->OfState = [](const TPlayer& P) { return P.Size(); };
  r->ToState = [](TPlayer& P, double X) { P.SetSize(X); };
  r->WithinState = [](const TPlayer& P) { return TSettingRange{P.SizeMin(), P.SizeMax()}; };

  r = &add("grid_min", H::Player, "px", Player.FGridMin, GridBounds, GridBounds);
  r->Whole = true;
  r->OfPlayer = [](const TPlayerSettings& S) -> double { return S.FGridMin; };
  r->ToPlayer = [](TPlayerSettings& S, double X) { S.FGridMin = RoundToInt32(X); };

  r = &add("grid_max", H::Player, "px", Player.FGridMax, GridBounds, GridBounds);
  r->Whole = true;
  r->OfPlayer = [](const TPlayerSettings& S) -> double { return S.FGridMax; };
  r->ToPlayer = [](TPlayerSettings& S, double X) { S.FGridMax = RoundToInt32(X); };
  r->WithinPlayer = [](const TPlayerSettings& S) {
    return TSettingRange{static_cast<double>(S.FGridMin), GridBounds.Max};
  };

  // The slider follows the chosen player's bounds; it offers a new player's.
  r = &add("grid_size", H::Player, "px", Player.FGridSize,
           {static_cast<double>(Player.FGridMin), static_cast<double>(Player.FGridMax)},
           GridBounds);
  r->Whole = true;
  r->Form = C::Slider;
  r->Aliases = {alias(R::Experiment, "grid_size")};
  r->OfPlayer = [](const TPlayerSettings& S) -> double { return S.ClampedGridSize(); };
  r->ToPlayer = [](TPlayerSettings& S, double X) { S.FGridSize = RoundToInt32(X); };
  r->WithinPlayer = [](const TPlayerSettings& S) {
    return TSettingRange{static_cast<double>(S.FGridMin), static_cast<double>(S.FGridMax)};
  };

  r = &add("auto_grid", H::Player, "", Player.FAutoGrid, flag, flag);
  r->Flag = true;
  r->Form = C::CheckBox;
  r->OfPlayer = [](const TPlayerSettings& S) -> double { return S.FAutoGrid; };
  r->ToPlayer = [](TPlayerSettings& S, double X) { S.FAutoGrid = X != 0; };

  // A goal's strength: what a goal added from the menu starts with; its slider has 100 steps.
  const double goalMax = TGoalHealth(0).FMaxValue;
  r = &add("value", H::Goal, "", TWorldDefaults::GoalValue, {0, goalMax}, {0, goalMax});
  r->Form = C::Slider;
  r->FormScale = goalMax / 100;
  r->Aliases = {alias(R::Experiment, "team_goal."), alias(R::Experiment, "player_goal.")};
  r->OfGoal = [](const TGoal& G) { return G.FValue; };
  r->ToGoal = [](TGoal& G, double X) { G.FValue = X; };
  r->WithinGoal = [](const TGoal& G) { return TSettingRange{0, G.FMaxValue}; };
  return rows;
}

} // namespace

std::string TSettingsTable::Text(double X) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, X);
  return std::string(text, result.ptr);
}

void TSettingRow::Refuse(double X, const TSettingRange& Range) const {
  const std::string unit = Unit.empty() ? "" : " " + Unit;
  throw EError("\"" + Key + "\" of " + TSettingsTable::Text(X) + unit + ": it must be " +
               (Flag
                    ? "0 or 1"
                    : (Whole ? "a whole number from " : "from ") + TSettingsTable::Text(Range.Min) +
                          " to " + TSettingsTable::Text(Range.Max) + unit) +
               ".");
}

void TSettingRow::Check(double X, const TSettingRange& Range) const {
  if (!Range.Holds(X) || (Whole && X != std::floor(X)) || (Flag && X != 0 && X != 1))
    Refuse(X, Range);
}

double TSettingRow::Of(const TWorldSettings& Settings) const {
  if (OfWorld == nullptr)
    throw EError("\"" + Key + "\" is not a setting of the world.");
  return OfWorld(Settings);
}

void TSettingRow::Set(TWorldSettings& Settings, double X) const {
  if (ToWorld == nullptr)
    throw EError("\"" + Key + "\" is not a setting of the world.");
  Check(X, Simulation);
  ToWorld(Settings, X);
}

double TSettingRow::Of(const TPlayerSettings& Settings) const {
  if (OfPlayer == nullptr)
    throw EError("\"" + Key + "\" is not a setting of a player.");
  return OfPlayer(Settings);
}

void TSettingRow::Set(TPlayerSettings& Settings, double X) const {
  if (ToPlayer == nullptr)
    throw EError("\"" + Key + "\" is not a setting of a player.");
  Check(X, HeldBy(Settings));
  ToPlayer(Settings, X);
}

double TSettingRow::Of(const TPlayer& Player) const {
  if (OfState != nullptr)
    return OfState(Player);
  return Of(Player.Settings());
}

void TSettingRow::Set(TPlayer& Player, double X) const {
  if (ToState != nullptr) {
    Check(X, HeldBy(Player));
    ToState(Player, X);
    return;
  }
  TPlayerSettings settings = Player.Settings();
  Set(settings, X);
  Player.SetSettings(settings);
}

double TSettingRow::Of(const TGoal& Goal) const {
  if (OfGoal == nullptr)
    throw EError("\"" + Key + "\" is not a setting of a goal.");
  return OfGoal(Goal);
}

void TSettingRow::Set(TGoal& Goal, double X) const {
  if (ToGoal == nullptr)
    throw EError("\"" + Key + "\" is not a setting of a goal.");
  Check(X, HeldBy(Goal));
  ToGoal(Goal, X);
}

TSettingRange TSettingRow::HeldBy(const TPlayerSettings& Settings) const {
  return WithinPlayer != nullptr ? WithinPlayer(Settings) : Simulation;
}

TSettingRange TSettingRow::HeldBy(const TPlayer& Player) const {
  if (WithinState != nullptr)
    return WithinState(Player);
  return HeldBy(Player.Settings());
}

TSettingRange TSettingRow::HeldBy(const TGoal& Goal) const {
  return WithinGoal != nullptr ? WithinGoal(Goal) : Simulation;
}

// Positions are counted in whole steps: a step below 1 divides by its whole reciprocal, so that
// position 20 of the friction slider is exactly 0.02 and not 20 x 0.001.
double TSettingRow::AtPosition(int32_t Position) const {
  if (FormScale >= 1)
    return Position * FormScale;
  return Position / std::round(1 / FormScale);
}

int32_t TSettingRow::PositionOf(double X) const {
  if (FormScale >= 1)
    return RoundToInt32(X / FormScale);
  return RoundToInt32(X * std::round(1 / FormScale));
}

const TSettingAlias* TSettingRow::Alias(TSettingReader Reader) const {
  for (const TSettingAlias& alias : Aliases)
    if (alias.Reader == Reader)
      return &alias;
  return nullptr;
}

TSettingRange TSettingRow::Offered(const TSettingAlias& Alias) const {
  return {Control.Min / Alias.Scale, Control.Max / Alias.Scale};
}

const std::vector<TSettingRow>& TSettingsTable::Rows() {
  static const std::vector<TSettingRow> rows = MakeRows();
  return rows;
}

const TSettingRow& TSettingsTable::Row(const std::string& Key) {
  for (const TSettingRow& row : Rows())
    if (row.Key == Key)
      return row;
  throw EError("No setting is called \"" + Key + "\".");
}

const TSettingRow* TSettingsTable::FindAlias(TSettingReader Reader, const std::string& Name,
                                             const TSettingAlias** Alias) {
  for (const TSettingRow& row : Rows())
    for (const TSettingAlias& alias : row.Aliases) {
      const bool prefix = row.Holder == TSettingHolder::Goal;
      if (alias.Reader != Reader ||
          !(prefix ? Name.size() > alias.Name.size() && Name.rfind(alias.Name, 0) == 0
                   : Name == alias.Name))
        continue;
      if (Alias != nullptr)
        *Alias = &alias;
      return &row;
    }
  return nullptr;
}

TWorldSettings TSettingsTable::WorldDefaults() {
  TWorldSettings settings;
  for (const TSettingRow& row : Rows())
    if (row.Holder == TSettingHolder::World)
      row.Set(settings, row.Default);
  return settings;
}
