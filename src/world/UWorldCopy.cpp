#include "world/UWorldCopy.h"

#include <typeinfo>

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "world/UFutureQueue.h"
#include "world/UTrack.h"

TWorldCopy::TWorldCopy(std::unique_ptr<TTrack> World) : FWorld(std::move(World)) {}

TWorldCopy::~TWorldCopy() = default;

void TWorldCopy::Sync(const TTrack& Real) {
  TRandom::TUse use(FStream);
  if (static_cast<int32_t>(FTeams.size()) != Real.TeamCount()) {
    FTeams.clear();
    FWorld = Real.NewWorkerWorld();
    for (int32_t t = 0; t < Real.TeamCount(); ++t) {
      FTeams.push_back(std::make_unique<TTeam>());
      FWorld->AddTeam(FTeams.back().get());
    }
  }
  FWorld->TakeSettings(Real);
  for (int32_t t = 0; t < Real.TeamCount(); ++t)
    SyncTeam(*Real.Teams(t), *FTeams[t]);
  // Goals are copied afresh at every step with what they keep between evaluations, so values
  // and modes changed since the last step reach the copy. The drop goal's copy takes the real
  // drops and the amounts the futures of this step start from; the copy's futures consume them
  // in turn, as the futures on the calling thread consume the real goal's, and the real amounts
  // change only in the evaluation on the real states. Team goals point at their team through
  // the copies of the teams: all teams exist by now.
  for (int32_t t = 0; t < Real.TeamCount(); ++t) {
    TTeam& copy = *FTeams[t];
    const TTeam& real = *Real.Teams(t);
    while (copy.GoalCount() > 0)
      copy.DeleteGoal(copy.GoalCount() - 1);
    for (int32_t g = 0; g < real.GoalCount(); ++g)
      copy.AddGoal(CopyGoal(*real.Goals(g), Real));
    for (int32_t i = 0; i < real.MemberCount(); ++i) {
      TPlayer& standIn = *copy.Members(i);
      const TPlayer& player = *real.Members(i);
      while (standIn.GoalCount() > 0)
        standIn.DeleteGoal(standIn.GoalCount() - 1);
      for (int32_t g = 0; g < player.GoalCount(); ++g)
        standIn.AddGoal(CopyGoal(*player.Goals(g), Real));
    }
  }
}

void TWorldCopy::SyncTeam(const TTeam& Real, TTeam& Copy) {
  bool same = Copy.MemberCount() == Real.MemberCount();
  for (int32_t i = 0; same && i < Real.MemberCount(); ++i)
    same = typeid(*Copy.Members(i)) == typeid(*Real.Members(i));
  if (!same) {
    while (Copy.MemberCount() > 0)
      Copy.RemoveMember(Copy.Members(Copy.MemberCount() - 1), true);
    for (int32_t i = 0; i < Real.MemberCount(); ++i)
      Copy.AddMember(Real.Members(i)->Clone());
  }
  for (int32_t i = 0; i < Real.MemberCount(); ++i)
    Copy.Members(i)->Mirror(*Real.Members(i));
  Copy.FDrawGoals = Real.FDrawGoals;
}

std::unique_ptr<TGoal> TWorldCopy::CopyGoal(const TGoal& Goal, const TTrack& Real) const {
  std::unique_ptr<TGoal> copy = Goal.Clone();
  copy->FPlayer = nullptr;
  if (const TTeam* team = Goal.Team()) {
    TTeam* own = nullptr;
    for (int32_t t = 0; t < Real.TeamCount(); ++t)
      if (Real.Teams(t) == team)
        own = FTeams[t].get();
    copy->SetTeam(own);
  }
  return copy;
}

void TWorldCopy::RunFutures(TFutureQueue& Queue, int32_t SubSteps) {
  FRan.clear();
  try {
    FWorld->RunQueuedFutures(Queue, FStream, SubSteps, &FRan);
  } catch (...) {
    Queue.Abort();
    FWorld->AbandonFutures();
    throw;
  }
}

TPlayer& TWorldCopy::Member(int32_t Team, int32_t Index) const {
  return *FWorld->Teams(Team)->Members(Index);
}
