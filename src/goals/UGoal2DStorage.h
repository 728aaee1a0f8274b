#pragma once

#include <cstdint>
#include <memory>

#include "goals/UGoal.h"
#include "platform/UCanvas.h"

class TTrack2D;

// "Store drops": a square box on the road. A player that touches it hands over all its energy
// above KeptEnergy, and the energy handed over is the goal's score. In a future the handing over
// is only scored; the player's energy and the box change in the evaluation on the real states.
// A full box takes nothing more; the last transfer is taken whole, so it can end above capacity.
class TGoal2DStorage : public TGoal {
public:
  static constexpr int32_t BoxHalfSize = 6;       // pixels, the box the window adds
  static constexpr double BoxCapacity = 500;      // energy, the box the window adds
  static constexpr double KeptEnergy = 10;        // what a player keeps when it hands over
  static constexpr int32_t MaxPlaceTries = 10000; // random places tried for a box

  int32_t FBoxX; // centre, pixels
  int32_t FBoxY;
  int32_t FBoxHalfSize; // half the side, pixels, at least 1
  double FCapacity;     // energy the box accepts
  double FStored = 0;   // energy stored so far; grows only by real transfers

  // Keeps the value as given; a half side below 1 becomes 1.
  TGoal2DStorage(int32_t BoxX, int32_t BoxY, int32_t HalfSize, double Capacity, double Value);

  // A random centre for a box of the given half side on the road of the image track: all four
  // corners must be on the road. Places are drawn over the picture's own size. Raises EError
  // "No place on the road for a storage box." when none of MaxPlaceTries places fits.
  static TPoint PlaceBox(const TTrack2D& Track, int32_t HalfSize = BoxHalfSize);
  // The box the window's menu adds: placed by PlaceBox, half side BoxHalfSize, capacity
  // BoxCapacity. Raises as PlaceBox does.
  static std::unique_ptr<TGoal2DStorage> NewOnRoad(const TTrack2D& Track, double Value);

  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoal2DStorage>(*this); }
  void Compute(TPlayer& Player, int32_t Phase) override;
  // The box in blue, filled in cyan from the bottom in proportion to what it holds.
  void Draw(const TPlayer* Player, TCanvas& Canvas) override;
};
