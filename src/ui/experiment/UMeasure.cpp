#include "ui/experiment/UMeasure.h"

#include <QJsonObject>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

#include "agents/UPlayer.h"
#include "goals/UTeam.h"
#include "ui/experiment/UExperiment.h"
#include "world/UPlayerLog.h"
#include "world/USettingsTable.h"
#include "world/UWorld.h"

namespace {

constexpr double None = std::numeric_limits<double>::quiet_NaN();
constexpr double Unbounded = std::numeric_limits<double>::infinity();
// A player's state holds its energy and its health from 0 to 100.
constexpr double StateMax = 100;

[[noreturn]] void Fail(const std::string& Path, const std::string& Why) {
  throw EExperimentInput(Path + ": " + Why);
}

struct TQuantity {
  const char* Name;
  const char* Unit;
  double Low, High;
  bool Whole;
};

// Of each player, as the log last saw it.
const TQuantity PlayerTable[] = {
    {"distance", "px", 0, Unbounded, false},
    {"speed", "px/s", 0, Unbounded, false},
    {"alive", "", 0, 1, true},
    {"energy", "energy", 0, StateMax, false},
    {"health", "health", 0, StateMax, false},
    {"x", "px", -Unbounded, Unbounded, false},
    {"y", "px", -Unbounded, Unbounded, false},
    {"progress", "turns", -Unbounded, Unbounded, false},
    {"born_step", "step", 0, Unbounded, true},
    {"death_step", "step", 0, Unbounded, true},
    {"removed_step", "step", 0, Unbounded, true},
};
// Of each team.
const TQuantity TeamTable[] = {
    {"stored_energy", "energy", 0, Unbounded, false},
    {"drops_consumed", "", 0, Unbounded, true},
    {"births", "", 0, Unbounded, true},
};
const TQuantity BuiltInTable[] = {
    {"players_alive", "", 0, Unbounded, true},
    {"distance_median", "px", 0, Unbounded, false},
    {"distance_mean", "px", 0, Unbounded, false},
    {"energy_median", "energy", 0, StateMax, false},
    {"energy_mean", "energy", 0, StateMax, false},
    {"health_median", "health", 0, StateMax, false},
    {"health_mean", "health", 0, StateMax, false},
    {"futures_median", "", 0, Unbounded, false},
    {"step_ms_median", "ms", 0, Unbounded, false},
    {"dots_median", "", 0, Unbounded, false},
    {"stored_energy", "energy", 0, Unbounded, false},
    {"duplications", "", 0, Unbounded, true},
    {"removals", "", 0, Unbounded, true},
};

const char* const AggregateNames[] = {"mean", "median", "min", "max", "sum", "count", "sd"};

template <size_t N> const TQuantity* Find(const TQuantity (&Table)[N], const std::string& Name) {
  for (const TQuantity& q : Table)
    if (Name == q.Name)
      return &q;
  return nullptr;
}

double Reduce(TMeasure::TAggregate How, std::vector<double> V) {
  using A = TMeasure::TAggregate;
  if (How == A::Count)
    return static_cast<double>(V.size());
  if (How == A::Sum)
    return std::accumulate(V.begin(), V.end(), 0.0);
  if (V.empty())
    return None;
  const double n = static_cast<double>(V.size());
  const double mean = std::accumulate(V.begin(), V.end(), 0.0) / n;
  switch (How) {
  case A::Mean:
    return mean;
  case A::Min:
    return *std::min_element(V.begin(), V.end());
  case A::Max:
    return *std::max_element(V.begin(), V.end());
  case A::Median: {
    std::sort(V.begin(), V.end());
    const size_t m = V.size();
    return m % 2 == 1 ? V[m / 2] : (V[m / 2 - 1] + V[m / 2]) / 2;
  }
  case A::Sd: {
    if (V.size() < 2)
      return None;
    double squares = 0;
    for (double x : V)
      squares += (x - mean) * (x - mean);
    return std::sqrt(squares / (n - 1));
  }
  default:
    return None;
  }
}

std::string List(const std::vector<std::string>& Names) {
  std::string text;
  for (const std::string& n : Names)
    text += (text.empty() ? "" : ", ") + n;
  return text;
}

bool IsName(const std::string& Name) {
  return !Name.empty() && Name.size() <= 64 && std::islower(static_cast<unsigned char>(Name[0])) &&
         std::all_of(Name.begin(), Name.end(), [](char c) {
           return std::islower(static_cast<unsigned char>(c)) ||
                  std::isdigit(static_cast<unsigned char>(c)) || c == '_';
         });
}

} // namespace

const std::vector<std::string>& TMeasure::BuiltInNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const TQuantity& q : BuiltInTable)
      n.push_back(q.Name);
    return n;
  }();
  return names;
}

