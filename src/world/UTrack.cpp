#include "world/UTrack.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>
#include <thread>

#include "agents/UPlayer.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UClock.h"
#include "platform/UErrors.h"
#include "world/UFuturePools.h"
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

void TTrack::SetSettings(const TWorldSettings& Settings) {
  Settings.Check();
  const bool switchedOn = Settings.FEvolution && !FSettings.FEvolution;
  FSettings = Settings;
  FDeltaT = FSettings.FDeltaMs / 1000.0;
  if (switchedOn)
    SetEvolution(true);
}

namespace {

// One setting changed, the others kept.
template <class T> TWorldSettings With(TWorldSettings Settings, T TWorldSettings::*Field, T Value) {
  Settings.*Field = Value;
  return Settings;
}

} // namespace

void TTrack::SetFutureMs(int32_t Ms) {
  SetSettings(With(FSettings, &TWorldSettings::FFutureMs, Ms));
}

void TTrack::SetDeltaMs(int32_t Ms) {
  SetSettings(With(FSettings, &TWorldSettings::FDeltaMs, Ms));
}

void TTrack::SetMinFutures(int32_t Count) {
  SetSettings(With(FSettings, &TWorldSettings::FMinFutures, Count));
}

void TTrack::SetFixedFutures(int32_t Count) {
  SetSettings(With(FSettings, &TWorldSettings::FFixedFutures, Count));
}

void TTrack::SetCollisions(bool On) {
  SetSettings(With(FSettings, &TWorldSettings::FCollisions, On));
}

void TTrack::SetFriction(double Mu) {
  SetSettings(With(FSettings, &TWorldSettings::FFriction, Mu));
}

void TTrack::SetSideFriction(double Sigma) {
  SetSettings(With(FSettings, &TWorldSettings::FSideFriction, Sigma));
}

void TTrack::SetEvolution(bool On) {
  FSettings.FEvolution = On;
  if (!On)
    return;
  for (TPlayer* player : FPlayers) {
    player->ColorFromGoals();
    player->SetDrawGoals(true);
  }
}

int32_t TTrack::SubStepCount() const {
  return std::max(2, RoundToInt32(static_cast<double>(FSettings.FFutureMs) / FSettings.FDeltaMs));
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

bool TTrack::Step(int32_t BudgetMs, const std::atomic<bool>* Abandon) {
  const int32_t count = SubStepCount();
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->BeginStep();
  if (!RunFutures(BudgetMs, count, Abandon)) {
    for (size_t t = 0; t < FTeams.size(); ++t)
      FTeams[t]->AbandonStep();
    return false;
  }
  RealMove();
  return true;
}

bool TTrack::RunFutures(int32_t BudgetMs, int32_t Count, const std::atomic<bool>* Abandon) {
  const auto started = std::chrono::steady_clock::now();
  FLastFailedFuture = -1;
  // A monotonic clock: a budget that spans midnight still ends.
  const int64_t deadline =
      CheckedAdd(FClock->NowMs(), static_cast<int64_t>(RoundToInt32(BudgetMs * 0.9)));
  // Every future draws from a stream of its own, derived from one draw of the program's stream:
  // a seed still fixes a run, and a fixed number of futures gives the same futures whatever the
  // number of threads.
  const uint64_t seed = RandomBits();
  PrepareCopies();
  for (size_t c = 0; c < FCopies.size(); ++c) {
    FCopies[c]->Sync(*this);
    FCopyWorlds[c] = &FCopies[c]->World(); // made anew when the teams changed shape
  }
  FPools->Gather(*this, FCopyWorlds);
  TFutureQueue queue(*FClock, deadline, FSettings.FMinFutures, FSettings.FFixedFutures, seed,
                     !FPools->Empty(), Abandon);
  const std::function<void(int32_t)> job = [&](int32_t Runner) {
    FCopies[Runner]->RunBlocks(queue, *FPools, Runner, Count);
  };
  while (queue.BeginRound()) {
    if (!FPools->Empty())
      FPools->BeginRound();
    FWorkers->RunAll(job);
    if (queue.Failed() || queue.Abandoned())
      break;
    if (!FPools->Empty())
      FPools->EndRound(queue.RoundBlocksTaken());
  }
  if (queue.Abandoned())
    return false;
  // Every future below the count handed out has run, on whichever runner held it: the step is
  // the step with that many fixed futures.
  const int32_t limit = queue.Failed() ? queue.FailedAt() : queue.HandedOut();
  HandBackFutures(limit);
  FLastFutureCount = limit;
  FLastLaneFutureCount = 0;
  for (const auto& copy : FCopies)
    FLastLaneFutureCount += copy->RanInLanes();
  FLastFailedFuture = queue.Failed() ? limit : -1;
  FLastFuturesNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                       std::chrono::steady_clock::now() - started)
                       .count();
  if (queue.Failed())
    for (const auto& copy : FCopies)
      if (copy->FailedFuture() == limit)
        std::rethrow_exception(copy->Error());
  return true;
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
    for (size_t t = 0; t < FTeams.size(); ++t)
      FTeams[t]->EvaluateGoals(0);
  }
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->SetInFuture(false);
}

