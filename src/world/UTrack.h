#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/URandom.h"
#include "world/UWorldSettings.h"

class TClock;
class TFuturePools;
class TFutureWorkers;
class TPlayer;
class TTeam;
class TWorldCopy;

// The world: its teams, a flat list of all their players, the timing of the decision, and the
// simulation step (as many futures as fit a real-time budget, then the real move). The geometry
// comes from a descendant, which applies the ground to the players. A step draws nothing: what
// it leaves to be seen (the players, their stored futures, the goals, the drains) is drawn after
// it by the world's painter (TWorldPainter).
class TTrack {
public:
  TTeam* FTeam = nullptr; // the current team: the last one added

  // ---- settings ----
  const TWorldSettings& Settings() const { return FSettings; }
  // Takes every setting at once; raises, changing nothing, when one is out of range (Check).
  // Evolution switched on recolours the players as SetEvolution does.
  void SetSettings(const TWorldSettings& Settings);
  void SetFutureMs(int32_t Ms);
  void SetDeltaMs(int32_t Ms);
  void SetMinFutures(int32_t Count);
  void SetFixedFutures(int32_t Count);
  void SetCollisions(bool On);
  void SetFriction(double Mu);
  void SetSideFriction(double Sigma);

  // Threads that run the futures of a step; 1 runs them all on the calling thread. Setting 0 (or
  // less) takes every hardware thread of the machine, which is also the default. When the
  // machine cannot start that many, the step runs on those it could start, and Threads says how
  // many that is once a step has started them.
  int32_t Threads() const { return FThreads; }
  void SetThreads(int32_t N);
  static int32_t HardwareThreads();

  // Whether the futures run side by side in lanes where the world allows it (TLaneFutures), or
  // always one at a time. On unless switched off; the results are the same either way.
  bool Lanes() const { return FLanes; }
  void SetLanes(bool On) { FLanes = On; }

  TTrack();
  virtual ~TTrack();
  TTrack(const TTrack&) = delete;
  TTrack& operator=(const TTrack&) = delete;

  // Applies the world to all players: collisions, then road contact. Once per sub-step of every
  // future and once after the real move.
  virtual void ApplyTrack() = 0;

  TTeam* Teams(int32_t Index) const;
  int32_t TeamCount() const { return static_cast<int32_t>(FTeams.size()); }
  // Appends a team (not owned) and makes it current; the player list is not rebuilt.
  void AddTeam(TTeam* Team);
  TPlayer* Players(int32_t Index) const;
  int32_t PlayerCount() const { return static_cast<int32_t>(FPlayers.size()); }
  // The players in order, for the passes that walk all of them at every sub-step.
  const std::vector<TPlayer*>& PlayerList() const { return FPlayers; }
  void RebuildPlayers();

  bool Evolution() const { return FSettings.FEvolution; }
  // Switching evolution on recolours every player from its goals and shows its goals.
  void SetEvolution(bool On);
  // Sub-step length, seconds. Asked several times per sub-step, so kept with the settings.
  double DeltaT() const { return FDeltaT; }
  // Sub-steps per future: FFutureMs / FDeltaMs rounded, at least 2.
  int32_t SubStepCount() const;

  // One simulation step with a real-time budget in milliseconds. Answers false when Abandon was
  // set before the futures were done: the step then leaves the players, their stored futures and
  // the goals as it found them (the random stream is its caller's to put back). An error of a
  // future leaves the step half done: the futures numbered below the first that failed are
  // handed back to the players, and that future's error goes on.
  bool Step(int32_t BudgetMs, const std::atomic<bool>* Abandon = nullptr);

  // The clock that limits a step (the machine's monotonic clock unless replaced; not owned).
  void SetClock(TClock* Clock);

  // A rocket's drain of a team mate in the real move, shown as a line after the step.
  struct TDrain {
    int32_t X1, Y1, X2, Y2; // pixels, from the rocket to its victim
    const TTeam* Team;
  };
  void RecordDrain(const TDrain& Drain) { FDrains.push_back(Drain); }
  const std::vector<TDrain>& Drains() const { return FDrains; }

  // ---- futures on copies of the world ----
  // The futures of a step never run on this world: each runner (the calling thread, and one
  // worker thread per further thread) has a copy of it, brought in step at the start of every
  // step, and the futures its players store are handed back to this world's players in the order
  // of their numbers. So a step does the same whatever the number of threads.
  //
  // A new, empty world of the same kind, for a runner's copy of this one.
  virtual std::unique_ptr<TTrack> NewWorkerWorld() const = 0;
  // Makes this world, a copy, take what the futures read of the real world: its settings, whole,
  // and, in descendants, the ground. Teams are the copy's business. On the calling thread.
  virtual void TakeWorld(const TTrack& Real);
  // Makes the player list of this copy follow the real world's: the members at the same places
  // of the same teams, in the real list's order (which need not be the teams' order: a team that
  // had members before it joined the world adds them to the list only when they change).
  void MirrorPlayers(const TTrack& Real);
  // One joint future of all teams: every member from its real state, sub-step by sub-step, then
  // each stores the future's end in its list of futures. On a copy.
  void RunFuture(int32_t SubSteps);
  // Leaves every future without scoring or storing it: the way out when a future fails.
  void AbandonFutures();

  // Measurements of the last step, for the batch runner and the benchmarks.
  int32_t LastFutureCount() const { return FLastFutureCount; }
  // The number of the future whose error ended the last step; -1 when none did. A step run
  // again with one future more than this fails the same way.
  int32_t LastFailedFuture() const { return FLastFailedFuture; }
  int64_t LastFuturesNs() const { return FLastFuturesNs; }
  // How many of the last step's futures ran side by side in lanes.
  int32_t LastLaneFutureCount() const { return FLastLaneFutureCount; }

private:
  // False when abandoned; raises the error of the first future that failed.
  bool RunFutures(int32_t BudgetMs, int32_t Count, const std::atomic<bool>* Abandon);
  // The copies and the worker threads for the thread count.
  void PrepareCopies();
  // The futures the copies' players stored replace the real players' stored futures, in the
  // order of their numbers (below Limit; numbers that no future ran are skipped).
  void HandBackFutures(int32_t Limit);
  void RealMove();

  TWorldSettings FSettings;
  double FDeltaT = FSettings.FDeltaMs / 1000.0; // seconds, follows FSettings
  int32_t FThreads = HardwareThreads();
  bool FLanes = true;
  std::vector<TTeam*> FTeams;
  std::vector<TPlayer*> FPlayers;
  TClock* FClock;
  std::vector<TDrain> FDrains; // of the last real move
  int32_t FLastFutureCount = 0;
  int32_t FLastFailedFuture = -1;
  int32_t FLastLaneFutureCount = 0;
  int64_t FLastFuturesNs = 0;
  // One copy of the world per runner, what their futures consume in turn, and the threads of all
  // runners but the calling one (which runs copy 0). Declared in this order so that the threads
  // end before what they work on goes.
  std::vector<std::unique_ptr<TWorldCopy>> FCopies;
  std::vector<TTrack*> FCopyWorlds;
  std::unique_ptr<TFuturePools> FPools;
  std::unique_ptr<TFutureWorkers> FWorkers;
  // For each future of the last step run on the copies: which copy ran it, and where it stands in
  // that copy's lists of futures.
  struct TRanBy {
    int32_t Copy;
    int32_t Index;
  };
  std::vector<TRanBy> FRanBy;
};
