#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/URandom.h"

class TCanvas;
class TPicture;
class TTeam;
class TTrack2D;

// Everything a world is, owned in one place: the circuit picture (made by the caller's picture
// adapter, kept once, never drawn on), the image track made from it, its teams with their members
// and goals, and the random stream its steps draw from. The window, the batch runner and the
// experiments each hold one and drive it only through it; opening a scene replaces it whole.
//
// Every draw made for the world (its steps, new players' colours, a storage box's place, the
// drops) comes from its own stream, put in place on the calling thread while it works, so that
// worlds driven on different threads at once never share a stream and a run depends only on
// its own seed.
//
// The world knows nothing of whoever shows it: it is stepped, changed between steps, and painted
// onto a canvas the caller gives (Paint) after a step or a change.
class TWorld {
public:
  // Takes the picture as the circuit. CircuitName names a built-in circuit ("default"), or is
  // empty for one that a scene must carry itself. The world starts with one empty team and the
  // settings of TWorldDefaults.
  TWorld(std::unique_ptr<TPicture> Circuit, std::string CircuitName, uint64_t Seed = 0);
  ~TWorld();
  TWorld(const TWorld&) = delete;
  TWorld& operator=(const TWorld&) = delete;

  TTrack2D& Track() const { return *FTrack; }
  // The circuit as it was loaded: the road the players drive on, and what every picture of the
  // world is painted over.
  const TPicture& Circuit() const { return *FCircuit; }
  const std::string& CircuitName() const { return FCircuitName; }
  // Takes another circuit: the road is rebuilt; players and goals stay.
  void LoadCircuit(const TPicture& Circuit, std::string CircuitName);

  // ---- teams (owned) ----
  int32_t TeamCount() const { return static_cast<int32_t>(FTeams.size()); }
  TTeam& Teams(int32_t Index) const;
  // A new empty team, which becomes the current one.
  TTeam& AddTeam();
  TTeam& CurrentTeam() const;
  int32_t CurrentTeamIndex() const;
  void SetCurrentTeam(int32_t Index);

  // ---- randomness ----
  TRandom& RandomStream() { return FRandom; }
  // A new stream from the seed: the stream a saved run kept is no longer the world's.
  void Reseed(uint64_t Seed) {
    FRandom.Reseed(Seed);
    FStreamKept = false;
  }
  // The stream and the count of steps of a run saved before, so that the world goes on as that
  // run would have. Raises EError for a stream state no stream reaches.
  void Resume(const TRandom::TState& Stream, int64_t Steps);
  // The stream is still the one a saved run kept (Resume, and no Reseed since).
  bool StreamKept() const { return FStreamKept; }
  // Puts the world's stream in place on this thread for as long as the answer lives.
  [[nodiscard]] TRandom::TUse UseRandom() { return TRandom::TUse(FRandom); }

  // ---- running ----
  // One step of the world, drawing from its own stream. Answers false when Abandon was set
  // before its futures were done: the world is then exactly as before the step, its stream
  // included, and the next step does what this one would have.
  bool Step(int32_t BudgetMs, const std::atomic<bool>* Abandon = nullptr);
  // Steps done since the world was made, those of a resumed run included. A step that raised
  // counts: it changed the world.
  int64_t StepCount() const { return FSteps; }
  // The pointer the mouse goals follow or avoid, in picture pixels, read between steps.
  void SetMouse(int32_t X, int32_t Y);
  // Draws the world onto the canvas, which holds the clean circuit: after a step, everything the
  // step left to be seen; after a change, the players as they now stand (TWorldPainter).
  void Paint(TCanvas& Canvas, bool AfterStep);

private:
  TRandom FRandom;
  bool FStreamKept = false;
  int64_t FSteps = 0;
  std::unique_ptr<TPicture> FCircuit;
  std::string FCircuitName;
  // Declared after the track: the teams free their players first, while the world still knows
  // them.
  std::unique_ptr<TTrack2D> FTrack;
  std::vector<std::unique_ptr<TTeam>> FTeams;
};
