#pragma once

#include <QJsonObject>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/URandom.h"
#include "world/UWorldCommand.h"

class TWorld;

// What reproduces a run: the scene it started from and its random stream, then,
// for every step, the commands applied before it, in order, the number of futures it ran and a
// short hash of the world after it (none for a step that raised). Commands applied after the last
// step come last. Kept as the run goes; written out by TReplayFile.
class TReplay {
public:
  struct TStep {
    std::vector<TWorldCommand> Commands; // applied before the step
    int32_t Futures = 0;
    std::optional<std::string> Hash; // none: the step raised
  };

  // The world as it started, and its stream then: the scene keeps the stream only of a world
  // that has run, and the world a replay ends in saves as the recorded one did.
  QJsonObject Scene;
  TRandom::TState Stream{};
  std::vector<TStep> Steps;
  std::vector<TWorldCommand> After; // applied since the last step

  // Begins anew from the world as it stands.
  void Start(const TWorld& World);
  bool Started() const { return !Scene.isEmpty(); }
  // A command applied to the world before its next step.
  void Record(TWorldCommand Command);
  // The world's step has ended: with the futures it ran, and the hash of the world it left.
  void StepDone(TWorld& World);
  // The step raised: the futures it needs to raise again (all below the one that failed, and that
  // one), and no hash.
  void StepFailed(const TWorld& World);
};
