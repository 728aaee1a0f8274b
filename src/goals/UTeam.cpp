#include "goals/UTeam.h"

#include <cmath>

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "world/UTrack.h"

TTeam::TTeam() = default;

TTeam::~TTeam() {
  // Members first, then goals, each from the front, as the team took them in.
  while (!FMembers.empty())
    FMembers.erase(FMembers.begin());
  while (!FGoals.empty())
    FGoals.erase(FGoals.begin());
}

TPlayer* TTeam::Members(int32_t Index) const {
  CheckListIndex(Index, MemberCount());
  return FMembers[Index].get();
}

int32_t TTeam::IndexOfMember(const TPlayer* Player) const {
  for (size_t i = 0; i < FMembers.size(); ++i)
    if (FMembers[i].get() == Player)
      return static_cast<int32_t>(i);
  return -1;
}

TPlayer* TTeam::AddMember(std::unique_ptr<TPlayer> Player) {
  TPlayer* player = Player.get();
  if (IndexOfMember(player) >= 0) {
    // Already ours: the pointer handed in is the one we own, so it must not be freed twice.
    Player.release();
    return player;
  }
  FMembers.push_back(std::move(Player));
  player->FTeam = this;
  Select(player);
  RebuildWorldPlayers();
  return player;
}

std::unique_ptr<TPlayer> TTeam::RemoveMember(TPlayer* Player, bool Free) {
  const int32_t index = IndexOfMember(Player);
  if (index < 0)
    return nullptr;
  if (FSelected == Player)
    FSelected = nullptr;
  std::unique_ptr<TPlayer> removed = std::move(FMembers[index]);
  FMembers.erase(FMembers.begin() + index);
  if (Free)
    removed.reset();
  if (FSelected == nullptr && !FMembers.empty())
    FSelected = FMembers.front().get();
  RebuildWorldPlayers();
  return removed;
}

void TTeam::Select(TPlayer* Player) {
  if (Player == nullptr || IndexOfMember(Player) < 0)
    throw EError("Selected player must be a team member.");
  FSelected = Player;
}

void TTeam::Reset() {
  for (size_t i = 0; i < FMembers.size(); ++i)
    FMembers[i]->Reset();
}

void TTeam::RebuildWorldPlayers() {
  if (FTrack != nullptr)
    FTrack->RebuildPlayers();
}

int32_t TTeam::AddGoal(std::unique_ptr<TGoal> Goal) {
  FGoals.push_back(std::move(Goal));
  return static_cast<int32_t>(FGoals.size()) - 1;
}

std::unique_ptr<TGoal> TTeam::DeleteGoal(int32_t Index) {
  if (Index < 0 || Index >= GoalCount())
    return nullptr;
  std::unique_ptr<TGoal> goal = std::move(FGoals[Index]);
  FGoals.erase(FGoals.begin() + Index);
  return goal;
}

TGoal* TTeam::Goals(int32_t Index) const {
  CheckListIndex(Index, GoalCount());
  return FGoals[Index].get();
}

void TTeam::BeginStep() {
  for (size_t g = 0; g < FGoals.size(); ++g)
    FGoals[g]->BeginStep(*this);
}

void TTeam::AbandonStep() {
  for (size_t g = 0; g < FGoals.size(); ++g)
    FGoals[g]->AbandonStep();
}

void TTeam::SetInFuture(bool On) {
  if (!On)
    EvaluateGoals(1);
  FInFuture = On;
  for (size_t i = 0; i < FMembers.size(); ++i)
    FMembers[i]->SetInFuture(On);
}

void TTeam::AbandonFuture() {
  FInFuture = false;
  for (size_t i = 0; i < FMembers.size(); ++i)
    FMembers[i]->AbandonFuture();
}

void TTeam::SubStep(int32_t Kind) {
  for (size_t i = 0; i < FMembers.size(); ++i) {
    TPlayer& member = *FMembers[i];
    switch (Kind) {
    case 0:
      member.PrepareFirstSubStep();
      break;
    case 1:
      member.PrepareNextSubStep();
      break;
    default:
      member.PrepareRealMove();
      break;
    }
    member.Advance();
    if (Kind != 2 && member.DrawsTraces())
      member.RecordTrace();
  }
}

void TTeam::EvaluateGoals(int32_t Phase) {
  for (size_t i = 0; i < FMembers.size(); ++i) {
    FMembers[i]->EvaluateGoals(Phase);
    for (size_t g = 0; g < FGoals.size() && i < FMembers.size(); ++g) {
      TGoal& goal = *FGoals[g];
      const TScoreContribution c = goal.Evaluate(*FMembers[i], Phase);
      if ((c.Add == 0 && c.Mult == 1) || goal.FMode == gmIndividual)
        continue;
      // Cooperative: teammates gain twice the effect; competitive: they lose twice as much.
      const double d = goal.FMode == gmCooperative ? 2 : -2;
      const long double factor = std::pow(static_cast<long double>(c.Mult) + 1e-12L, d);
      for (size_t k = 0; k < FMembers.size(); ++k)
        if (k != i)
          FMembers[k]->State().AddScore(c.Add * d, factor);
    }
  }
}

void TTeam::DrawGoals(TCanvas& Canvas) const {
  // A team goal is drawn for the member evaluated last, as it stands after the step.
  const TPlayer* last = FMembers.empty() ? nullptr : FMembers.back().get();
  if (FDrawGoals)
    for (size_t g = 0; g < FGoals.size(); ++g)
      if (FGoals[g]->FValue > 0)
        FGoals[g]->Draw(last, Canvas);
  // Only the first member's personal goals are drawn by the team.
  if (!FMembers.empty())
    FMembers.front()->DrawGoals(Canvas);
}

void TTeam::Evolve() {
  const size_t count = FMembers.size();
  for (size_t i = 0; i < count && i < FMembers.size(); ++i)
    if (FMembers[i]->WantsToDuplicate())
      FMembers[i]->Duplicate();
}

void TTeam::RemoveShrunk() {
  for (size_t i = FMembers.size(); i-- > 0;)
    if (i < FMembers.size() && FMembers[i]->Size() == FMembers[i]->SizeMin())
      RemoveMember(FMembers[i].get(), true);
}

void TTeam::Draw(TCanvas& Canvas) {
  for (size_t i = 0; i < FMembers.size(); ++i)
    FMembers[i]->Draw(Canvas);
}

void TTeam::DrawEndPoints(TCanvas& Canvas) {
  for (size_t i = 0; i < FMembers.size(); ++i)
    FMembers[i]->DrawEndPoints(Canvas);
}
