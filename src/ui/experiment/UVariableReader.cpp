#include "ui/experiment/UVariableReader.h"

#include <QJsonArray>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "ui/experiment/UExperimentWorld.h"
#include "ui/qt/UQtPicture.h"
#include "world/USettingsTable.h"

namespace {

// A value of a player's setting that some player of the scene cannot hold (a grid size beyond its
// bounds) is refused before any run rather than clamped in every run.
void CheckPlayers(const TExperiment::TVariable& Variable, const std::string& Path, bool Listed,
                  const std::vector<std::unique_ptr<TExperimentWorld>>& Worlds) {
  const TSettingAlias* alias = nullptr;
  const TSettingRow* row =
      TSettingsTable::FindAlias(TSettingReader::Experiment, Variable.Setting, &alias);
  if (row == nullptr ||
      (row->Holder != TSettingHolder::Player && row->Holder != TSettingHolder::State))
    return;
  for (const auto& world : Worlds) {
    const TTeam& team = world->Team();
    for (size_t i = 0; i < Variable.Values.size(); ++i)
      for (int32_t m = 0; m < team.MemberCount(); ++m) {
        const TSettingRange held = row->HeldBy(*team.Members(m));
        const double x = Variable.Values[i];
        if (!held.Holds(x * alias->Scale))
          TVariableReader::Fail(Listed ? Path + ".values[" + std::to_string(i) + "]" : Path,
                                "\"" + Variable.Setting + "\" takes values from " +
                                    TVariableReader::Num(held.Min / alias->Scale) + " to " +
                                    TVariableReader::Num(held.Max / alias->Scale) + " for player " +
                                    std::to_string(m) + " of the scene, got " +
                                    TVariableReader::Num(x));
      }
  }
}

} // namespace

// The scenes of the "scene" variable: names of built-in scenes or scene files, each opened once
// here so that one that cannot be is refused before any run.
TExperiment::TVariable
TVariableReader::Scenes(const QJsonObject& O, const std::string& Path,
                        std::vector<std::unique_ptr<TExperimentWorld>>& Worlds) {
  for (auto it = O.begin(); it != O.end(); ++it)
    if (it.key() != "setting" && it.key() != "values")
      TVariableReader::Fail(Path + "." + it.key().toStdString(),
                            "unknown key (scenes are listed in \"values\")");
  if (!O.value("values").isArray() || O.value("values").toArray().isEmpty())
    TVariableReader::Fail(Path + ".values",
                          "expected a list of built-in scenes' names or scene files");
  TExperiment::TVariable v;
  v.Setting = "scene";
  const QJsonArray values = O.value("values").toArray();
  for (qsizetype i = 0; i < values.size(); ++i) {
    const std::string path = Path + ".values[" + std::to_string(i) + "]";
    if (!values[i].isString())
      TVariableReader::Fail(path, "expected a built-in scene's name or a scene file");
    const std::string scene = values[i].toString().toStdString();
    if (std::find(v.Names.begin(), v.Names.end(), scene) != v.Names.end())
      TVariableReader::Fail(path, "\"" + scene + "\" is listed twice");
    try {
      Worlds.push_back(TExperimentWorld::Open(scene, 0));
    } catch (const EError& e) {
      TVariableReader::Fail(path, e.what());
    }
    v.Names.push_back(scene);
    v.Values.push_back(static_cast<double>(i));
  }
  return v;
}

// The circuits of the "circuit" variable: picture files, as kartsim-batch --circuit takes them,
// each loaded once here.
TExperiment::TVariable TVariableReader::Circuits(const QJsonObject& O, const std::string& Path) {
  for (auto it = O.begin(); it != O.end(); ++it)
    if (it.key() != "setting" && it.key() != "values")
      TVariableReader::Fail(Path + "." + it.key().toStdString(),
                            "unknown key (circuits are listed in \"values\")");
  if (!O.value("values").isArray() || O.value("values").toArray().isEmpty())
    TVariableReader::Fail(Path + ".values", "expected a list of circuit files");
  TExperiment::TVariable v;
  v.Setting = "circuit";
  const QJsonArray values = O.value("values").toArray();
  for (qsizetype i = 0; i < values.size(); ++i) {
    const std::string path = Path + ".values[" + std::to_string(i) + "]";
    const std::string circuit = values[i].toString().toStdString();
    if (!values[i].isString() || circuit.empty())
      TVariableReader::Fail(path, "expected a circuit file");
    if (std::find(v.Names.begin(), v.Names.end(), circuit) != v.Names.end())
      TVariableReader::Fail(path, "\"" + circuit + "\" is listed twice");
    try {
      TExperimentWorld::CircuitHash(circuit);
    } catch (const EError& e) {
      TVariableReader::Fail(path, e.what());
    }
    v.Names.push_back(circuit);
    v.Values.push_back(static_cast<double>(i));
  }
  return v;
}