TMeasure TMeasure::BuiltIn(const std::string& Name) {
  const auto& names = BuiltInNames();
  const auto it = std::find(names.begin(), names.end(), Name);
  TMeasure m;
  m.FName = Name;
  m.FBuiltIn = static_cast<int32_t>(it - names.begin());
  const TQuantity& q = BuiltInTable[m.FBuiltIn];
  m.FUnit = q.Unit;
  m.FLow = q.Low;
  m.FHigh = q.High;
  m.FWhole = q.Whole;
  return m;
}

std::vector<std::string> TMeasure::PlayerQuantities() {
  std::vector<std::string> names;
  for (const TQuantity& q : PlayerTable)
    names.push_back(q.Name);
  for (const TSettingRow& r : TSettingsTable::Rows())
    if (const TSettingAlias* a = r.Alias(TSettingReader::Experiment);
        a != nullptr && (r.Holder == TSettingHolder::Player || r.Holder == TSettingHolder::State))
      names.push_back(a->Name);
  return names;
}

std::vector<std::string> TMeasure::TeamQuantities() {
  std::vector<std::string> names;
  for (const TQuantity& q : TeamTable)
    names.push_back(q.Name);
  return names;
}

TMeasure TMeasure::FromJson(const QJsonValue& Json, const std::string& Path,
                            const std::vector<const TWorld*>& Worlds) {
  const auto& builtIns = BuiltInNames();
  if (Json.isString()) {
    const std::string name = Json.toString().toStdString();
    if (std::find(builtIns.begin(), builtIns.end(), name) == builtIns.end())
      Fail(Path, "unknown measure \"" + name + "\" (built in: " + List(builtIns) +
                     "; or an object with \"name\", \"of\" and \"aggregate\")");
    return BuiltIn(name);
  }
  if (!Json.isObject())
    Fail(Path, "expected a built-in measure's name or an object with \"name\", \"of\" and "
               "\"aggregate\"");
  const QJsonObject o = Json.toObject();
  for (auto it = o.begin(); it != o.end(); ++it)
    if (!QStringList{"name", "of", "aggregate", "kind", "team", "alive"}.contains(it.key()))
      Fail(Path + "." + it.key().toStdString(), "unknown key");
  TMeasure m;
  m.FName = o.value("name").toString().toStdString();
  if (!IsName(m.FName))
    Fail(Path + ".name", "expected a name of small letters, digits and _, starting with a letter");
  if (std::find(builtIns.begin(), builtIns.end(), m.FName) != builtIns.end())
    Fail(Path + ".name", "\"" + m.FName + "\" is a built-in measure's name");
  m.FOf = o.value("of").toString().toStdString();
  const TQuantity* player = Find(PlayerTable, m.FOf);
  const TQuantity* team = Find(TeamTable, m.FOf);
  const TSettingAlias* alias = nullptr;
  const TSettingRow* row = TSettingsTable::FindAlias(TSettingReader::Experiment, m.FOf, &alias);
  if (row != nullptr && row->Holder != TSettingHolder::Player &&
      row->Holder != TSettingHolder::State)
    row = nullptr;
  if (player == nullptr && team == nullptr && row == nullptr)
    Fail(Path + ".of", "unknown quantity \"" + m.FOf +
                           "\" (of each player: " + List(PlayerQuantities()) +
                           "; of each team: " + List(TeamQuantities()) + ")");
  m.FOfTeam = team != nullptr;
  if (row != nullptr && player == nullptr) {
    // A setting keeps its unit and its range from the settings table, in the alias's unit.
    m.FSetting = row;
    m.FUnit = alias->Scale == 1 ? row->Unit : "";
    m.FLow = row->Simulation.Min / alias->Scale;
    m.FHigh = row->Simulation.Max / alias->Scale;
    m.FWhole = row->Whole || row->Flag;
  } else {
    const TQuantity& q = player != nullptr ? *player : *team;
    m.FUnit = q.Unit;
    m.FLow = q.Low;
    m.FHigh = q.High;
    m.FWhole = q.Whole;
  }
  const QString aggregate = o.value("aggregate").toString(m.FOfTeam ? "sum" : "");
  const auto found =
      std::find(std::begin(AggregateNames), std::end(AggregateNames), aggregate.toStdString());
  if (found == std::end(AggregateNames))
    Fail(Path + ".aggregate", "expected one of mean, median, min, max, sum, count, sd");
  m.FAggregate = static_cast<TAggregate>(found - std::begin(AggregateNames));
  switch (m.FAggregate) {
  case TAggregate::Count:
    m.FUnit.clear();
    m.FLow = 0;
    m.FHigh = Unbounded;
    m.FWhole = true;
    break;
  case TAggregate::Sum:
    m.FLow = m.FLow >= 0 ? 0 : -Unbounded;
    m.FHigh = m.FHigh <= 0 ? 0 : Unbounded;
    break;
  case TAggregate::Sd:
    m.FLow = 0;
    m.FHigh = Unbounded;
    m.FWhole = false;
    break;
  case TAggregate::Mean:
  case TAggregate::Median:
    m.FWhole = false;
    break;
  default:
    break;
  }
  if (o.contains("kind")) {
    if (m.FOfTeam)
      Fail(Path + ".kind", "\"" + m.FOf + "\" is a team's: only \"team\" filters it");
    m.FKind = o.value("kind").toString().toStdString();
    if (m.FKind != "kart" && m.FKind != "rocket" && m.FKind != "player")
      Fail(Path + ".kind", "expected \"kart\", \"rocket\" or \"player\"");
  }
  if (o.contains("alive")) {
    if (m.FOfTeam)
      Fail(Path + ".alive", "\"" + m.FOf + "\" is a team's: only \"team\" filters it");
    if (!o.value("alive").isBool())
      Fail(Path + ".alive", "expected true (alive players only) or false (dead or gone only)");
    m.FAlive = o.value("alive").toBool() ? 1 : 0;
  }
  if (o.contains("team")) {
    const QJsonValue t = o.value("team");
    int32_t fewest = 1000;
    for (const TWorld* w : Worlds)
      fewest = std::min(fewest, w->TeamCount());
    if (!t.isDouble() || t.toDouble() != std::floor(t.toDouble()) || t.toDouble() < 0 ||
        t.toDouble() >= fewest)
      Fail(Path + ".team", "expected a team's number from 0 to " + std::to_string(fewest - 1) +
                               " (the teams of the scene" + (Worlds.size() > 1 ? "s" : "") + ")");
    m.FTeam = static_cast<int32_t>(t.toDouble());
  }
  return m;
}

