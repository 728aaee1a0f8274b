#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "agents/UBodyLanes.h"
#include "agents/UMotionOps.h"
#include "agents/UPlayer.h"
#include "goals/UTeam.h"
#include "platform/UCanvas.h"

class TTrack2D;

// A player with a rigid body on the circuit picture: position, heading and velocities held in its
// state, a convex outline computed from them, contact with the off-road pixels (wall bounce,
// death outside the picture), the point-in-outline test collisions rest on, and its drawing.
// It has no drive of its own; the kart and the rocket add their controls and their outline.
//
// Units: pixels of the picture (x right, y down), headings in radians (growing clockwise on
// screen), velocities in pixels per second, rotation speed in radians per second.
class TPlayer2D : public TPlayer {
public:
  struct TVertex {
    double X = 0;
    double Y = 0;
  };

  // Share of the velocity a body keeps when it bounces off a wall.
  static constexpr double WallBounce = 0.9;
  // The step back toward the saved pose goes in this many tenths.
  static constexpr int32_t StepBackTries = 10;

  bool FTouching = false; // the last UpdateContact found an outline point off the road
  double FContactX = 0;   // mean exact position of the off-road vertices last found
  double FContactY = 0;
  bool FEdgesDirty = true;        // FEdges must be recomputed before use
  std::vector<TVertex> FVertices; // outline vertices, exact
  std::vector<TPoint> FPoints;    // the same, rounded; every pixel test and the drawing use these
  std::vector<TVertex> FEdges;    // edge i = vertex (i + 1) mod n - vertex i, from FPoints

  // ---- accessors of the current state ----
  double PosX() const { return State().Param(FPosXIndex).Value; }
  void SetPosX(double X);
  double PosY() const { return State().Param(FPosYIndex).Value; }
  void SetPosY(double Y);
  double Angle() const { return State().Param(FAngleIndex).Value; }
  // Also keeps "Angle2", the heading in whole degrees, in step.
  void SetAngle(double X);
  double VelX() const { return State().Param(FVelXIndex).Value; }
  void SetVelX(double X) { State().Param(FVelXIndex).SetValue(X); }
  double VelY() const { return State().Param(FVelYIndex).Value; }
  void SetVelY(double X) { State().Param(FVelYIndex).SetValue(X); }
  double VelRot() const { return State().Param(FVelRotIndex).Value; }
  void SetVelRot(double X) { State().Param(FVelRotIndex).SetValue(X); }
  // Position at the start of the current sub-step.
  double PrevPosX() const { return State().Param(FPosXIndex).StartValue; }
  double PrevPosY() const { return State().Param(FPosYIndex).StartValue; }
  double Left() const { return PosX() - Size(); }
  double Right() const { return PosX() + Size(); }
  double Top() const { return PosY() - Size(); }
  double Bottom() const { return PosY() + Size(); }

  // The image track of the owning team's world; raises when that world is not an image track.
  // Asked several times per sub-step, so the answer found last is checked inline.
  TTrack2D& Track2D() const {
    if (FTeam != nullptr && FTeam->FTrack == FResolvedTrack && FTrack2D != nullptr)
      return *FTrack2D;
    return ResolveTrack2D();
  }
  // The same, or null when the player is in no world or its world is not an image track.
  TTrack2D* FindTrack2D() const;
  // The saved pose is the last pose found clear of the walls; a new or placed body has none yet.
  bool HasSavedPose() const;

  // ---- operations of its own ----
  void Place(double X, double Y, double Angle);
  void MoveBy(double DX, double DY, double DAngle);
  void UpdateContact();
  void ResolveWallContact();
  bool IsInsidePicture();
  bool ContainsPoint(double X, double Y);
  void UpdateEdges();
  // The current pose becomes the last pose known to be clear of the walls.
  void SaveValidPose();
  // ---- futures side by side (TLaneFutures) ----
  // The parameter each lane field is held in.
  int32_t LaneParam(TBodyField Field) const { return FLaneParam[Field]; }
  // The outline in body terms: vertex i at heading-turned (X, Y) x Size from the centre.
  const std::vector<TVertex>& OutlineUnit() const { return FOutlineUnit; }
  // Makes the current state future Lane of a lane group at the given time, so that the code
  // written for one future can take a turn on it; and takes it back from the state.
  void LoadLane(const TBodyLanes& Lanes, int32_t Lane, int64_t Time);
  void StoreLane(TBodyLanes& Lanes, int32_t Lane) const;
  // The bounds of the parameters the lane fields are held in, as SetValue applies them.
  TBodyBounds LaneBounds() const;
  // Cosine and sine of a heading, as the vehicles' motion and the outline take them.
  void HeadingCosSin(double Heading, double& Cos, double& Sin) const;