void TTrack::PrepareCopies() {
  if (FWorkers != nullptr && static_cast<int32_t>(FCopies.size()) == FThreads)
    return;
  FWorkers.reset();
  FWorkers = std::make_unique<TFutureWorkers>(FThreads);
  if (FWorkers->Count() < FThreads) {
    // Said once: the world goes on with the threads it has until asked for others.
    std::cerr << "kartsim: only " << FWorkers->Count() << " of " << FThreads
              << " threads could be started for the futures (" << FWorkers->StartError()
              << "); going on with " << FWorkers->Count() << "." << std::endl;
    FThreads = FWorkers->Count();
  }
  FCopies.clear();
  FCopyWorlds.clear();
  while (static_cast<int32_t>(FCopies.size()) < FThreads) {
    FCopies.push_back(std::make_unique<TWorldCopy>(NewWorkerWorld()));
    FCopyWorlds.push_back(&FCopies.back()->World());
  }
  if (FPools == nullptr)
    FPools = std::make_unique<TFuturePools>();
}

void TTrack::HandBackFutures(int32_t Limit) {
  FRanBy.assign(static_cast<size_t>(Limit), TRanBy{-1, -1});
  for (int32_t c = 0; c < static_cast<int32_t>(FCopies.size()); ++c) {
    const std::vector<int32_t>& ran = FCopies[c]->Ran();
    for (int32_t k = 0; k < static_cast<int32_t>(ran.size()); ++k)
      if (ran[k] < Limit)
        FRanBy[static_cast<size_t>(ran[k])] = {c, k};
  }
  for (int32_t t = 0; t < TeamCount(); ++t) {
    TTeam& team = *FTeams[t];
    for (int32_t i = 0; i < team.MemberCount(); ++i) {
      TListOfFutures& futures = team.Members(i)->Futures();
      futures.Clear();
      for (const TRanBy& by : FRanBy)
        if (by.Copy >= 0)
          futures.TakeFuture(FCopies[by.Copy]->Member(t, i).Futures(), by.Index);
    }
  }
}

void TTrack::TakeWorld(const TTrack& Real) {
  // The field, not SetEvolution: the stand-ins take their colours and flags from the real players.
  FSettings = Real.FSettings;
  FDeltaT = Real.FDeltaT;
  FLanes = Real.FLanes;
}

void TTrack::MirrorPlayers(const TTrack& Real) {
  FPlayers.clear();
  for (const TPlayer* player : Real.FPlayers) {
    const auto team = std::find(Real.FTeams.begin(), Real.FTeams.end(), player->FTeam);
    if (team == Real.FTeams.end())
      throw EError("The world lists a player of a team it does not hold.");
    const int32_t t = static_cast<int32_t>(team - Real.FTeams.begin());
    FPlayers.push_back(Teams(t)->Members((*team)->IndexOfMember(player)));
  }
}

void TTrack::RealMove() {
  FDrains.clear();
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->EvaluateGoals(0);
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->RealMove();
  ApplyTrack();
  if (FSettings.FEvolution)
    for (size_t t = 0; t < FTeams.size(); ++t)
      FTeams[t]->Evolve();
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->RemoveShrunk();
}

void TTrack::AbandonFutures() {
  for (size_t t = 0; t < FTeams.size(); ++t)
    FTeams[t]->AbandonFuture();
}
