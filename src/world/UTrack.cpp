#include "world/UTrack.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "agents/UPlayer.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UClock.h"
#include "platform/UMessagePump.h"

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
  ClearDrawing();
  int32_t futures = 0;
  for (;;) {
    for (size_t t = 0; t < FTeams.size(); ++t)
      FTeams[t]->SetInFuture(true);
    for (int32_t j = 1; j <= Count; ++j) {
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
    futures = CheckedAdd(futures, 1);
    if (FFixedFutures > 0) {
      if (futures >= FFixedFutures)
        break;
    } else if (FClock->NowMs() > deadline && futures > FMinFutures) {
      break;
    }
  }
  FLastFutureCount = futures;
  FLastFuturesNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                       std::chrono::steady_clock::now() - started)
                       .count();
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
