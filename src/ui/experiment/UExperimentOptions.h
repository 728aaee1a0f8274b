#pragma once

#include <QStringList>
#include <atomic>
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
  // Not on the command line: a caller that only wants the tables draws no plots, and one that
  // can be interrupted sets Interrupt from elsewhere, after which no run starts and those already
  // finished are kept for a resume.
  bool Plots = true;
  const std::atomic<bool>* Interrupt = nullptr;

  static TExperimentOptions Parse(const QStringList& Arguments);
  static std::string HelpText();
  // "kartsim-experiment 0.1.0", a line.
  static std::string VersionText();
  bool Sharded() const { return ShardCount > 1; }
  // "K/N", or empty for the whole experiment.
  std::string ShardText() const;
};
