#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "world/UTrack.h"

class TPicture;
class TPlayer2D;

// The world whose ground is a picture: pure black pixels are out of track, every other pixel is
// road. The road map is read once when the picture is loaded; the world keeps no picture of its
// own. Holds the point tests, the mouse pointer over the picture, and the pass that applies
// collisions and road contact to the players. The frictions the vehicles read are settings of
// the world (Settings).
class TTrack2D : public TTrack {
public:
  int32_t FWidth = 0; // size of the loaded picture, pixels
  int32_t FHeight = 0;

  TTrack2D();
  ~TTrack2D() override;

  // Takes the picture as the circuit: builds the road map from it (the picture is not kept).
  void LoadTrack(const TPicture& Image);
  void ApplyTrack() override;

  // A worker's copy shares the road map and the pointer as it stood at the start of the step.
  std::unique_ptr<TTrack> NewWorkerWorld() const override;
  void TakeWorld(const TTrack& Real) override;
  // Player I of the world; raises "Track2D contains a player that is not a Player2D." otherwise.
  TPlayer2D& Player2D(int32_t I) const;

  // Strictly inside: column 0 and row 0 are outside, the last column and row inside.
  bool PointInPicture(double X, double Y) const;
  bool PointOnRoad(double X, double Y) const;
  // The same tests on pixel coordinates, for the bodies' cached integer outline.
  bool PixelInPicture(int32_t X, int32_t Y) const {
    return X > 0 && X < FWidth && Y > 0 && Y < FHeight;
  }
  bool PixelOnRoad(int32_t X, int32_t Y) const {
    if (!PixelInPicture(X, Y))
      return false;
    const size_t bit = static_cast<size_t>(X) * FHeight + Y;
    return (FRoadBits[bit >> 6] >> (bit & 63) & 1) == 0;
  }

  // The road map's bits, for lookups by many futures at once; bit X * FHeight + Y is set where
  // the pixel is off the road.
  const uint64_t* RoadBits() const { return FRoadBits; }

  // Changes at every LoadTrack, so that what was found on the old road is not taken for the new.
  uint64_t RoadVersion() const { return FRoadVersion; }

  // Where the pointer that the mouse goals follow or avoid is, in picture pixels: a reading
  // handed in between steps, so that every future of a step sees the same one. Outside the
  // picture (as at start) the mouse goals do nothing.
  void SetMouse(int32_t X, int32_t Y);
  int32_t MouseX() const { return FMouseX; }
  int32_t MouseY() const { return FMouseY; }
  bool MouseInside() const;

  // Bounding square of a body: Left, Right, Top, Bottom.
  struct TBox {
    double Left, Right, Top, Bottom;
  };
  // The player-to-player part of ApplyTrack: every pair of touching bodies bounces apart, in the
  // order of the player list.
  void ApplyCollisions();
  // Two players whose bounding squares touch as a pass starts, I before J in the player list,
  // and what CollidesWith finds for them as they stand then: I's outline holds a point of J's
  // (HitI), or else J's holds one of I's (HitJ).
  struct TPairHint {
    int32_t I, J;
    bool HitI, HitJ;
  };
  // The same pass for players whose values are kept elsewhere (futures in lanes) until it needs
  // them. It starts from the bounding squares given, one per player as UpdateBox makes them
  // (taken, not copied: Boxes is left holding scratch), and from every pair of them that touches,
  // in the order of the pass, with what their outlines find there. It calls Enter(I) before it
  // first reads or changes player I, which then holds its values: only the players of a pair
  // that collides, or that comes to touch a body moved apart, are entered.
  void ApplyCollisions(std::vector<TBox>& Boxes, const std::vector<TPairHint>& Pairs,
                       const std::function<void(int32_t)>& Enter);

private:
  // The pass over the pairs, from FBoxes.
  void CollisionPass(int32_t Bodies);
  // The pass from the pairs found touching as it starts: a pair of bodies neither of which has
  // moved in this pass touches only as found then, and collides as found then.
  void HintedCollisionPass(const std::vector<TPairHint>& Pairs,
                           const std::function<void(int32_t)>& Enter);
  // Bodies I and J of a pass bounce apart, the outline of I holding a point of J's (HitI) or the
  // other way round (HitJ); their squares follow.
  void Collide(int32_t I, int32_t J, bool HitI, bool HitJ);
  // The body of player I, as resolved for this pass; raises for a player without one.
  TPlayer2D& Body(int32_t I) const;
  void UpdateBox(int32_t I);

  // Bit x * FHeight + y is 1 where the pixel was pure black. One bit a pixel keeps the map of a
  // whole circuit (60 KB) in the processor's cache, where the bodies look it up at every sub-step.
  // Never changed once made: workers' copies of the world share it, and a new circuit gets a new
  // map. FRoadBits is its data, for the lookup.
  std::shared_ptr<const std::vector<uint64_t>> FRoadMap;
  const uint64_t* FRoadBits = nullptr;
  uint64_t FRoadVersion = 0;
  int32_t FMouseX = -1; // pixels
  int32_t FMouseY = -1;
  // Scratch of a collision pass, kept between passes: the players' bodies (null for a player
  // without one) and their bounding squares, so that the pairs compare plain numbers.
  std::vector<TPlayer2D*> FBodies;
  std::vector<TBox> FBoxes;
  std::vector<uint8_t> FEntered; // of the pass with Enter: players entered so far
  std::vector<uint8_t> FMoved;   // of the pass with pairs given: bodies moved so far
  std::vector<int32_t> FMovedList;
};
