#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/URandom.h"

class TFutureQueue;
class TGoal;
class TPlayer;
class TTeam;
class TTrack;

// One worker's copy of the world for the futures of a step: a world of the same kind with the
// same teams, members and goals, in the same order, that the worker alone simulates on. The copy
// is brought in step with the real world at the start of every step, on the calling thread while
// no worker runs: settings, real states, goal values and modes all reach it there. The worker then
// runs its share of the futures on it, and the futures its players stored are handed back to the
// real players in the order the futures were numbered.
//
// What the copies share with the real world is read-only during the futures: the road map and
// the clean circuit picture (a copy draws on a layer of its own, laid over the real picture
// afterwards). What the futures of one copy share with each other is what they shared on the real
// world: the drop goal's amounts as the futures see them, consumed by its futures in turn from
// the copy of the real amounts that each copy takes at the start of the step.
class TWorldCopy {
public:
  explicit TWorldCopy(std::unique_ptr<TTrack> World);
  ~TWorldCopy();
  TWorldCopy(const TWorldCopy&) = delete;
  TWorldCopy& operator=(const TWorldCopy&) = delete;

  TTrack& World() const { return *FWorld; }
  void Sync(const TTrack& Real);
  // On the worker's thread. When a future fails, the other workers are told to stop, this copy's
  // players leave their future, and the error goes on to the caller.
  void RunFutures(TFutureQueue& Queue, int32_t SubSteps);
  // The numbers of the futures this copy ran in the step, in the order its players stored them.
  const std::vector<int32_t>& Ran() const { return FRan; }
  // The stand-in of member Index of team Team.
  TPlayer& Member(int32_t Team, int32_t Index) const;

private:
  void SyncTeam(const TTeam& Real, TTeam& Copy);
  // A copy of a goal of the real world, pointed at the copy of its team.
  std::unique_ptr<TGoal> CopyGoal(const TGoal& Goal, const TTrack& Real) const;

  std::unique_ptr<TTrack> FWorld;
  std::vector<std::unique_ptr<TTeam>> FTeams; // destroyed before the world that refers to them
  // The stream the copy's futures draw from, reseeded for every future. Also in use while the
  // copy is brought in step, so that making stand-ins draws nothing from the program's stream.
  TRandom FStream;
  std::vector<int32_t> FRan;
};
