#include "world/UWorldCopy.h"

#include <typeinfo>

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "world/UFuturePools.h"
#include "world/UFutureQueue.h"
#include "world/UTrack.h"

TWorldCopy::TWorldCopy(std::unique_ptr<TTrack> World) : FWorld(std::move(World)) {}

TWorldCopy::~TWorldCopy() = default;

bool TWorldCopy::SameShape(const TTrack& Real) const {
  if (static_cast<int32_t>(FTeams.size()) != Real.TeamCount())
    return false;
  for (int32_t t = 0; t < Real.TeamCount(); ++t) {
    const TTeam& real = *Real.Teams(t);
    const TTeam& copy = *FTeams[t];
    if (copy.MemberCount() != real.MemberCount())
      return false;
    for (int32_t i = 0; i < real.MemberCount(); ++i)
      if (typeid(*copy.Members(i)) != typeid(*real.Members(i)))
        return false;
  }
  return true;
}

void TWorldCopy::Rebuild(const TTrack& Real) {
  FTeams.clear();
  FWorld = Real.NewWorkerWorld();
  for (int32_t t = 0; t < Real.TeamCount(); ++t) {
    FTeams.push_back(std::make_unique<TTeam>());
    FWorld->AddTeam(FTeams.back().get());
    const TTeam& real = *Real.Teams(t);
    for (int32_t i = 0; i < real.MemberCount(); ++i)
      FTeams.back()->AddMember(real.Members(i)->Clone());
  }
}

void TWorldCopy::Sync(const TTrack& Real) {
  TRandom::TUse use(FStream);
  FRan.clear();
  FRanInLanes = 0;
  FError = nullptr;
  FFailedFuture = -1;
  if (!SameShape(Real))
    Rebuild(Real);
  FWorld->TakeWorld(Real);
  // Goals are copied afresh at every step, whole, so that values, modes and what they keep
  // between evaluations reach the copy as they are now.
  for (int32_t t = 0; t < Real.TeamCount(); ++t) {
    const TTeam& real = *Real.Teams(t);
    TTeam& copy = *FTeams[t];
    copy.FDrawGoals = real.FDrawGoals;
    while (copy.GoalCount() > 0)
      copy.DeleteGoal(copy.GoalCount() - 1);
    for (int32_t g = 0; g < real.GoalCount(); ++g)
      copy.AddGoal(real.Goals(g)->Clone());
    for (int32_t i = 0; i < real.MemberCount(); ++i) {
      TPlayer& standIn = *copy.Members(i);
      const TPlayer& player = *real.Members(i);
      standIn.Mirror(player);
      while (standIn.GoalCount() > 0)
        standIn.DeleteGoal(standIn.GoalCount() - 1);
      for (int32_t g = 0; g < player.GoalCount(); ++g)
        standIn.AddGoal(player.Goals(g)->Clone());
    }
  }
  FWorld->MirrorPlayers(Real);
  FUseLanes = Real.Lanes() && TLaneFutures::Accepts(*FWorld);
}

void TWorldCopy::RunBlocks(TFutureQueue& Queue, TFuturePools& Pools, int32_t Copy,
                           int32_t SubSteps) {
  TRandom::TUse use(FStream);
  const bool pooled = !Pools.Empty();
  for (int32_t block; (block = Queue.NextBlock()) >= 0;) {
    if (pooled)
      Pools.BeginBlock(Copy);
    const int32_t first = FUseLanes ? RunLanes(Queue, block, SubSteps) : 0;
    if (first < 0 || !RunOneByOne(Queue, block, first, SubSteps))
      return;
    if (pooled)
      Pools.EndBlock(Copy, block - Queue.RoundStart());
  }
}

bool TWorldCopy::RunOneByOne(TFutureQueue& Queue, int32_t Block, int32_t First, int32_t SubSteps) {
  for (int32_t k = First, future; (future = Queue.Future(Block, k, FStream)) >= 0; ++k) {
    try {
      FWorld->RunFuture(SubSteps);
    } catch (...) {
      Fail(Queue, future);
      return false;
    }
    FRan.push_back(future);
    Queue.Finished();
  }
  return true;
}

int32_t TWorldCopy::RunLanes(TFutureQueue& Queue, int32_t Block, int32_t SubSteps) {
  std::array<int32_t, TLaneFutures::Lanes> futures;
  int32_t n = 0;
  while (n < TLaneFutures::Lanes) {
    const int32_t future = Queue.Future(Block, n, FLaneStreams[n]);
    if (future < 0)
      break;
    futures[n++] = future;
  }
  if (n == 0)
    return 0;
  // Lanes without a future run too, on a stream that depends on nothing but the block.
  for (int32_t k = n; k < TLaneFutures::Lanes; ++k)
    FLaneStreams[k] = FLaneStreams[0];
  try {
    FLanes.Run(*FWorld, FLaneStreams.data(), SubSteps);
  } catch (...) {
    // Some future of the block fails: run alone, they find which one, and why.
    FWorld->AbandonFutures();
    return 0;
  }
  for (int32_t k = 0; k < n; ++k) {
    try {
      FLanes.Store(*FWorld, k);
    } catch (...) {
      Fail(Queue, futures[k]);
      return -1;
    }
    FRan.push_back(futures[k]);
    ++FRanInLanes;
    Queue.Finished();
  }
  return n;
}

void TWorldCopy::Fail(TFutureQueue& Queue, int32_t Future) {
  // This runner stops here; the others go on with the futures numbered below this one.
  FError = std::current_exception();
  FFailedFuture = Future;
  FWorld->AbandonFutures();
  Queue.Fail(Future);
}

TPlayer& TWorldCopy::Member(int32_t Team, int32_t Index) const {
  return *FWorld->Teams(Team)->Members(Index);
}
