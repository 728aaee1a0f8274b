#pragma once

#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

// The command line of kartsim-experiment. Parse raises EExperimentInput for what it refuses.
class TExperimentOptions {
public:
  std::string File;       // the experiment file (not with --merge)
  std::string Out;        // the results' folder
  int32_t Jobs = 0;       // runs at once; 0: every hardware thread
  int32_t ShardIndex = 0; // runs whose number is ShardIndex modulo ShardCount
  int32_t ShardCount = 1;
  bool EveryStep = false;         // steps.csv as well
  std::vector<std::string> Merge; // shards' folders to join into Out
  bool Help = false;
  bool Version = false;

  static TExperimentOptions Parse(const QStringList& Arguments);
  static std::string HelpText();
  // "kartsim-experiment 0.1.0", a line.
  static std::string VersionText();
  bool Sharded() const { return ShardCount > 1; }
  // "K/N", or empty for the whole experiment.
  std::string ShardText() const;
};
