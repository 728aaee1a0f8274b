#include "world/UWorld.h"

#include <algorithm>

#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "platform/UPicture.h"
#include "world/UTrack2D.h"
#include "world/UWorldDefaults.h"
#include "world/UWorldPainter.h"

TWorld::TWorld(std::unique_ptr<TPicture> Circuit, std::string CircuitName, uint64_t Seed)
    : FRandom(Seed), FCircuit(std::move(Circuit)), FCircuitName(std::move(CircuitName)),
      FTrack(std::make_unique<TTrack2D>()) {
  if (FCircuit == nullptr)
    throw EError("A world needs a circuit picture.");
  FTrack->LoadTrack(*FCircuit);
  FTrack->SetSettings(TWorldDefaults::Settings());
  AddTeam();
}

TWorld::~TWorld() {
  FTeams.clear();
}

void TWorld::LoadCircuit(const TPicture& Circuit, std::string CircuitName) {
  std::unique_ptr<TPicture> clean = Circuit.Clone();
  FTrack->LoadTrack(*clean);
  FCircuit = std::move(clean);
  FCircuitName = std::move(CircuitName);
}

TTeam& TWorld::Teams(int32_t Index) const {
  if (Index < 0 || Index >= TeamCount())
    throw ERangeError("Team index out of bounds (" + std::to_string(Index) + ")");
  return *FTeams[Index];
}

TTeam& TWorld::AddTeam() {
  FTeams.push_back(std::make_unique<TTeam>());
  FTrack->AddTeam(FTeams.back().get());
  return *FTeams.back();
}

TTeam& TWorld::CurrentTeam() const {
  if (FTrack->FTeam == nullptr)
    throw EError("The world has no team.");
  return *FTrack->FTeam;
}

int32_t TWorld::CurrentTeamIndex() const {
  for (int32_t i = 0; i < TeamCount(); ++i)
    if (FTeams[i].get() == FTrack->FTeam)
      return i;
  return -1;
}

void TWorld::SetCurrentTeam(int32_t Index) {
  FTrack->FTeam = &Teams(Index);
}

void TWorld::Resume(const TRandom::TState& Stream, int64_t Steps) {
  if (Steps < 0)
    throw ERangeError("A run cannot have done fewer than no steps.");
  FRandom.SetState(Stream);
  FSteps = Steps;
  FStreamKept = true;
}

bool TWorld::Step(int32_t BudgetMs, const std::atomic<bool>* Abandon) {
  const TRandom before = FRandom;
  const TRandom::TUse use(FRandom);
  bool done = false;
  try {
    done = FTrack->Step(BudgetMs, Abandon);
  } catch (...) {
    ++FSteps;
    throw;
  }
  if (done) {
    ++FSteps;
    return true;
  }
  FRandom = before;
  return false;
}

void TWorld::SetMouse(int32_t X, int32_t Y) {
  FTrack->SetMouse(X, Y);
}

void TWorld::Paint(TCanvas& Canvas, bool AfterStep) {
  TWorldPainter::Paint(*FTrack, Canvas,
                       AfterStep ? TWorldPainter::pwAfterStep : TWorldPainter::pwRedraw);
}
