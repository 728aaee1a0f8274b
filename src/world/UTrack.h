#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/URandom.h"

class TClock;
class TFutureQueue;
class TFutureWorkers;
class TMessagePump;
class TPlayer;
class TTeam;
class TWorldCopy;

// The world: its teams, a flat list of all their players, the timing of the decision, and the
// simulation step (as many futures as fit a real-time budget, then the real move). The geometry
// comes from a descendant, which applies the ground to the players and wipes the drawing.
class TTrack {
public:
  TTeam* FTeam = nullptr;    // the current team: the last one added
  int32_t FFutureMs = 5000;  // length of one simulated future, milliseconds
  int32_t FDeltaMs = 100;    // length of one sub-step, milliseconds
  int32_t FMinFutures = 100; // a step runs at least one future more than this
  bool FCollisions = false;  // player-to-player collisions are detected
  // When above 0, every step runs exactly this many futures and ignores the clock, so that runs
  // repeat exactly and can be measured; 0 lets the budget decide.
  int32_t FFixedFutures = 0;

  // Threads that run the futures of a step; 1 runs them all on the calling thread. Setting 0 (or
  // less) takes every hardware thread of the machine, which is also the default.
  int32_t Threads() const { return FThreads; }
  void SetThreads(int32_t N);
  static int32_t HardwareThreads();

  TTrack();
  virtual ~TTrack();
  TTrack(const TTrack&) = delete;
  TTrack& operator=(const TTrack&) = delete;

  // Applies the world to all players: collisions, then road contact. Once per sub-step of every
  // future and once after the real move.
  virtual void ApplyTrack() = 0;
  // Restores the displayed picture to the clean circuit.
  virtual void ClearDrawing() = 0;

  TTeam* Teams(int32_t Index) const;
  int32_t TeamCount() const { return static_cast<int32_t>(FTeams.size()); }
  // Appends a team (not owned) and makes it current; the player list is not rebuilt.
  void AddTeam(TTeam* Team);
  TPlayer* Players(int32_t Index) const;
  int32_t PlayerCount() const { return static_cast<int32_t>(FPlayers.size()); }
  // The players in order, for the passes that walk all of them at every sub-step.
  const std::vector<TPlayer*>& PlayerList() const { return FPlayers; }
  void RebuildPlayers();

  bool Evolution() const { return FEvolution; }
  // Switching evolution on recolours every player from its goals and shows its goals.
  void SetEvolution(bool On);
  // Sub-step length, seconds.
  // Asked several times per sub-step; the division is redone only when FDeltaMs has changed.
  double DeltaT() const {
    if (FDeltaMs != FDeltaTMs) {
      FDeltaTMs = FDeltaMs;
      FDeltaT = FDeltaMs / 1000.0;
    }
    return FDeltaT;
  }
  // Sub-steps per future: FFutureMs / FDeltaMs rounded, at least 2.
  int32_t SubStepCount() const;

  // One simulation step with a real-time budget in milliseconds.
  void Step(int32_t BudgetMs);
  void Redraw(bool Clear);

  // The clock that limits a step (the machine's monotonic clock unless replaced; not owned).
  void SetClock(TClock* Clock);
  // The window's message processing (none unless set; not owned).
  void SetMessagePump(TMessagePump* Pump) { FMessagePump = Pump; }
  void ProcessMessages();

  // ---- futures on worker threads ----
  // A new, empty world of the same kind, for a worker's copy of this one; null when this world's
  // futures can only run on the calling thread (then every future does).
  virtual std::unique_ptr<TTrack> NewWorkerWorld() const { return nullptr; }
  // Makes this world, a worker's copy, take what the futures read of the real world: the future
  // length, the sub-step, collisions, evolution and, in descendants, the ground. Teams are the
  // copy's business. On the calling thread, between the futures.
  virtual void TakeSettings(const TTrack& Real);
  // Brings what a worker's copy drew during the futures onto this world's picture.
  virtual void TakeDrawing(TTrack& /*Copy*/) {}
  // Runs futures of all teams of this world, one after the other, as the queue hands them out,
  // each drawing from Stream as the queue has reseeded it; Ran, when given, receives their
  // numbers in order. The step runs it on the real world when the futures stay on the calling
  // thread, and every worker on its copy otherwise.
  void RunQueuedFutures(TFutureQueue& Queue, TRandom& Stream, int32_t SubSteps,
                        std::vector<int32_t>* Ran);
  // Leaves every future without scoring or storing it: the way out when a step fails half done.
  void AbandonFutures();

  // Measurements of the last step, for the batch runner and the benchmarks.
  int32_t LastFutureCount() const { return FLastFutureCount; }
  int64_t LastFuturesNs() const { return FLastFuturesNs; }

private:
  void RunFutures(int32_t BudgetMs, int32_t Count);
  // One joint future of all teams: every member from its real state, sub-step by sub-step.
  void RunFuture(int32_t SubSteps);
  // The workers and their copies for the thread count; false when the futures stay here.
  bool PrepareWorkers();
  void RunFuturesOnWorkers(TFutureQueue& Queue, int32_t SubSteps);
  // The futures the copies' players stored go to the real players, in the order of their numbers.
  void HandBackFutures(int32_t Futures);
  void RealMove();

  bool FEvolution = false;
  int32_t FThreads = HardwareThreads();
  mutable int32_t FDeltaTMs = 0; // the FDeltaMs that FDeltaT was computed for
  mutable double FDeltaT = 0;
  std::vector<TTeam*> FTeams;
  std::vector<TPlayer*> FPlayers;
  TClock* FClock;
  TMessagePump* FMessagePump = nullptr;
  int32_t FLastFutureCount = 0;
  int64_t FLastFuturesNs = 0;
  // The stream the futures draw from when they run on the calling thread, reseeded for each.
  TRandom FStream;
  // One copy of the world per runner, and the threads of all runners but the calling one (which
  // runs copy 0). Declared in this order so that the threads end before their copies go.
  std::vector<std::unique_ptr<TWorldCopy>> FCopies;
  std::unique_ptr<TFutureWorkers> FWorkers;
  // For each future of the last step run on the copies: which copy ran it, and where it stands in
  // that copy's lists of futures.
  struct TRanBy {
    int32_t Copy;
    int32_t Index;
  };
  std::vector<TRanBy> FRanBy;
};
