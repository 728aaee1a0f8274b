#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/experiment/UExperiment.h"

// The statistics of an experiment's runs, per combination of the variables and per measure:
// n, mean, standard deviation and the 95 % confidence interval of the mean (Student's t).
// Made from the rows of runs.csv as written, so that a merged experiment and a one-machine run
// of it give the same numbers.
class TSummary {
public:
  struct TStats {
    int64_t N = 0;
    double Mean = 0, Sd = 0, Low = 0, High = 0; // NaN where n is too small
  };
  struct TCombination {
    int64_t Index = 0;
    std::vector<std::string> Values; // the variables' values as runs.csv writes them
    std::vector<TStats> Measures;    // in the runs' measures' order
    // Per measure, the value of each run that has one, in the order of the runs' numbers.
    std::vector<std::vector<double>> Runs;
  };

  // Measures whose cell is empty in a row (none in that run) do not count for it.
  static TStats Of(const std::vector<double>& Values);
  // The 0.975 quantile of Student's t distribution with Df degrees of freedom.
  static double T975(int64_t Df);

  TSummary(const TExperiment& Experiment, const std::map<int64_t, std::string>& Runs);

  const std::vector<TCombination>& Combinations() const { return FCombinations; }
  const std::vector<std::string>& Variables() const { return FVariables; }
  const std::vector<std::string>& Measures() const { return FMeasures; }
  const TExperiment& Experiment() const { return FExperiment; }
  // summary.csv: one line per combination and measure.
  std::string Csv() const;
  // The same for a terminal, in columns.
  std::string Text() const;

private:
  TExperiment FExperiment;
  std::vector<std::string> FVariables;
  std::vector<std::string> FMeasures;
  std::vector<TCombination> FCombinations;
};
