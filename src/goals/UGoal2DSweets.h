#pragma once

#include <memory>

#include <array>
#include <cstdint>

#include "goals/UGoal.h"

class TTrack2D;

// "Get drops": energy drops scattered over the road. A player that touches a drop takes up to
// DropEnergy energy from it in each evaluation after a sub-step, and the share of it that the
// player could take is the goal's score. The real drops change only in the evaluation on the real
// states; the futures of a step consume a copy of them, made afresh at every step. An emptied real
// drop is replaced at once at a new random place. With evolution on, only rockets collect drops.
class TGoal2DSweets : public TGoal {
public:
  static constexpr int32_t MaxDrops = 100;
  static constexpr int32_t DropEnergy = 2;        // energy offered per contact
  static constexpr int32_t MaxPlaceTries = 10000; // random places tried for one drop

  std::array<int32_t, MaxDrops> FDropX{}; // pixels
  std::array<int32_t, MaxDrops> FDropY{};
  std::array<int32_t, MaxDrops> FDropAmount{}; // contacts left in the real world; 0 or less: empty
  std::array<int32_t, MaxDrops>
      FFutureAmount{};        // contacts left as the futures of this step see them
  bool FNeedsPlacing = true;  // every empty slot is filled at the next evaluation
  int64_t FConsumedUnits = 0; // contacts' worth taken from the real drops since creation

  explicit TGoal2DSweets(double Value);

  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoal2DSweets>(*this); }
  // The amounts as the futures of this step see them.
  std::span<int32_t> FuturePool() override { return FFutureAmount; }
  void Compute(TPlayer& Player, int32_t Phase) override;
  // Gives the futures of the new step the real drops, after placing them when none are yet, or
  // trying once more to fill the slots for which no place was found.
  void BeginStep(TTeam& Team) override;
  void AbandonStep() override;
  void Draw(const TPlayer* Player, TCanvas& Canvas) override;

  // Fills slot I when it is empty: an amount of 2 to 6 contacts at a random place of the
  // picture's road where the last evaluated player, 1.5 of its sizes away in the four axis
  // directions, is on the road too. Gives up after MaxPlaceTries places, leaving the slot empty
  // (and places nothing before a body has been evaluated). Answers whether the slot holds a
  // drop. Raises ERangeError for an index outside 0 .. MaxDrops - 1.
  bool PlaceDrop(int32_t I, const TTrack2D& Track);
  // PlaceDrop for every slot in order, up to the first that finds no place; then nothing waits
  // for placing.
  void PlaceDrops(const TTrack2D& Track);

private:
  // The first member of the team that can collect drops now; null when none can.
  TPlayer* FirstCollector(const TTeam& Team) const;

  // The size of the last evaluated player, which a new drop keeps clear around itself; 0 before
  // a body has been evaluated. A size, not the player: a copy of the goal keeps no player.
  void NotePlacer(const TPlayer& Player);

  bool FSlotsLeftEmpty = false; // a placement gave up on some slot
  double FPlacerSize = 0;       // pixels
  // The drops as the step in progress found them, put back when it is abandoned.
  struct TBeforeStep {
    std::array<int32_t, MaxDrops> X{}, Y{}, Amount{};
    bool NeedsPlacing = true;
    bool SlotsLeftEmpty = false;
    double PlacerSize = 0;
  };
  TBeforeStep FBeforeStep;
};
