#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/experiment/UExperiment.h"
#include "world/UPlayerLog.h"

class TExperimentWorld;

// One run of an experiment, start to end, on the calling thread: builds the scene's world, sets
// the run's values, steps it and measures it. Everything it draws at random comes from a stream
// of its own seeded from the run's seed, so that its result depends on its plan alone.
class TExperimentRun {
public:
  struct TPlan {
    std::string Scene; // a built-in scene's name or a scene file
    // The variables' values of this run, by the settings' names of the experiment file.
    std::vector<std::pair<std::string, double>> Values;
    int32_t Steps = 1;
    int32_t Futures = 0; // per step; 0: the budget decides
    int32_t BudgetMs = 100;
    uint64_t Seed = 0;
    const std::vector<TMeasure>* Measures = nullptr; // null: the built-in ones
    const std::vector<TExperiment::TStop>* Stops = nullptr;
    int32_t Every = 0;        // measure after every so many steps too; 0: at the end only
    std::string Circuit = ""; // a circuit file in place of the scene's; empty: the scene's
  };
  struct TResult {
    std::vector<double> Measures; // in the plan's measures' order; NaN where there is none
    // After every Every steps: the step and the measures then.
    std::vector<std::pair<int32_t, std::vector<double>>> StepMeasures;
    std::optional<int32_t> StopStep;          // the step a stop condition ended the run after
    std::vector<TPlayerLog::TRecord> Players; // every player that took part, at the end
  };

  static TResult Run(const TPlan& Plan);
  // Sets the plan's values on the world opened for it, each as the settings table says.
  static void Apply(const TPlan& Plan, TExperimentWorld& World);

private:
  explicit TExperimentRun(const TPlan& Plan);
  ~TExperimentRun();
  // Follows the players after a step: distances, births and removals.
  void Track();
  std::vector<double> BuiltIns(bool AtEnd) const;
  std::vector<double> Measure(bool AtEnd) const;

  const TPlan& FPlan;
  TExperimentWorld* FWorld = nullptr;
  std::unique_ptr<TPlayerLog> FLog;
  std::vector<TMeasure> FBuiltIns; // the plan's measures when it names none
  struct TFollowed {
    const void* Player; // identity only: never followed once gone
    double X, Y, Distance;
  };
  std::vector<TFollowed> FFollowed;
  int64_t FBorn = 0, FRemoved = 0;
  std::vector<double> FFutures, FStepMs, FDots; // per step
};
