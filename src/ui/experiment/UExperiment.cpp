#include "ui/experiment/UExperiment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>

#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "ui/experiment/UExperimentWorld.h"
#include "ui/experiment/UVariableReader.h"
#include "world/USettingsTable.h"

namespace {

// The largest whole number a double holds exactly.
constexpr double MaxExactInteger = 9007199254740992.0;

int64_t WholeAt(const QJsonValue& Value, const std::string& Path, int64_t Min, int64_t Max) {
  const double x = TVariableReader::NumberAt(Value, Path);
  const std::string expected =
      "expected a whole number from " + std::to_string(Min) + " to " + std::to_string(Max);
  // The toolkit keeps a whole number that fits 64 bits as such, digit for digit (a seed of
  // 9007199254740993 stays one). Any other number is a double, which holds whole numbers exactly
  // only below 2^53: from there on it need not be the number written.
  if (Value.toVariant().typeId() == QMetaType::LongLong) {
    const int64_t whole = Value.toInteger();
    if (whole < Min || whole > Max)
      TVariableReader::Fail(Path, expected + ", got " + std::to_string(whole));
    return whole;
  }
  if (x != std::floor(x) || std::fabs(x) >= MaxExactInteger || x < static_cast<double>(Min) ||
      x > static_cast<double>(Max))
    TVariableReader::Fail(Path, expected + ", got " + TVariableReader::Num(x));
  return static_cast<int64_t>(x);
}

// SplitMix64's finaliser: nearby inputs give unrelated outputs.
uint64_t Mix(uint64_t X) {
  X += 0x9E3779B97F4A7C15ull;
  X = (X ^ (X >> 30)) * 0xBF58476D1CE4E5B9ull;
  X = (X ^ (X >> 27)) * 0x94D049BB133111EBull;
  return X ^ (X >> 31);
}

TExperiment::TStop ReadStop(const QJsonValue& Value, const std::string& Path,
                            const std::vector<TMeasure>& Measures) {
  static const char* const tests[] = {"below", "at_most", "at_least", "above"};
  const std::string expected = "expected an object with \"measure\" and one of \"below\", "
                               "\"at_most\", \"at_least\", \"above\"";
  if (!Value.isObject())
    TVariableReader::Fail(Path, expected);
  const QJsonObject o = Value.toObject();
  TExperiment::TStop stop;
  int found = 0;
  for (auto it = o.begin(); it != o.end(); ++it) {
    const std::string key = it.key().toStdString();
    if (key == "measure")
      continue;
    const auto test = std::find(std::begin(tests), std::end(tests), key);
    if (test == std::end(tests))
      TVariableReader::Fail(Path + "." + key, "unknown key");
    stop.Test = static_cast<TExperiment::TStop::TTest>(test - std::begin(tests));
    stop.Bound = TVariableReader::NumberAt(it.value(), Path + "." + key);
    ++found;
  }
  if (found != 1)
    TVariableReader::Fail(Path, expected);
  const std::string name = o.value("measure").toString().toStdString();
  const auto m = std::find_if(Measures.begin(), Measures.end(),
                              [&](const TMeasure& M) { return M.Name() == name; });
  if (m == Measures.end())
    TVariableReader::Fail(Path + ".measure",
                          "\"" + name + "\" is none of the experiment's measures");
  stop.Measure = static_cast<size_t>(m - Measures.begin());
  return stop;
}

} // namespace

TExperiment::TRange TExperiment::RangeOf(const std::string& Setting, const std::string& Path) {
  // How a run goes rather than what its world holds: the batch runner's --futures, and the karts
  // of the circle that stay in it.
  if (Setting == "fixed_futures")
    return {1, 100000, true};
  if (Setting == "karts")
    return {1, 18, true};
  // What the window's controls and the batch runner's options offer.
  const TSettingAlias* alias = nullptr;
  const TSettingRow* row = TSettingsTable::FindAlias(TSettingReader::Experiment, Setting, &alias);
  if (row != nullptr &&
      (row->Holder != TSettingHolder::Goal ||
       TExperimentWorld::NewGoal(Setting.substr(alias->Name.size()), nullptr, 0) != nullptr)) {
    const TSettingRange range = row->Offered(*alias);
    return {range.Min, range.Max, row->Whole || row->Flag};
  }
  std::string known, goals;
  for (const TSettingRow& r : TSettingsTable::Rows())
    for (const TSettingAlias& a : r.Aliases)
      if (a.Reader == TSettingReader::Experiment) {
        std::string& list = r.Holder == TSettingHolder::Goal ? goals : known;
        list += (list.empty()                       ? ""
                 : r.Holder == TSettingHolder::Goal ? " or "
                                                    : ", ") +
                a.Name + (r.Holder == TSettingHolder::Goal ? "KIND" : "");
      }
  std::string kinds;
  for (const std::string& k : TExperimentWorld::GoalKinds())
    kinds += (kinds.empty() ? "" : ", ") + k;
  TVariableReader::Fail(Path, "unknown setting \"" + Setting + "\" (known: " + known +
                                  ", fixed_futures, karts, and " + goals + " with KIND one of " +
                                  kinds + ")");
}