TExperiment::TVariable
TVariableReader::Setting(const QJsonValue& Value, const std::string& Path,
                         const std::vector<std::string>& Scenes,
                         const std::vector<std::unique_ptr<TExperimentWorld>>& Worlds) {
  if (!Value.isObject())
    TVariableReader::Fail(
        Path, "expected an object with \"setting\" and \"values\" or \"first\"/\"step\"/\"last\"");
  const QJsonObject o = Value.toObject();
  for (auto it = o.begin(); it != o.end(); ++it) {
    const QString key = it.key();
    if (key != "setting" && key != "values" && key != "first" && key != "step" && key != "last")
      TVariableReader::Fail(Path + "." + key.toStdString(), "unknown key");
  }
  if (!o.value("setting").isString())
    TVariableReader::Fail(Path + ".setting", "expected the name of a setting");
  TExperiment::TVariable v;
  v.Setting = o.value("setting").toString().toStdString();
  const TExperiment::TRange range = TExperiment::RangeOf(v.Setting, Path + ".setting");
  if (v.Setting == "karts" &&
      std::any_of(Scenes.begin(), Scenes.end(), [](const std::string& S) { return S != "circle"; }))
    TVariableReader::Fail(Path + ".setting", "\"karts\" applies only to the circle scene");
  if (o.contains("values")) {
    if (o.contains("first") || o.contains("step") || o.contains("last"))
      TVariableReader::Fail(Path,
                            "give either \"values\" or \"first\"/\"step\"/\"last\", not both");
    if (!o.value("values").isArray())
      TVariableReader::Fail(Path + ".values", "expected a list of numbers");
    const QJsonArray values = o.value("values").toArray();
    for (qsizetype i = 0; i < values.size(); ++i)
      v.Values.push_back(
          TVariableReader::NumberAt(values[i], Path + ".values[" + std::to_string(i) + "]"));
    if (v.Values.empty())
      TVariableReader::Fail(Path + ".values", "the list of values is empty");
  } else {
    for (const char* key : {"first", "step", "last"})
      if (!o.contains(key))
        TVariableReader::Fail(
            Path, std::string("expected \"values\", or \"first\", \"step\" and \"last\" (\"") +
                      key + "\" is missing)");
    const double first = TVariableReader::NumberAt(o.value("first"), Path + ".first");
    const double step = TVariableReader::NumberAt(o.value("step"), Path + ".step");
    const double last = TVariableReader::NumberAt(o.value("last"), Path + ".last");
    if (!(step > 0))
      TVariableReader::Fail(Path + ".step",
                            "expected a number above 0, got " + TVariableReader::Num(step));
    if (last < first)
      TVariableReader::Fail(Path + ".last", "the range is empty: last " +
                                                TVariableReader::Num(last) + " is below first " +
                                                TVariableReader::Num(first));
    // A last value that the steps reach up to rounding belongs to the range.
    const double count = std::floor((last - first) / step + 1e-9) + 1;
    if (count > static_cast<double>(TExperiment::MaxRuns))
      TVariableReader::Fail(Path, "more than " + std::to_string(TExperiment::MaxRuns) + " values");
    for (int64_t i = 0; i < static_cast<int64_t>(count); ++i) {
      // From the first value each time, so that errors of the step do not add up.
      const double x = first + static_cast<double>(i) * step;
      v.Values.push_back(range.Integer ? std::round(x) : std::round(x * 1e9) / 1e9);
    }
  }
  for (size_t i = 0; i < v.Values.size(); ++i) {
    const double x = v.Values[i];
    const std::string where =
        o.contains("values") ? Path + ".values[" + std::to_string(i) + "]" : Path;
    if (!std::isfinite(x) || x < range.Min || x > range.Max ||
        (range.Integer && x != std::floor(x)))
      TVariableReader::Fail(
          where, "\"" + v.Setting + "\" takes " + (range.Integer ? "whole numbers" : "values") +
                     " from " + TVariableReader::Num(range.Min) + " to " +
                     TVariableReader::Num(range.Max) + ", got " + TVariableReader::Num(x));
  }
  CheckPlayers(v, Path, o.contains("values"), Worlds);
  return v;
}

std::string TVariableReader::Num(double X) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", X);
  return text;
}

void TVariableReader::Fail(const std::string& Path, const std::string& Why) {
  throw EExperimentInput(Path + ": " + Why);
}

double TVariableReader::NumberAt(const QJsonValue& Value, const std::string& Path) {
  if (!Value.isDouble())
    Fail(Path, "expected a number");
  return Value.toDouble();
}
