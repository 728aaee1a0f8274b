#include "world/UWorld.h"

#include <algorithm>

#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "platform/UPicture.h"
#include "world/UTrack2D.h"
#include "world/UWorldDefaults.h"

TWorld::TWorld(std::unique_ptr<TPicture> Circuit, std::string CircuitName, uint64_t Seed)
    : FRandom(Seed), FPicture(std::move(Circuit)), FCircuitName(std::move(CircuitName)),
      FTrack(std::make_unique<TTrack2D>()) {
  if (FPicture == nullptr)
    throw EError("A world needs a circuit picture.");
  FCircuit = FPicture->Clone();
  FTrack->LoadTrack(FPicture.get());
  FTrack->SetSettings(TWorldDefaults::Settings());
  AddTeam();
}

TWorld::~TWorld() {
  Connect(nullptr, nullptr);
  FTeams.clear();
}

void TWorld::LoadCircuit(const TPicture& Circuit, std::string CircuitName) {
  std::unique_ptr<TPicture> clean = Circuit.Clone();
  FPicture->CopyFrom(Circuit);
  FTrack->LoadTrack(FPicture.get());
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

void TWorld::Step(int32_t BudgetMs) {
  const TRandom::TUse use(FRandom);
  FTrack->Step(BudgetMs);
}

void TWorld::Connect(TMessagePump* Pump, TPointer* Pointer) {
  FTrack->SetMessagePump(Pump);
  FTrack->SetPointer(Pointer);
}
