#pragma once

#include <cstdint>
#include <map>
#include <string>

class TExperiment;

// Reads the rows of a results folder against the experiment they claim to belong to, before
// anything is run or written from them: a row appended by hand, copied from another experiment
// or cut by a full disk is refused with its file, its run and the fault, not summarised.
class TRowCheck {
public:
  // Only runs whose number is ShardIndex modulo ShardCount belong to the file.
  TRowCheck(const TExperiment& Experiment, int32_t ShardIndex, int32_t ShardCount);

  // runs.csv: the run within the plan, its combination, repetition, values and seed those of
  // its number, its stop step one of the steps, every measure a number of the measure's kind.
  void Runs(const std::string& FileName, const std::map<int64_t, std::string>& Rows) const;
  // steps.csv: the same labels, a step of the run and a measure of the experiment.
  void Steps(const std::string& FileName, const std::map<int64_t, std::string>& Rows) const;
  // players.csv: runs of the folder, and numbers where numbers go.
  void Players(const std::string& FileName, const std::map<int64_t, std::string>& Rows) const;

private:
  // Checks a line's run and labels (combination and values, starting at field 1) and its
  // number of fields; answers its fields.
  void CheckLabels(const std::string& FileName, int64_t Run, const std::string& Line, size_t Fields,
                   std::string& Labels) const;

  const TExperiment& FExperiment;
  int32_t FShardIndex, FShardCount;
};
