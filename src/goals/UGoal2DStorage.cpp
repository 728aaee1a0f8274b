#include "goals/UGoal2DStorage.h"

#include <algorithm>
#include <cmath>

#include "agents/UPlayer2D.h"
#include "agents/UUtils.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "world/UTrack2D.h"

TGoal2DStorage::TGoal2DStorage(int32_t BoxX, int32_t BoxY, int32_t HalfSize, double Capacity,
                               double Value)
    : TGoal(Value, gpAfterSubStep), FBoxX(BoxX), FBoxY(BoxY), FBoxHalfSize(std::max(1, HalfSize)),
      FCapacity(Capacity) {
  FDescription = "Store drops";
}

TPoint TGoal2DStorage::PlaceBox(const TTrack2D& Track, int32_t HalfSize) {
  // Over the picture itself: its whole road can receive the box, whatever size it is shown at.
  const double w = Track.FWidth;
  const double h = Track.FHeight;
  const double s = HalfSize;
  for (int32_t tries = 0; tries < MaxPlaceTries; ++tries) {
    const int32_t x = RoundToInt32((Random() * 0.8 + 0.1) * w);
    const int32_t y = RoundToInt32((Random() * 0.8 + 0.1) * h);
    if (Track.PointOnRoad(x - s, y - s) && Track.PointOnRoad(x - s, y + s) &&
        Track.PointOnRoad(x + s, y - s) && Track.PointOnRoad(x + s, y + s))
      return {x, y};
  }
  throw EError("No place on the road for a storage box.");
}

std::unique_ptr<TGoal2DStorage> TGoal2DStorage::NewOnRoad(const TTrack2D& Track, double Value) {
  const TPoint centre = PlaceBox(Track, BoxHalfSize);
  return std::make_unique<TGoal2DStorage>(centre.X, centre.Y, BoxHalfSize, BoxCapacity, Value);
}

void TGoal2DStorage::Compute(TPlayer& Player, int32_t Phase) {
  if (Phase != 0)
    return;
  TPlayer& player = Player;
  if (player.IsDead() || FStored >= FCapacity)
    return;
  const TPlayer2D* body = player.AsPlayer2D();
  if (body == nullptr)
    return;
  const double reach = body->Size() + FBoxHalfSize; // pixels from the box centre
  if (!(std::abs(body->PosX() - FBoxX) < reach && std::abs(body->PosY() - FBoxY) < reach))
    return;
  const double delta = std::max(player.Energy() - KeptEnergy, 0.0);
  FScoreAdd += delta;
  if (!player.InFuture()) {
    player.SetEnergy(player.Energy() - delta);
    FStored += delta;
  }
}

void TGoal2DStorage::Draw(const TPlayer* Player, TCanvas& Canvas) {
  if (Player == nullptr || Player->AsPlayer2D() == nullptr)
    return;
  const int32_t h = FBoxHalfSize;
  TCanvas& canvas = Canvas;
  canvas.SetPenColor(MakeColor(0, 0, 255));
  canvas.SetBrushClear();
  canvas.Rectangle(FBoxX - h, FBoxY - h, FBoxX + h, FBoxY + h);
  // A box that took more than its capacity (the last transfer is taken whole) is drawn full,
  // not taller than itself; so is a box of no capacity, which takes nothing.
  const double share = FCapacity > 0 ? std::min(FStored / FCapacity, 1.0) : 1.0;
  const int32_t k = RoundToInt32(std::ceil(share * 2 * h)); // filled height, pixels
  canvas.SetPenColor(MakeColor(0, 0, 0));
  canvas.SetBrushColor(MakeColor(0, 255, 255));
  canvas.Rectangle(FBoxX - h, FBoxY + h - k, FBoxX + h, FBoxY + h);
}
