#include "goals/UGoal2DSweets.h"

#include <algorithm>
#include <cmath>

#include "agents/UPlayer2D.h"
#include "agents/UUtils.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UCanvas.h"
#include "platform/URandom.h"
#include "world/UTrack2D.h"

TGoal2DSweets::TGoal2DSweets(double Value) : TGoal(Value, gpAfterSubStep) {
  FDescription = "Get drops";
}

void TGoal2DSweets::NotePlacer(const TPlayer& Player) {
  const TPlayer2D* body = Player.AsPlayer2D();
  FPlacerSize = body != nullptr ? body->Size() : 0;
}

bool TGoal2DSweets::PlaceDrop(int32_t I, const TTrack2D& Track) {
  CheckListIndex(I, MaxDrops);
  if (FDropAmount[I] > 0)
    return true;
  if (!(FPlacerSize > 0)) {
    FSlotsLeftEmpty = true;
    return false;
  }
  const TTrack2D& track = Track;
  const int32_t amount = RoundToInt32(Random() * 4) + 2;
  const double d = 1.5 * FPlacerSize; // pixels of road around the drop
  // Over the picture itself: its whole road can receive drops, whatever size it is shown at.
  const double w = track.FWidth;
  const double h = track.FHeight;
  for (int32_t tries = 0; tries < MaxPlaceTries; ++tries) {
    const int32_t x = RoundToInt32((Random() * 0.8 + 0.1) * w);
    const int32_t y = RoundToInt32((Random() * 0.8 + 0.1) * h);
    if (track.PointOnRoad(x, y) && track.PointOnRoad(x + d, y) && track.PointOnRoad(x - d, y) &&
        track.PointOnRoad(x, y + d) && track.PointOnRoad(x, y - d)) {
      FDropX[I] = x;
      FDropY[I] = y;
      FDropAmount[I] = amount;
      FFutureAmount[I] = amount;
      return true;
    }
  }
  FSlotsLeftEmpty = true;
  return false;
}

void TGoal2DSweets::PlaceDrops(const TTrack2D& Track) {
  FSlotsLeftEmpty = false;
  // Where one drop found no place in all its tries the others would not either: they wait for
  // the next step, which costs one bounded search per step on a circuit without room.
  for (int32_t i = 0; i < MaxDrops && PlaceDrop(i, Track); ++i) {
  }
  FNeedsPlacing = false;
}

TPlayer* TGoal2DSweets::FirstCollector(const TTeam& Team) const {
  for (int32_t i = 0; i < Team.MemberCount(); ++i) {
    TPlayer& member = *Team.Members(i);
    if (member.AsPlayer2D() != nullptr && !member.IsDead() &&
        (!member.Track().Evolution() || member.IsRocket()))
      return &member;
  }
  return nullptr;
}

void TGoal2DSweets::BeginStep(TTeam& Team) {
  // Drops are placed before the futures, the first time by the size of the member that would
  // have met them first, so that every future of the step, on whatever thread it runs, sees the
  // same drops. At most once per step, so that a circuit with no room for drops costs one
  // bounded search per step rather than one per sub-step. A goal set to 0 does nothing, placing
  // included.
  FBeforeStep = {FDropX, FDropY, FDropAmount, FNeedsPlacing, FSlotsLeftEmpty, FPlacerSize};
  if (FValue > 0 && (FNeedsPlacing || FSlotsLeftEmpty)) {
    if (!(FPlacerSize > 0)) {
      if (const TPlayer* collector = FirstCollector(Team))
        NotePlacer(*collector);
    }
    const TTrack2D* track = Team.FTrack != nullptr ? dynamic_cast<TTrack2D*>(Team.FTrack) : nullptr;
    if (FPlacerSize > 0 && track != nullptr)
      PlaceDrops(*track);
  }
  FFutureAmount = FDropAmount;
}

void TGoal2DSweets::AbandonStep() {
  FDropX = FBeforeStep.X;
  FDropY = FBeforeStep.Y;
  FDropAmount = FBeforeStep.Amount;
  FNeedsPlacing = FBeforeStep.NeedsPlacing;
  FSlotsLeftEmpty = FBeforeStep.SlotsLeftEmpty;
  FPlacerSize = FBeforeStep.PlacerSize;
  FFutureAmount = FDropAmount;
}

void TGoal2DSweets::Compute(TPlayer& Player, int32_t Phase) {
  if (Phase != 0)
    return;
  // Whoever was evaluated last decides how much road a new drop needs around it.
  NotePlacer(Player);
  TPlayer& player = Player;
  if (player.IsDead())
    return;
  if (player.Track().Evolution() && !player.IsRocket())
    return;
  const TPlayer2D* body = player.AsPlayer2D();
  if (body == nullptr)
    return;
  if (FNeedsPlacing)
    PlaceDrops(body->Track2D());
  const bool inFuture = player.InFuture();
  std::array<int32_t, MaxDrops>& amounts = inFuture ? FFutureAmount : FDropAmount;
  const double x = body->PosX();
  const double y = body->PosY();
  const double size = body->Size();
  for (int32_t i = 0; i < MaxDrops; ++i) {
    if (amounts[i] <= 0)
      continue;
    if (!(std::abs(x - FDropX[i]) < size && std::abs(y - FDropY[i]) < size))
      continue;
    // The share of the offered energy the player could take: less near full energy, 0 at full.
    const double e0 = player.Energy();
    player.SetEnergy(e0 + DropEnergy);
    const double gain = (player.Energy() - e0) / DropEnergy;
    if (gain == 0)
      continue;
    FScoreAdd += gain;
    const int32_t left = std::max(0, RoundToInt32(amounts[i] - gain));
    if (!inFuture)
      FConsumedUnits += amounts[i] - left;
    amounts[i] = left;
    if (!inFuture && amounts[i] == 0)
      PlaceDrop(i, body->Track2D());
  }
}

void TGoal2DSweets::Draw(const TPlayer* Player, TCanvas& Canvas) {
  if (FNeedsPlacing || Player == nullptr)
    return;
  TCanvas& canvas = Canvas;
  canvas.SetBrushColor(MakeColor(255, 251, 240));
  canvas.SetPenColor(MakeColor(0, 128, 0));
  for (int32_t i = 0; i < MaxDrops; ++i) {
    if (FDropAmount[i] <= 0)
      continue;
    // The radius shows what is left in the drop.
    const int32_t r = FDropAmount[i] + 1;
    canvas.Ellipse(FDropX[i] - r, FDropY[i] - r, FDropX[i] + r, FDropY[i] + r);
  }
}
