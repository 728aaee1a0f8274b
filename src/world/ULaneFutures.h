#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "agents/UBodyLanes.h"
#include "agents/UKartMotion.h"
#include "agents/URocketMotion.h"
#include "platform/ULaneStreams.h"
#include "world/ULaneKernels.h"
#include "world/UTrack2D.h"

class TGoal;
class TPlayer2D;
class TRandom;
class TTrack;

// Runs the futures of a block side by side, one lane a future, on a runner's copy of the world:
// sub-step by sub-step, every body's lanes go through the same motion, outline, road contact, a
// kart's bounce off a wall and the random pushes together, held as structure of arrays
// (TBodyLanes), in vectors where the kernels (ULaneKernels.h) allow. What is rare or long takes a
// turn on the body's own state, one lane at a time, through the code written for one future: a
// future's first action, a rocket's wall and landing, collisions between players, the goals at a
// future's end. Each lane draws from that future's own stream, in the order one future would, so
// a future ends the same whether it ran alone or in a lane.
//
// The lanes take the worlds whose futures they know: an image track of karts and rockets as they
// are made, acting on personal goals alone, among which only racing scores during a future (the
// others score at its end, which runs through the code for one future). The others run one
// future at a time.
class TLaneFutures {
public:
  static constexpr int32_t Lanes = TBodyLanes::Lanes;

  TLaneFutures();
  TLaneFutures(const TLaneFutures&) = delete;
  TLaneFutures& operator=(const TLaneFutures&) = delete;

  // Whether World's futures can run in lanes.
  static bool Accepts(const TTrack& World);

  // Every lane's future from the real states of World's players (a copy) to its last sub-step,
  // lane K drawing from Streams[K]. Stores nothing; the players are left in a future. Raises when
  // a lane meets what one future would raise on: the caller runs those futures again one at a
  // time, which finds which one fails and why.
  void Run(TTrack& World, TRandom* Streams, int32_t SubSteps);
  // Ends the future of lane Lane as a future alone ends: the goals of its end, and every player
  // stores it in its list of futures.
  void Store(TTrack& World, int32_t Lane);

private:
  void Begin(TTrack& World);
  // The random pushes of a sub-step (First: the future's first action) and the start values.
  void Prepare(int32_t Body, bool First, TRandom* Streams);
  void Advance(int32_t Body, int64_t Time);
  void ApplyTrack(TTrack& World, int64_t Time);
  // The outline of every lane, its look at the road, and what one future does after it: a clear
  // pose is saved, a touching lane bounces off the wall on the body's own state.
  void Contact(int32_t Body, int64_t Time);
  void EvaluateGoals(int64_t Time);

  TLaneStreams FStreams;           // the lanes' streams after the first sub-step
  std::vector<TBodyLanes> FBodies; // by place in the world's player list
  std::vector<TPlayer2D*> FPlayers;
  // By body, what its motion and its walls take from its parameters' bounds and the world.
  std::vector<TBodyBounds> FBounds;
  std::vector<TKartConstants> FKartConstants;     // of the karts (the time set at each sub-step)
  std::vector<TRocketConstants> FRocketConstants; // of the rockets
  // The outline of each body in body terms (TPlayer2D::OutlineUnit), X and Y apart.
  struct TUnit {
    std::vector<double> X, Y;
  };
  std::vector<TUnit> FUnits;
  TOutlineUnit Unit(int32_t Body) const {
    const TUnit& u = FUnits[Body];
    return {u.X.data(), u.Y.data(), static_cast<int32_t>(u.X.size())};
  }
  // The racing goals at work, in the order of their evaluation: the body's place, the goal.
  struct TRacing {
    int32_t Body;
    const TGoal* Goal;
  };
  std::vector<TRacing> FRacing;
  // Places in the player list, team by team, member by member.
  std::vector<int32_t> FTeamOrder;
  TRoadView FRoad;                         // of the world the lanes run in
  std::vector<TTrack2D::TBox> FBoxes;      // of a lane, for the collision pass
  std::vector<TLanePair> FPairs;           // the pairs whose bounding squares touch in some lane
  std::vector<TTrack2D::TPairHint> FHints; // those of a lane, for the collision pass
  std::vector<int32_t> FEntered;           // the players the collision pass took from a lane
  // What the collision pass calls to take a player from lane FCollisionLane; made once, so that
  // a sub-step allocates nothing.
  std::function<void(int32_t)> FEnter;
  int32_t FCollisionLane = 0;
  int64_t FCollisionTime = 0;
  double FFutureMs = 0;
  int32_t FDeltaMs = 0;
  int64_t FTime = 0; // the futures' clock at their end, milliseconds
};
