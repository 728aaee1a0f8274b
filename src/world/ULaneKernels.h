#pragma once

#include <cstdint>

#include "agents/UBodyLanes.h"
#include "agents/UKartMotion.h"
#include "agents/URocketMotion.h"

// The parts of a sub-step that every lane of a lane group does alike, in vectors of as many lanes
// as the processor has (chosen at run time): the vehicles' motion, the look at the road, a kart's
// wall, racing's gains, and which bodies' squares and outlines meet before the collisions' pass.
// Each gives the same bits as the same code run on one future at a time, on every instruction
// set.

// A sub-step of the kart's or the rocket's own motion in every lane (UKartMotion.h,
// URocketMotion.h), reading and writing the lanes' fields, headings' cosines and sines included.
void AdvanceKartLanes(TBodyLanes& Lanes, const TKartConstants& Constants);
void AdvanceRocketLanes(TBodyLanes& Lanes, const TRocketConstants& Constants);

// What racing (TGoal2DRaced) gains in every lane at the end of a sub-step, before its value: the
// distance from the sub-step's start in body sizes, times Weight where Sooner (a gain that
// counts more early) and the distance is not 0.
void RacingLanes(const TBodyLanes& Lanes, double Weight, bool Sooner, double* Gain);

// The one-bit road map of an image track (UTrack2D.h): bit X * Height + Y is set where the pixel
// is off the road.
struct TRoadView {
  const uint64_t* Bits = nullptr;
  int32_t Width = 0;
  int32_t Height = 0;
};

// What the outline of each lane finds, as TPlayer2D::UpdateContact and IsInsidePicture would.
// Bit K of a mask stands for lane K.
struct TLaneContact {
  uint32_t Rounded = 0; // every vertex rounds to a 32-bit integer
  uint32_t OnRoad = 0;  // every vertex on the road
  uint32_t Inside = 0;  // every vertex strictly inside the picture
  // The mean exact position of the off-road vertices, in the lanes that have any.
  alignas(64) double X[TBodyLanes::Lanes];
  alignas(64) double Y[TBodyLanes::Lanes];
};

// An outline in body terms (TPlayer2D::OutlineUnit), of at most MaxVertices vertices.
struct TOutlineUnit {
  static constexpr int32_t MaxVertices = 16;
  const double* X = nullptr;
  const double* Y = nullptr;
  int32_t Vertices = 0;
};

// The outline of every lane, turned by its heading and rounded to pixels: vertex i of a body of
// Size at (X, Y) lies at heading-turned (Unit.X[i], Unit.Y[i]) x Size from it.
void ContactLanes(const TBodyLanes& Lanes, const TOutlineUnit& Unit, const TRoadView& Road,
                  TLaneContact& Contact);

// What a kart's wall contact takes from its world and its parameters.
struct TWallConstants {
  double Bounce = 0;         // share of the velocity kept
  int32_t StepBackTries = 0; // the step back toward the saved pose goes in this many parts
  double Time = 0;           // the future's clock, milliseconds (the time of a death)
  TBodyBounds Bounds;        // of every field, as SetValue takes them
};

// For every lane whose outline Contact found off the road (ContactLanes), what a kart's
// TPlayer2D::ResolveWallContact does, its crash (TPlayer::Crash) included: the step back toward
// the last clear pose, the bounce off the contact point, the damage. Contact then holds, for every
// lane, whether the outline as it stands is rounded and inside the picture.
void WallLanes(TBodyLanes& Lanes, const TOutlineUnit& Unit, const TRoadView& Road,
               const TWallConstants& Constants, TLaneContact& Contact);

// Two bodies, I before J in the player list, whose bounding squares touch in some lanes, as the
// collision pass finds them (touching sides counting); bit K of a mask stands for lane K.
struct TLanePair {
  int32_t I = 0;
  int32_t J = 0;
  uint32_t Lanes = 0; // the squares touch
  uint32_t HitI = 0;  // I's outline holds a point of J's (TPlayer2D::CollidesWith)
  uint32_t HitJ = 0;  // not so, but J's outline holds a point of I's
};

// Every pair of the bodies whose squares touch in some lane, in the order the collision pass
// meets them, into Pairs (room for Count * (Count - 1) / 2); returns how many there are. Where
// none touch, the pass changes nothing.
int32_t TouchingPairs(const TBodyLanes* Bodies, int32_t Count, TLanePair* Pairs);

// For the lanes of Pair.Lanes, whether the outlines of its two bodies, rounded to pixels as
// TPlayer2D rounds them, hold a point of each other as CollidesWith finds it: sets Pair.HitI and
// Pair.HitJ. Returns the lanes where both outlines round to 32-bit integers (only those of
// Pair.Lanes count).
uint32_t CollidingLanes(const TBodyLanes& I, const TOutlineUnit& UnitI, const TBodyLanes& J,
                        const TOutlineUnit& UnitJ, TLanePair& Pair);
