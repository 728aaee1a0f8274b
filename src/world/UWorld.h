#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/URandom.h"

class TMessagePump;
class TPicture;
class TPointer;
class TTeam;
class TTrack2D;

// Everything a world is, owned in one place: the circuit picture it draws on (made by the
// caller's picture adapter), the image track made from it, its teams with their members and
// goals, and the random stream its real moves draw from. The window and the batch runner each
// hold one; opening a scene replaces it whole, and the platform seams (message pump, pointer)
// are handed to it in one call.
//
// Every draw made for the world (its steps, new players' colours, a storage box's place, the
// drops) comes from its own stream, put in place on the calling thread while it works, so that
// worlds driven on different threads at once never share a stream and a run depends only on
// its own seed.
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
  // The picture the world draws on, and the circuit as it was loaded, never drawn on.
  TPicture& Picture() const { return *FPicture; }
  const TPicture& Circuit() const { return *FCircuit; }
  const std::string& CircuitName() const { return FCircuitName; }
  // Takes another circuit: the picture's content is replaced (whoever shows it keeps showing
  // it) and the road rebuilt; players and goals stay.
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
  void Reseed(uint64_t Seed) { FRandom.Reseed(Seed); }
  // Puts the world's stream in place on this thread for as long as the answer lives.
  [[nodiscard]] TRandom::TUse UseRandom() { return TRandom::TUse(FRandom); }

  // ---- running ----
  // One step of the world, drawing from its own stream.
  void Step(int32_t BudgetMs);
  // The window's seams, none by default (not owned): message processing inside a step, and
  // the mouse pointer the mouse goals read.
  void Connect(TMessagePump* Pump, TPointer* Pointer);

private:
  TRandom FRandom;
  std::unique_ptr<TPicture> FPicture;
  std::unique_ptr<TPicture> FCircuit;
  std::string FCircuitName;
  // Declared after the track: the teams free their players first, while the world still knows
  // them.
  std::unique_ptr<TTrack2D> FTrack;
  std::vector<std::unique_ptr<TTeam>> FTeams;
};
