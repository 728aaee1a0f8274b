#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "platform/URandom.h"
#include "world/ULaneFutures.h"

class TFuturePools;
class TFutureQueue;
class TPlayer;
class TTeam;
class TTrack;

// One runner's copy of the world for the futures of a step: a world of the same kind with the
// same teams, members and goals, in the same order, that one runner alone simulates on. Every
// future of a step runs on such a copy, the calling thread's included, so the real world never
// enters a future. The copy is brought in step with the real world at the start of every step,
// on the calling thread while no runner runs, by value: the world's settings, each player's real
// state and settings, and copies of the goals, each copied whole. The runner then runs blocks of
// futures on it, and the futures its players stored are handed back to the real players in the
// order the futures were numbered.
//
// What the copies share with the real world is read-only during the futures: the road map and
// the pointer reading taken at the start of the step. What the futures of a step consume in
// turn (the drop goal's amounts as the futures see them) reaches a copy only through the pools
// (TFuturePools). A copy has no picture: its players record the traces of their futures, and the
// real world draws them.
class TWorldCopy {
public:
  explicit TWorldCopy(std::unique_ptr<TTrack> World);
  ~TWorldCopy();
  TWorldCopy(const TWorldCopy&) = delete;
  TWorldCopy& operator=(const TWorldCopy&) = delete;

  TTrack& World() const { return *FWorld; }
  void Sync(const TTrack& Real);
  // On the runner's thread: blocks of futures as the queue hands them out, each starting from
  // the pools as its round found them. Copy: this copy's number for the pools. When a future
  // fails, the queue is told, this copy's players leave their future and the runner stops; the
  // error is kept for the caller (Error).
  void RunBlocks(TFutureQueue& Queue, TFuturePools& Pools, int32_t Copy, int32_t SubSteps);
  // The error of the future that failed on this copy in the step, and its number; null and -1
  // when none did.
  std::exception_ptr Error() const { return FError; }
  int32_t FailedFuture() const { return FFailedFuture; }
  // The numbers of the futures this copy ran in the step, in the order its players stored them.
  const std::vector<int32_t>& Ran() const { return FRan; }
  // How many of them ran in lanes.
  int32_t RanInLanes() const { return FRanInLanes; }
  // The stand-in of member Index of team Team.
  TPlayer& Member(int32_t Team, int32_t Index) const;

private:
  // Same teams with members of the same kinds in the same places; false when they must be made
  // anew.
  bool SameShape(const TTrack& Real) const;
  void Rebuild(const TTrack& Real);
  // The futures of a block numbered from First on, one at a time. False when one failed: the
  // queue is told and the error kept.
  bool RunOneByOne(TFutureQueue& Queue, int32_t Block, int32_t First, int32_t SubSteps);
  // The futures of a block side by side, stored in their order; how many were stored (the rest
  // of the block, if any, is to run one at a time), or -1 when one failed, as RunOneByOne says.
  int32_t RunLanes(TFutureQueue& Queue, int32_t Block, int32_t SubSteps);
  void Fail(TFutureQueue& Queue, int32_t Future);

  std::unique_ptr<TTrack> FWorld;
  std::vector<std::unique_ptr<TTeam>> FTeams; // destroyed before the world that refers to them
  // The stream the copy's futures draw from, reseeded for every future. Also in use while the
  // copy is brought in step, so that making stand-ins draws nothing from the program's stream.
  TRandom FStream;
  // The streams of the lanes' futures, and whether this step's world runs in lanes.
  std::array<TRandom, TLaneFutures::Lanes> FLaneStreams;
  TLaneFutures FLanes;
  bool FUseLanes = false;
  std::vector<int32_t> FRan;
  int32_t FRanInLanes = 0;
  std::exception_ptr FError;
  int32_t FFailedFuture = -1;
};