double TMeasure::Value(const TWorld& World, const TPlayerLog& Log,
                       const std::vector<double>& BuiltIns) const {
  if (FBuiltIn >= 0)
    return BuiltIns[static_cast<size_t>(FBuiltIn)];
  std::vector<double> values;
  if (FOfTeam) {
    for (int32_t t = 0; t < World.TeamCount(); ++t) {
      if (FTeam >= 0 && t != FTeam)
        continue;
      if (FOf == "stored_energy") {
        if (const std::optional<double> stored = TPlayerLog::StoredEnergy(World, t))
          values.push_back(*stored);
      } else if (FOf == "drops_consumed") {
        values.push_back(static_cast<double>(TPlayerLog::DropUnitsConsumed(World, t)));
      } else {
        double births = 0;
        for (const TPlayerLog::TRecord& r : Log.Records())
          births += r.Team == t && r.BornStep > 0 ? 1 : 0;
        values.push_back(births);
      }
    }
    // No team with a storage box: no stored energy, rather than none stored.
    if (values.empty() && FAggregate != TAggregate::Count)
      return None;
    return Reduce(FAggregate, std::move(values));
  }
  const auto step = [](const std::optional<int32_t>& S) {
    return S ? static_cast<double>(*S) : None;
  };
  for (const TPlayerLog::TRecord& r : Log.Records()) {
    const bool alive = r.Player != nullptr && r.Alive;
    if ((!FKind.empty() && r.Kind != FKind) || (FTeam >= 0 && r.Team != FTeam) ||
        (FAlive >= 0 && alive != (FAlive == 1)))
      continue;
    double x = None;
    if (FSetting != nullptr) {
      // Only of a player still in the world; the alias's unit.
      const TSettingAlias* alias = FSetting->Alias(TSettingReader::Experiment);
      if (r.Player != nullptr)
        x = FSetting->Of(*r.Player) / alias->Scale;
    } else if (FOf == "distance") {
      x = r.Distance;
    } else if (FOf == "speed") {
      x = r.Speed;
    } else if (FOf == "alive") {
      x = alive ? 1 : 0;
    } else if (FOf == "energy") {
      x = r.Energy;
    } else if (FOf == "health") {
      x = r.Health;
    } else if (FOf == "x") {
      x = r.X;
    } else if (FOf == "y") {
      x = r.Y;
    } else if (FOf == "progress") {
      x = r.Turns;
    } else if (FOf == "born_step") {
      x = r.BornStep;
    } else if (FOf == "death_step") {
      x = step(r.DeathStep);
    } else if (FOf == "removed_step") {
      x = step(r.RemovedStep);
    }
    if (!std::isnan(x))
      values.push_back(x);
  }
  return Reduce(FAggregate, std::move(values));
}
