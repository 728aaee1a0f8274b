#pragma once

#include <QJsonValue>
#include <cstdint>
#include <string>
#include <vector>

class TPlayerLog;
class TWorld;
struct TSettingRow;

// One column of an experiment's results: a built-in measure of the run, or a quantity of the
// players (or of the teams) reduced to one number by an aggregate over the players a filter
// keeps. Checked when read, with the JSON path of the fault, so that a sweep never stops on it.
class TMeasure {
public:
  enum class TAggregate : uint8_t { Mean, Median, Min, Max, Sum, Count, Sd };

  // The thirteen measures every run takes, by name; the order of their values in BuiltInValues.
  static const std::vector<std::string>& BuiltInNames();
  static TMeasure BuiltIn(const std::string& Name);
  // The quantities a measure can be made of, as the experiment file names them: of each player,
  // then of each team.
  static std::vector<std::string> PlayerQuantities();
  static std::vector<std::string> TeamQuantities();

  // Reads a measure of the "measures" list; Worlds are the scenes it will measure, for the
  // teams they have. Raises EExperimentInput "PATH: why".
  static TMeasure FromJson(const QJsonValue& Json, const std::string& Path,
                           const std::vector<const TWorld*>& Worlds);

  const std::string& Name() const { return FName; }
  // The unit of its values ("px", "energy"); empty for counts and levels.
  const std::string& Unit() const { return FUnit; }
  // What its values can be: an interval cut at these bounds says nothing false.
  double Low() const { return FLow; }
  double High() const { return FHigh; }
  // Whether every value is a whole number.
  bool Whole() const { return FWhole; }

  // Its value for the world as it stands: BuiltIns are the built-in measures' values (in
  // BuiltInNames' order), the log the players followed so far. NaN where there is none.
  double Value(const TWorld& World, const TPlayerLog& Log,
               const std::vector<double>& BuiltIns) const;

private:
  std::string FName;
  int32_t FBuiltIn = -1;                 // index among the built-in measures; -1 for a quantity
  std::string FOf;                       // the quantity
  bool FOfTeam = false;                  // a quantity of the teams rather than of the players
  const TSettingRow* FSetting = nullptr; // a player's setting as the quantity
  TAggregate FAggregate = TAggregate::Mean;
  std::string FKind;   // empty: every kind
  int32_t FTeam = -1;  // -1: every team
  int32_t FAlive = -1; // -1: alive or not; 0: dead or gone only; 1: alive only
  std::string FUnit;
  double FLow = 0, FHigh = 0;
  bool FWhole = false;
};