  // A vertical level bar beside the body, offset pixels right of its start column.
  void DrawLevel(TCanvas& Canvas, int32_t Offset, double V) const;

  // ---- overrides ----
  // Every descendant keeps this outline mechanism (they only set their own proportions), so
  // it is final and its cheap "nothing changed" answer is inlined where it is asked.
  void UpdateShape() final {
    if (FFirstShape || FShapeDirty)
      RebuildShape();
  }
  const TSchemaPtr& KindSchema() const override;
  void CreateParams() override;
  bool WantsToDuplicate() const override { return Energy() >= 99; }
  // Also marks the cached outline stale: it belongs to the state that was replaced.
  void Assign(const TPlayer& Source) override;
  void Draw(TCanvas& Canvas) override;
  void RecordTrace() override;
  void DrawStoredTrace(int32_t I, TCanvas& Canvas) override;
  void DrawEndPoint(const TState& S, TCanvas& Canvas) override;
  void Advance() override;
  bool CollidesWith(TPlayer& Other) override;
  TPlayer2D* AsPlayer2D() override { return this; }
  const TPlayer2D* AsPlayer2D() const override { return this; }

protected:
  TPlayer2D();
  void Create();
  // Replaces the outline: vertex i lies at heading + Angles[i] radians, at Size x Radii[i]
  // from the centre. The triangle of a plain body until a descendant sets its own.
  void SetOutline(std::vector<double> Angles, std::vector<double> Radii);
  // A vehicle's trace and turning follow the push of its turning control (the parameter at
  // PushIndex): a trace is drawn while that push is not 0 at 1/1000, red while it turns right and
  // blue otherwise, fading to white toward the end of the future.
  bool PushesTurn(int32_t PushIndex) const;
  int32_t TurnTraceColor(const TState& S, int32_t PushIndex) const;
  void RebuildShape();
  TTrack2D& ResolveTrack2D() const;
  // The current state as the motion of one sub-step takes it, and the motion's result back into
  // the state.
  TBodyMotion<TScalarOps> MotionOfState() const;
  void TakeMotion(const TBodyMotion<TScalarOps>& Motion);
  // The cosine and sine of a heading the motion has computed already, for HeadingCosSin: within a
  // sub-step the vehicle's dynamics and the outline turn by the same heading, and the sine and
  // cosine are the dearest part of a sub-step.
  void KeepHeadingCosSin(double Heading, double Cos, double Sin) const {
    FHeading = Heading;
    FHeadingCos = Cos;
    FHeadingSin = Sin;
  }
  // Forgets the saved pose, so that the wall step-back waits for a pose found clear.
  void ForgetSavedPose();

  int32_t FPosXIndex = 0;
  int32_t FPosYIndex = 0;
  int32_t FAngleIndex = 0;
  int32_t FAngle2Index = 0;
  int32_t FVelXIndex = 0;
  int32_t FVelYIndex = 0;
  int32_t FVelRotIndex = 0;
  // Filled by each kind's CreateParams.
  int32_t FLaneParam[bfCount] = {};

private:
  // Outline in body terms, with the cosine and sine of each vertex angle computed once.
  std::vector<double> FOutlineAngles;
  std::vector<double> FOutlineRadii;
  std::vector<TVertex> FOutlineUnit; // (cos, sin) of each vertex angle, times its radius
  mutable double FHeading = std::numeric_limits<double>::quiet_NaN(); // of FHeadingCos/Sin
  mutable double FHeadingCos = 1;
  mutable double FHeadingSin = 0;
  // The world the image track below was resolved for, so that the class test runs once per
  // change of world rather than once per call.
  mutable const TTrack* FResolvedTrack = nullptr;
  // UpdateContact's findings (FTouching, FContactX, FContactY) hold for the outline as it stands
  // and for this road: asking again before the body moves finds the same, so it is not redone.
  bool FContactFresh = false;
  const TTrack2D* FContactTrack = nullptr;
  uint64_t FContactRoad = 0;
  mutable TTrack2D* FTrack2D = nullptr;
};
