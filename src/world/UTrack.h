#pragma once

#include <cstdint>
#include <vector>

class TClock;
class TMessagePump;
class TPlayer;
class TTeam;

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

  // Measurements of the last step, for the batch runner and the benchmarks.
  int32_t LastFutureCount() const { return FLastFutureCount; }
  int64_t LastFuturesNs() const { return FLastFuturesNs; }

private:
  void RunFutures(int32_t BudgetMs, int32_t Count);
  void RealMove();
  void AbandonFutures();

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
};
