#pragma once

#include <QJsonObject>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/experiment/UMeasure.h"

// A fault of the experiment file or of the command line: the program stops before any run, with
// exit status 2.
class EExperimentInput : public std::runtime_error {
public:
  explicit EExperimentInput(const std::string& Message) : std::runtime_error(Message) {}
};

// An experiment as its file describes it: the scene to start from, how each run goes, and the
// variables whose Cartesian product, each combination repeated, makes the runs. Everything is
// checked on reading, so that a fault is found before the first run and not hours into a sweep.
class TExperiment {
public:
  struct TVariable {
    std::string Setting;        // as the file names it, e.g. "ai_level", "team_goal.speed"
    std::vector<double> Values; // in the file's order
    // Of the "scene" and "circuit" variables: the scenes or circuit files, whose numbers from 0
    // are its Values.
    std::vector<std::string> Names;
  };
  // A run ends after the first step at which a measure passes its bound.
  struct TStop {
    size_t Measure = 0; // in Measures
    enum TTest : uint8_t { Below, AtMost, AtLeast, Above } Test = Below;
    double Bound = 0;
    bool Holds(double X) const;
  };

  static constexpr int64_t MaxRuns = 100000;
  static constexpr int64_t MaxFileBytes = 1 << 20; // an experiment file is a page of settings

  // Reads and checks a file; EExperimentInput names the file and the JSON path of the fault.
  static TExperiment Load(const std::string& FileName);
  // Checks a parsed document; the same messages without the file's name.
  static TExperiment FromJson(const QJsonObject& Json);

  const QJsonObject& Json() const { return FJson; }
  // The scene of the file, or of the "scene" variable's first value.
  const std::string& Scene() const { return FScene; }
  // Every scene the runs start from, each once.
  std::vector<std::string> Scenes() const;
  std::string SceneOf(int64_t Combination) const;
  // The circuit files of the "circuit" variable, each once; none without one.
  std::vector<std::string> Circuits() const;
  // A combination's circuit file; empty for the scene's own circuit.
  std::string CircuitOf(int64_t Combination) const;
  const std::vector<TMeasure>& Measures() const { return FMeasures; }
  const std::vector<TStop>& Stops() const { return FStops; }
  int32_t Every() const { return FEvery; } // steps between rows of steps.csv; 0: none
  int32_t Steps() const { return FSteps; }
  int32_t Futures() const { return FFutures; }   // 0: the budget decides
  int32_t BudgetMs() const { return FBudgetMs; } // milliseconds of real time per step
  int32_t Repetitions() const { return FRepetitions; }
  uint64_t Seed() const { return FSeed; }
  const std::vector<TVariable>& Variables() const { return FVariables; }

  int64_t CombinationCount() const;
  int64_t RunCount() const { return CombinationCount() * FRepetitions; }
  // Runs are numbered from 0, combination after combination, the repetitions of one together.
  int64_t CombinationOf(int64_t Run) const { return Run / FRepetitions; }
  // The variables' values of a combination; the first variable changes slowest.
  std::vector<double> ValuesOf(int64_t Combination) const;
  // A value as the tables write it: a scene's name, or the number.
  std::string ValueText(size_t Variable, double Value) const;
  // A run's seed depends on the experiment's seed and the run's number only, so that it is the
  // same whichever process, thread or machine runs it, and in whatever order.
  uint64_t RunSeed(int64_t Run) const;

  // The lowest and highest value a setting takes and whether it is a whole number; raises
  // EExperimentInput (with Path) for a setting nobody knows.
  struct TRange {
    double Min, Max;
    bool Integer;
  };
  static TRange RangeOf(const std::string& Setting, const std::string& Path);

private:
  QJsonObject FJson;
  std::string FScene;
  int32_t FSteps = 0;
  int32_t FFutures = 0;
  int32_t FBudgetMs = 100;
  int32_t FRepetitions = 1;
  uint64_t FSeed = 0;
  std::vector<TVariable> FVariables;
  std::vector<TMeasure> FMeasures;
  std::vector<TStop> FStops;
  int32_t FEvery = 0;
};
