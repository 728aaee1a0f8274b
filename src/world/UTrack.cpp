#include "world/UTrack.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "agents/UPlayer.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UClock.h"
#include "platform/UMessagePump.h"
#include "world/UFutureQueue.h"
#include "world/UFutureWorkers.h"
#include "world/UWorldCopy.h"

TTrack::TTrack() : FClock(&TSteadyClock::Instance()) {
  SetEvolution(false);
}

TTrack::~TTrack() = default;

TTeam* TTrack::Teams(int32_t Index) const {
  CheckListIndex(Index, TeamCount());
  return FTeams[Index];
}

void TTrack::AddTeam(TTeam* Team) {
  FTeams.push_back(Team);
  Team->FTrack = this;
  FTeam = Team;
}

TPlayer* TTrack::Players(int32_t Index) const {
  CheckListIndex(Index, PlayerCount());
  return FPlayers[Index];
}

void TTrack::RebuildPlayers() {
  FPlayers.clear();
  for (TTeam* team : FTeams)
    for (int32_t i = 0; i < team->MemberCount(); ++i)
      FPlayers.push_back(team->Members(i));
}

void TTrack::SetEvolution(bool On) {
  FEvolution = On;
  if (!On)
    return;
  for (TPlayer* player : FPlayers) {
    player->ColorFromGoals();
    player->FDrawGoals = true;
  }
}

int32_t TTrack::SubStepCount() const {
  return std::max(2, RoundToInt32(static_cast<double>(FFutureMs) / FDeltaMs));
}

int32_t TTrack::HardwareThreads() {
  // Unknown (0) counts as one.
  return std::max(1, static_cast<int32_t>(std::thread::hardware_concurrency()));
}

void TTrack::SetThreads(int32_t N) {
  FThreads = N > 0 ? N : HardwareThreads();
}

void TTrack::SetClock(TClock* Clock) {
  FClock = Clock != nullptr ? Clock : &TSteadyClock::Instance();
}

void TTrack::ProcessMessages() {
  if (FMessagePump != nullptr)
    FMessagePump->ProcessMessages();
}

void TTrack::Step(int32_t BudgetMs) {
  const int32_t count = SubStepCount();
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->BeginStep();
  try {
    RunFutures(BudgetMs, count);
    RealMove();
  } catch (...) {
    // Whatever failed, the window goes on working with these players: none may stay in a future,
    // or its next edits would land in a future state and the next step start from a stale one.
    AbandonFutures();
    throw;
  }
}

void TTrack::RunFutures(int32_t BudgetMs, int32_t Count) {
  const auto started = std::chrono::steady_clock::now();
  // A monotonic clock: a budget that spans midnight still ends.
  const int64_t deadline =
      CheckedAdd(FClock->NowMs(), static_cast<int64_t>(RoundToInt32(BudgetMs * 0.9)));
  // Every future draws from a stream of its own, derived from one draw of the program's stream:
  // a seed still fixes a run, and a fixed number of futures gives the same futures whatever the
  // number of threads.
  TFutureQueue queue(*FClock, deadline, FMinFutures, FFixedFutures, RandomBits());
  ClearDrawing();
  if (PrepareWorkers())
    RunFuturesOnWorkers(queue, Count);
  else
    RunQueuedFutures(queue, FStream, Count, nullptr);
  FLastFutureCount = queue.FinishedCount();
  FLastFuturesNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                       std::chrono::steady_clock::now() - started)
                       .count();
}

void TTrack::RunQueuedFutures(TFutureQueue& Queue, TRandom& Stream, int32_t SubSteps,
                              std::vector<int32_t>* Ran) {
  TRandom::TUse use(Stream);
  for (int32_t future; (future = Queue.Next(Stream)) >= 0;) {
    RunFuture(SubSteps);
    if (Ran != nullptr)
      Ran->push_back(future);
    Queue.Finished();
  }
}

void TTrack::RunFuture(int32_t SubSteps) {
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->SetInFuture(true);
  for (int32_t j = 1; j <= SubSteps; ++j) {
    for (size_t t = 0; t < FTeams.size(); ++t) {
      if (j == 1)
        FTeams[t]->FirstSubStep();
      else
        FTeams[t]->NextSubStep();
    }
    ApplyTrack();
    for (size_t t = 0; t < FTeams.size(); ++t) {
      FTeams[t]->EvaluateGoals(0);
      FTeams[t]->DrawGoals();
    }
  }
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->SetInFuture(false);
}

bool TTrack::PrepareWorkers() {
  if (FThreads <= 1 || FTeams.empty())
    return false;
  if (FWorkers != nullptr && FWorkers->Count() == FThreads)
    return true;
  std::unique_ptr<TTrack> first = NewWorkerWorld();
  if (first == nullptr)
    return false;
  FWorkers.reset();
  FCopies.clear();
  FCopies.push_back(std::make_unique<TWorldCopy>(std::move(first)));
  while (static_cast<int32_t>(FCopies.size()) < FThreads)
    FCopies.push_back(std::make_unique<TWorldCopy>(NewWorkerWorld()));
  FWorkers = std::make_unique<TFutureWorkers>(FThreads);
  return true;
}

void TTrack::RunFuturesOnWorkers(TFutureQueue& Queue, int32_t SubSteps) {
  for (auto& copy : FCopies)
    copy->Sync(*this);
  FWorkers->RunAll([&](int32_t Runner) { FCopies[Runner]->RunFutures(Queue, SubSteps); });
  HandBackFutures(Queue.FinishedCount());
  for (auto& copy : FCopies)
    TakeDrawing(copy->World());
}

void TTrack::HandBackFutures(int32_t Futures) {
  FRanBy.assign(static_cast<size_t>(Futures), TRanBy{-1, -1});
  for (int32_t c = 0; c < static_cast<int32_t>(FCopies.size()); ++c) {
    const std::vector<int32_t>& ran = FCopies[c]->Ran();
    for (int32_t k = 0; k < static_cast<int32_t>(ran.size()); ++k)
      FRanBy.at(static_cast<size_t>(ran[k])) = {c, k};
  }
  for (int32_t t = 0; t < TeamCount(); ++t) {
    TTeam& team = *FTeams[t];
    for (int32_t i = 0; i < team.MemberCount(); ++i) {
      TListOfFutures& futures = team.Members(i)->Futures();
      for (const TRanBy& by : FRanBy)
        futures.TakeFuture(FCopies[by.Copy]->Member(t, i).Futures(), by.Index);
    }
  }
}

void TTrack::TakeSettings(const TTrack& Real) {
  FFutureMs = Real.FFutureMs;
  FDeltaMs = Real.FDeltaMs;
  FMinFutures = Real.FMinFutures;
  FCollisions = Real.FCollisions;
  // The field, not SetEvolution: the stand-ins take their colours and flags from the real players.
  FEvolution = Real.FEvolution;
}

void TTrack::RealMove() {
  for (size_t t = 0; t < FTeams.size(); ++t) {
    FTeams[t]->EvaluateGoals(0);
    FTeams[t]->DrawGoals();
  }
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->RealMove();
  ApplyTrack();
  if (FEvolution)
    for (size_t t = 0; t < FTeams.size(); ++t)
      FTeams[t]->Evolve();
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->RemoveShrunk();
  Redraw(false);
}

void TTrack::AbandonFutures() {
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->AbandonFuture();
}

void TTrack::Redraw(bool Clear) {
  if (Clear)
    ClearDrawing();
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->DrawEndPoints();
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->Draw();
  ProcessMessages();
}
