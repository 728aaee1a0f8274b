#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "world/UWorldDefaults.h"

// The command line of the batch runner: what to simulate, how long, and what to write.
class TBatchOptions {
public:
  std::string Scenario = "rocket"; // rocket, kart, circle or drops
  std::string SceneFile;           // a saved scene to run instead of a scenario
  std::string SaveSceneFile;       // where the world is saved when the run ends; empty: nowhere
  std::string SaveReplayFile;      // where the run is saved as a replay; empty: nowhere
  std::string ReplayFile;          // a replay to run instead of a scene or a scenario
  int32_t Steps = 100;             // 0 runs nothing: with SaveSceneFile, exports the start
  std::optional<uint64_t> Seed;    // none: taken from the clock
  int32_t Futures = 0;             // exactly this many futures per step; 0: the budget decides
  int32_t BudgetMs = 100;          // real-time budget of a step, milliseconds
  int32_t MinFutures = TWorldDefaults::Settings().FMinFutures;
  int32_t Seconds = TWorldDefaults::Settings().FFutureMs / 1000; // length of a future, seconds
  int32_t AILevel = 0; // 1 .. 8 for every player; 0 keeps each player's own
  int32_t Threads = 0; // threads that run the futures, 1 .. 256; 0: every hardware thread
  bool Evolution = false;
  bool Collisions = TWorldDefaults::Settings().FCollisions;
  std::string Circuit;       // a BMP file; empty: the built-in circuit
  std::string FramesStem;    // empty: no frames
  std::string CsvFile;       // empty: no CSV
  std::string DecisionsFile; // empty: no CSV of the decisions
  std::string VideoFile;     // .mp4 or .gif; empty: no video
  bool Json = false;
  bool Help = false;
  bool Version = false;
  // The options given on the command line, by their long name ("seconds"): those override the
  // settings of the scene that is run.
  std::set<std::string> Given;
  bool IsGiven(const std::string& Name) const { return Given.count(Name) > 0; }

  // Parses the arguments (without the program name). Raises EBatchUsage, whose message is the
  // one line to show, naming the argument and what is allowed. The parsing and the help text
  // come from the same list of options.
  static TBatchOptions Parse(const std::vector<std::string>& Args);
  static std::string HelpText();
  // "kartsim-batch 0.1.0", a line.
  static std::string VersionText();
};

// A bad command line; the message names the argument and what it allows.
class EBatchUsage : public std::exception {
public:
  explicit EBatchUsage(std::string Message) : FMessage(std::move(Message)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  std::string FMessage;
};