TExperiment TExperiment::Load(const std::string& FileName) {
  // Read as a scene is: a FIFO would wait for a writer for ever, a device never end.
  std::error_code ec;
  const auto status = std::filesystem::status(FileName, ec);
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    throw EExperimentInput("Cannot read the experiment file \"" + FileName +
                           "\": it is not a regular file (a FIFO, a device or a socket).");
  QFile file(QString::fromStdString(FileName));
  if (!file.open(QIODevice::ReadOnly))
    throw EExperimentInput("Cannot read the experiment file \"" + FileName +
                           "\": " + file.errorString().toStdString() + ".");
  const QByteArray bytes = file.read(MaxFileBytes + 1);
  if (bytes.size() > MaxFileBytes)
    throw EExperimentInput("Cannot read the experiment file \"" + FileName +
                           "\": it is larger than " + std::to_string(MaxFileBytes) + " bytes.");
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError)
    throw EExperimentInput("The experiment file \"" + FileName +
                           "\" is not JSON: " + error.errorString().toStdString() + " at byte " +
                           std::to_string(error.offset) + ".");
  if (!doc.isObject())
    throw EExperimentInput("The experiment file \"" + FileName + "\": $: expected an object.");
  QJsonObject json = doc.object();
  // A scene file named relative to the experiment file goes with it wherever both are copied:
  // from here on it is named by its whole path, in the results' experiment.json too.
  const auto& builtIn = TExperimentWorld::BuiltInScenes();
  const auto placed = [&](const QJsonValue& Scene) -> QJsonValue {
    const QString scene = Scene.toString();
    if (!scene.isEmpty() && QFileInfo(scene).isRelative() &&
        std::find(builtIn.begin(), builtIn.end(), scene.toStdString()) == builtIn.end())
      return QFileInfo(file).absoluteDir().filePath(scene);
    return Scene;
  };
  if (json.contains("scene"))
    json["scene"] = placed(json.value("scene"));
  QJsonArray variables = json.value("variables").toArray();
  for (qsizetype i = 0; i < variables.size(); ++i) {
    QJsonObject v = variables[i].toObject();
    if ((v.value("setting") != "scene" && v.value("setting") != "circuit") ||
        !v.value("values").isArray())
      continue;
    QJsonArray scenes = v.value("values").toArray();
    for (qsizetype j = 0; j < scenes.size(); ++j)
      scenes[j] = placed(scenes[j]);
    v["values"] = scenes;
    variables[i] = v;
    json["variables"] = variables;
  }
  try {
    return FromJson(json);
  } catch (const EExperimentInput& e) {
    throw EExperimentInput("The experiment file \"" + FileName + "\": " + e.what());
  }
}

