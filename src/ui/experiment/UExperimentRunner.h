#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>

#include <QJsonObject>

#include "ui/experiment/UExperiment.h"
#include "ui/experiment/UExperimentOptions.h"

// The whole program after its arguments: runs an experiment's runs (those of its shard) into a
// folder, or joins shards' folders; then the summary, the plots and the summary's table.
class TExperimentRunner {
public:
  // Exit status: 0; 2 for bad arguments, files or folders (nothing run, nothing overwritten);
  // 1 when a run or the writing of results fails. Errors go to Err as one line.
  static int Execute(const TExperimentOptions& Options, std::ostream& Out, std::ostream& Err);

private:
  TExperimentRunner(const TExperimentOptions& Options, std::ostream& Out, std::ostream& Err);
  // The lines of the three tables, by run.
  struct TTables {
    std::map<int64_t, std::string> Runs, Steps, Players;
  };

  void Run();
  void Merge();
  // Makes Out ready for this experiment: a new folder, or one it was started in before by the
  // same program from the same scenes (Hashes) with the same options.
  void PrepareFolder(const TExperiment& Experiment, int32_t Every, const QJsonObject& Hashes);
  void WriteExperimentJson(const TExperiment& Experiment, const std::string& Shard, int32_t Every,
                           const QJsonObject& Hashes);
  // The sorted tables once every run of the folder is there; then, but for a shard, summary.csv,
  // the plots and the printed summary.
  void Finish(const TExperiment& Experiment, const TTables& Tables, bool Steps);
  std::string Path(const std::string& Name) const;
  bool Interrupted() const { return FOptions.Interrupt != nullptr && *FOptions.Interrupt; }

  const TExperimentOptions& FOptions;
  std::ostream& FOut;
  std::ostream& FErr;
};
