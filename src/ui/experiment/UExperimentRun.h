#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TExperimentWorld;

// One run of an experiment, start to end, on the calling thread: builds the scene's world, sets
// the run's values, steps it and measures it. Everything it draws at random comes from a stream
// of its own seeded from the run's seed, so that its result depends on its plan alone.
class TExperimentRun {
public:
  struct TPlan {
    std::string Scene; // a built-in scene's name
    // The variables' values of this run, by the settings' names of the experiment file.
    std::vector<std::pair<std::string, double>> Values;
    int32_t Steps = 1;
    int32_t Futures = 0; // per step; 0: the budget decides
    int32_t BudgetMs = 100;
    uint64_t Seed = 0;
    bool EveryStep = false; // also measure after every step
  };
  struct TResult {
    std::vector<double> Measures; // in MeasureNames' order; NaN where there is none
    std::vector<std::vector<double>> StepMeasures; // one per step with EveryStep
  };

  // The measures' names, as the tables' columns call them.
  static const std::vector<std::string>& MeasureNames();
  // Whether a measure takes the machine's time and so differs between two runs of one seed.
  static bool IsTiming(const std::string& Measure);

  static TResult Run(const TPlan& Plan);
  // Sets the plan's values on the world opened for it, each as the settings table says.
  static void Apply(const TPlan& Plan, TExperimentWorld& World);

private:
  explicit TExperimentRun(const TPlan& Plan);
  ~TExperimentRun();
  // Follows the players after a step: distances, births and removals.
  void Track();
  std::vector<double> Measure(bool AtEnd) const;

  const TPlan& FPlan;
  TExperimentWorld* FWorld = nullptr;
  struct TFollowed {
    const void* Player; // identity only: never followed once gone
    double X, Y, Distance;
  };
  std::vector<TFollowed> FFollowed;
  int64_t FBorn = 0, FRemoved = 0;
  std::vector<double> FFutures, FStepMs, FDots; // per step
};