TExperiment TExperiment::FromJson(const QJsonObject& Json) {
  TExperiment x;
  x.FJson = Json;
  for (auto it = Json.begin(); it != Json.end(); ++it) {
    static const char* keys[] = {"format",   "version",   "description", "scene", "steps",
                                 "futures",  "budget_ms", "repetitions", "seed",  "variables",
                                 "measures", "stop",      "every"};
    bool found = false;
    for (const char* k : keys)
      found = found || it.key() == k;
    if (!found)
      TVariableReader::Fail("$." + it.key().toStdString(), "unknown key");
  }
  if (Json.value("format").toString() != "kartsim-experiment")
    TVariableReader::Fail("$.format", "expected \"kartsim-experiment\"");
  if (!Json.value("version").isDouble() || Json.value("version").toDouble() != 1)
    TVariableReader::Fail("$.version", "expected 1 (the only version this program reads)");
  if (Json.contains("variables") && !Json.value("variables").isArray())
    TVariableReader::Fail("$.variables", "expected a list of variables");
  const QJsonArray vars = Json.value("variables").toArray();
  // The scenes first: the other variables are checked against every one of them.
  std::vector<std::unique_ptr<TExperimentWorld>> worlds;
  qsizetype sceneVariable = -1;
  for (qsizetype i = 0; i < vars.size(); ++i)
    if (vars[i].toObject().value("setting") == "scene") {
      const std::string path = "$.variables[" + std::to_string(i) + "]";
      if (sceneVariable >= 0)
        TVariableReader::Fail(path + ".setting", "\"scene\" is already a variable at $.variables[" +
                                                     std::to_string(sceneVariable) + "]");
      if (Json.contains("scene"))
        TVariableReader::Fail(path,
                              "the scenes are given both here and in $.scene; give them once");
      sceneVariable = i;
      x.FVariables.push_back(TVariableReader::Scenes(vars[i].toObject(), path, worlds));
      x.FScene = x.FVariables.back().Names[0];
    }
  if (sceneVariable < 0) {
    if (!Json.value("scene").isString())
      TVariableReader::Fail("$.scene",
                            "expected a built-in scene's name or a scene file (or a variable "
                            "\"scene\" listing several)");
    x.FScene = Json.value("scene").toString().toStdString();
    try {
      worlds.push_back(TExperimentWorld::Open(x.FScene, 0));
    } catch (const EError& e) {
      TVariableReader::Fail("$.scene", e.what());
    }
  }
  const std::vector<std::string> scenes =
      sceneVariable >= 0 ? x.FVariables[0].Names : std::vector<std::string>{x.FScene};
  x.FSteps = static_cast<int32_t>(WholeAt(Json.value("steps"), "$.steps", 1, 1000000));
  if (Json.contains("futures") == Json.contains("budget_ms"))
    TVariableReader::Fail(
        "$", "give either \"futures\" (a fixed number per step, runs repeat exactly) or "
             "\"budget_ms\" (real time per step)");
  if (Json.contains("futures"))
    x.FFutures = static_cast<int32_t>(WholeAt(Json.value("futures"), "$.futures", 1, 100000));
  else
    x.FBudgetMs = static_cast<int32_t>(WholeAt(Json.value("budget_ms"), "$.budget_ms", 1, 2000));
  x.FRepetitions =
      static_cast<int32_t>(WholeAt(Json.value("repetitions"), "$.repetitions", 1, MaxRuns));
  x.FSeed = static_cast<uint64_t>(
      WholeAt(Json.value("seed"), "$.seed", 0, std::numeric_limits<int64_t>::max()));
  double runs = x.FRepetitions *
                static_cast<double>(x.FVariables.empty() ? 1 : x.FVariables[0].Values.size());
  std::vector<TVariable> read;
  for (qsizetype i = 0; i < vars.size(); ++i) {
    if (i == sceneVariable)
      continue;
    const std::string path = "$.variables[" + std::to_string(i) + "]";
    if (vars[i].toObject().value("setting") == "circuit")
      read.push_back(TVariableReader::Circuits(vars[i].toObject(), path));
    else
      read.push_back(TVariableReader::Setting(vars[i], path, scenes, worlds));
    for (size_t j = 0; j + 1 < read.size(); ++j)
      if (read[j].Setting == read.back().Setting)
        TVariableReader::Fail(path + ".setting",
                              "\"" + read.back().Setting + "\" is already a variable");
    runs *= static_cast<double>(read.back().Values.size());
    if (runs > static_cast<double>(MaxRuns))
      TVariableReader::Fail(path, "the experiment would make more than " + std::to_string(MaxRuns) +
                                      " runs");
  }
  // The scene, when it varies, is the first variable (the slowest), whatever its place in the
  // list: the runs of one world come together.
  for (TVariable& v : read)
    x.FVariables.push_back(std::move(v));
  if (x.RunCount() > MaxRuns)
    TVariableReader::Fail("$.repetitions", "the experiment would make more than " +
                                               std::to_string(MaxRuns) + " runs");
  std::vector<const TWorld*> measured;
  for (const auto& w : worlds)
    measured.push_back(&w->World());
  if (!Json.contains("measures")) {
    for (const std::string& name : TMeasure::BuiltInNames())
      x.FMeasures.push_back(TMeasure::BuiltIn(name));
  } else {
    const QJsonArray measures = Json.value("measures").toArray();
    if (!Json.value("measures").isArray() || measures.isEmpty())
      TVariableReader::Fail("$.measures", "expected a list of measures");
    for (qsizetype i = 0; i < measures.size(); ++i) {
      const std::string path = "$.measures[" + std::to_string(i) + "]";
      x.FMeasures.push_back(TMeasure::FromJson(measures[i], path, measured));
      const std::string& name = x.FMeasures.back().Name();
      for (size_t j = 0; j + 1 < x.FMeasures.size(); ++j)
        if (x.FMeasures[j].Name() == name)
          TVariableReader::Fail(path, "\"" + name + "\" is already a measure at $.measures[" +
                                          std::to_string(j) + "]");
      // Every column of runs.csv has a name of its own.
      for (const TVariable& v : x.FVariables)
        if (v.Setting == name)
          TVariableReader::Fail(path + ".name", "\"" + name + "\" is the name of a variable");
      for (const char* column : {"run", "combination", "repetition", "seed", "stop_step"})
        if (name == column)
          TVariableReader::Fail(path + ".name",
                                "\"" + name + "\" is the name of a column of runs.csv");
    }
  }
  if (Json.contains("stop")) {
    if (!Json.value("stop").isArray())
      TVariableReader::Fail("$.stop", "expected a list of conditions");
    const QJsonArray stops = Json.value("stop").toArray();
    for (qsizetype i = 0; i < stops.size(); ++i)
      x.FStops.push_back(ReadStop(stops[i], "$.stop[" + std::to_string(i) + "]", x.FMeasures));
  }
  if (Json.contains("every"))
    x.FEvery = static_cast<int32_t>(WholeAt(Json.value("every"), "$.every", 1, x.FSteps));
  return x;
}

