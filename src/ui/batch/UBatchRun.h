#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/batch/UBatchOptions.h"
#include "ui/batch/UBatchRecords.h"
#include "ui/qt/UReplay.h"

class TQtPicture;
class TWorld;

// One batch run: opens the scene or the scenario's built-in scene, applies the options given
// over its settings and then the seed, runs its steps, writes the frames and the CSV rows it was
// asked for and the scene it ends with, and keeps what the summary reports.
class TBatchRun {
public:
  using TPlayerRecord = TBatchRecords::TPlayerRecord;

  explicit TBatchRun(TBatchOptions Options);
  ~TBatchRun();
  TBatchRun(const TBatchRun&) = delete;
  TBatchRun& operator=(const TBatchRun&) = delete;

  // Runs every step. Progress, when given, receives a line now and then on long runs. Errors of
  // the simulation and of the files propagate.
  void Run(std::ostream* Progress);

  // The whole program after its arguments: runs, writes the summary to Out and answers the exit
  // status, 0; or writes the error's message to Err as one line and answers 2 for a scene that
  // cannot be opened (before the first step), 1 for any other error.
  static int Execute(const TBatchOptions& Options, std::ostream& Out, std::ostream& Err,
                     std::ostream* Progress);

  std::string JsonSummary() const;
  // What the run is: the scenario's name or the scene file's.
  std::string Name() const;
  std::string TextSummary() const;
  uint64_t Seed() const { return FSeed; }
  TWorld& World() const { return *FWorld; }
  // The AI level every player had when it joined; none when they differ.
  std::optional<int32_t> CommonAILevel() const;
  // Contacts' worth taken from the real energy drops over the run, by every drop goal.
  int64_t DropUnitsConsumed() const;

private:
  // Raises EBatchUsage for a scene that cannot be opened.
  void BuildWorld();
  // The world and the steps of the replay; raises EBatchUsage for a replay that cannot be opened.
  void OpenReplay();
  // Applies the commands to the world, and keeps them in the replay being saved. Last: the
  // commands that end the replay.
  void Apply(const std::vector<TWorldCommand>& Commands, bool Last);
  // Step Step of the run (Number of the world): by the budget, or as the replay recorded it,
  // after its commands and checked against its hash. False for a step that raised as it did
  // where the replay was recorded, and after which the replay goes on.
  bool StepWorld(int32_t Step, int32_t Number);
  void SaveReplay();
  void ApplyOptions();
  void WriteFrame(int32_t Step) const;
  // The picture of the last step: painted only when frames or a video are written.
  TQtPicture& Picture() const;
  void PaintFrame();
  std::string FrameName(int32_t Step) const;
  // Raises the error of writing the frames when their folder does not exist or cannot be written.
  void CheckFramesFolder() const;
  // Raises EBatchUsage, naming both options, when two outputs would write the same file (or both
  // standard output) and one would silently lose what the other wrote.
  void CheckOutputsApart() const;
  // Where a name's file is: links and relative folders resolved, so that two names of one file
  // compare equal.
  static std::filesystem::path Place(const std::string& Name);

  TBatchOptions FOptions;
  uint64_t FSeed = 0;
  int32_t FFirstStep = 0;    // steps the opened world had done: the run's are numbered on from it
  bool FSceneStream = false; // the run draws on the stream its scene kept
  bool FNewStream = false;   // the scene kept a stream, and the seed given replaced it
  bool FReplaying = false;   // the run is a replay's (FReplayIn)
  TReplay FReplayIn;
  TReplay FReplayOut; // kept when the run is to be saved as a replay
  std::unique_ptr<TWorld> FWorld;
  std::unique_ptr<TQtPicture> FFrame; // what the world shows, painted after each step
  TBatchRecords FRecords;
  std::vector<int32_t> FFutures; // futures per step
  std::vector<double> FStepMs;   // wall time per step
  int64_t FFuturesNs = 0;        // time spent in the futures loops
  int64_t FBodySubSteps = 0;     // futures x sub-steps x players, summed over the steps
};