bool TExperiment::TStop::Holds(double X) const {
  switch (Test) {
  case Below:
    return X < Bound;
  case AtMost:
    return X <= Bound;
  case AtLeast:
    return X >= Bound;
  case Above:
    return X > Bound;
  }
  return false;
}

std::vector<std::string> TExperiment::Scenes() const {
  if (!FVariables.empty() && FVariables[0].Setting == "scene")
    return FVariables[0].Names;
  return {FScene};
}

std::string TExperiment::SceneOf(int64_t Combination) const {
  if (FVariables.empty() || FVariables[0].Setting != "scene")
    return FScene;
  return FVariables[0].Names[static_cast<size_t>(ValuesOf(Combination)[0])];
}

std::vector<std::string> TExperiment::Circuits() const {
  for (const TVariable& v : FVariables)
    if (v.Setting == "circuit")
      return v.Names;
  return {};
}

std::string TExperiment::CircuitOf(int64_t Combination) const {
  const std::vector<double> values = ValuesOf(Combination);
  for (size_t i = 0; i < FVariables.size(); ++i)
    if (FVariables[i].Setting == "circuit")
      return FVariables[i].Names[static_cast<size_t>(values[i])];
  return "";
}

std::string TExperiment::ValueText(size_t Variable, double Value) const {
  const TVariable& v = FVariables[Variable];
  if (!v.Names.empty())
    return v.Names[static_cast<size_t>(Value)];
  return TVariableReader::Num(Value);
}

int64_t TExperiment::CombinationCount() const {
  int64_t n = 1;
  for (const TVariable& v : FVariables)
    n *= static_cast<int64_t>(v.Values.size());
  return n;
}

std::vector<double> TExperiment::ValuesOf(int64_t Combination) const {
  std::vector<double> values(FVariables.size());
  for (size_t i = FVariables.size(); i-- > 0;) {
    const int64_t n = static_cast<int64_t>(FVariables[i].Values.size());
    values[i] = FVariables[i].Values[static_cast<size_t>(Combination % n)];
    Combination /= n;
  }
  return values;
}

uint64_t TExperiment::RunSeed(int64_t Run) const {
  return Mix(Mix(FSeed) ^ static_cast<uint64_t>(Run));
}
