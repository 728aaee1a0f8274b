#include "agents/UPlayer2D.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "agents/UMotionOps.h"
#include "agents/UUtils.h"
#include "goals/UGoal2DRaced.h"
#include "goals/UGoalDuplicate.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/UMath.h"
#include "platform/UPicture.h"
#include "world/UTrack2D.h"

namespace {

constexpr double Pi = std::numbers::pi;

const int32_t Black = MakeColor(0, 0, 0);
const int32_t White = MakeColor(255, 255, 255);

int32_t Sign(double X) {
  return X > 0 ? 1 : (X < 0 ? -1 : 0);
}

} // namespace

TPlayer2D::TPlayer2D() {
  // The plain body is a triangle: the nose on the heading, two rear corners at +-144 degrees.
  SetOutline({0, 0.8 * Pi, -0.8 * Pi}, {1, 1, 1});
}

void TPlayer2D::Create() {
  TPlayer::Create();
  SetPosX(10);
  SetPosY(10);
  SetAngle(0);
  FTargetCount = 100;
  AddGoal(std::make_unique<TGoal2DRaced>(1.0));
  AddGoal(std::make_unique<TGoalDuplicate>(0.5));
}

const TSchemaPtr& TPlayer2D::KindSchema() const {
  static const TSchemaPtr schema = TPlayer::KindSchema()->Then({
      TStateParam::CreatePositional("PosX", 0, 15),
      TStateParam::CreatePositional("PosY", 0, 15),
      TStateParam::CreateVariable("Angle2", 0, 0, 0),
      TStateParam::CreateVariable("Angle", 0, 0, 0),
      TStateParam::CreateVariable("VelX", 0, 0, 0),
      TStateParam::CreateVariable("VelY", 0, 0, 0),
      TStateParam::CreateVariable("VelRot", 0, 0, 0),
  });
  return schema;
}

void TPlayer2D::CreateParams() {
  TPlayer::CreateParams();
  const TState& s = State();
  FPosXIndex = s.IndexOfParam("PosX");
  FPosYIndex = s.IndexOfParam("PosY");
  FAngleIndex = s.IndexOfParam("Angle");
  FAngle2Index = s.IndexOfParam("Angle2");
  FVelXIndex = s.IndexOfParam("VelX");
  FVelYIndex = s.IndexOfParam("VelY");
  FVelRotIndex = s.IndexOfParam("VelRot");
  FLaneParam[bfPosX] = FPosXIndex;
  FLaneParam[bfPosY] = FPosYIndex;
  FLaneParam[bfAngle] = FAngleIndex;
  FLaneParam[bfVelX] = FVelXIndex;
  FLaneParam[bfVelY] = FVelYIndex;
  FLaneParam[bfVelRot] = FVelRotIndex;
  FLaneParam[bfSize] = FSizeIndex;
  FLaneParam[bfDead] = FDeadIndex;
  FLaneParam[bfHealth] = FHealthIndex;
  FLaneParam[bfEnergy] = FEnergyIndex;
  ForgetSavedPose();
}

void TPlayer2D::SetOutline(std::vector<double> Angles, std::vector<double> Radii) {
  FOutlineAngles = std::move(Angles);
  FOutlineRadii = std::move(Radii);
  FOutlineUnit.resize(FOutlineAngles.size());
  for (size_t i = 0; i < FOutlineAngles.size(); ++i)
    FOutlineUnit[i] = {FOutlineRadii[i] * std::cos(FOutlineAngles[i]),
                       FOutlineRadii[i] * std::sin(FOutlineAngles[i])};
  // The storage is resized to the new vertex count on the next UpdateShape.
  FFirstShape = true;
  FShapeDirty = true;
}

void TPlayer2D::Assign(const TPlayer& Source) {
  TPlayer::Assign(Source);
  FShapeDirty = true;
}

// ---- world ----

TTrack2D* TPlayer2D::FindTrack2D() const {
  if (FTeam == nullptr || FTeam->FTrack == nullptr)
    return nullptr;
  const TTrack* track = FTeam->FTrack;
  if (track != FResolvedTrack) {
    FResolvedTrack = track;
    FTrack2D = dynamic_cast<TTrack2D*>(FTeam->FTrack);
  }
  return FTrack2D;
}

TTrack2D& TPlayer2D::ResolveTrack2D() const {
  TTrack2D* track = FindTrack2D();
  if (track == nullptr) {
    Track(); // raises when there is no world at all
    throw EError("Player2D belongs to a world that is not a Track2D.");
  }
  return *track;
}

// ---- accessors ----

void TPlayer2D::SetPosX(double X) {
  State().Param(FPosXIndex).SetValue(X);
  FShapeDirty = true;
}

void TPlayer2D::SetPosY(double Y) {
  State().Param(FPosYIndex).SetValue(Y);
  FShapeDirty = true;
}

void TPlayer2D::SetAngle(double X) {
  TState& s = State();
  s.Param(FAngleIndex).SetValue(X);
  // Whole degrees; the remainder keeps the sign of the heading, so -359 .. 359.
  const int64_t degrees = RoundToInt32(X * 180 / Pi);
  s.Param(FAngle2Index).SetValue(static_cast<double>(degrees % 360));
  FShapeDirty = true;
}

// ---- futures side by side ----

void TPlayer2D::LoadLane(const TBodyLanes& Lanes, int32_t Lane, int64_t Time) {
  TState& s = State();
  for (int32_t f = 0; f < bfCount; ++f)
    s.Param(FLaneParam[f]).Value = Lanes.F[f][Lane];
  SetAngle(Lanes.F[bfAngle][Lane]); // and "Angle2" with it
  // The lane holds the heading's cosine and sine already: the outline need not take them again.
  KeepHeadingCosSin(Lanes.F[bfAngle][Lane], Lanes.Cos[Lane], Lanes.Sin[Lane]);
  s.Param(FPosXIndex).StartValue = Lanes.StartX[Lane];
  s.Param(FPosYIndex).StartValue = Lanes.StartY[Lane];
  s.Param(FPosXIndex).SavedValue = Lanes.SavedX[Lane];
  s.Param(FPosYIndex).SavedValue = Lanes.SavedY[Lane];
  s.Param(FAngleIndex).SavedValue = Lanes.SavedAngle[Lane];
  s.Time = Time;
  s.DeathTime = static_cast<int64_t>(Lanes.DeathTime[Lane]);
  for (int32_t i = 0; i < 2; ++i)
    s.FreeParam(i).Milli = Lanes.FreeMilli[i][Lane];
  s.ChosenFreeParam = Lanes.Chosen[Lane];
  s.ScorePositive = Lanes.Positive[Lane];
  s.ScoreFactor = Lanes.Factor[Lane];
  s.ScoreNegative = Lanes.Negative[Lane];
  FShapeDirty = true;
}

void TPlayer2D::StoreLane(TBodyLanes& Lanes, int32_t Lane) const {
  const TState& s = State();
  for (int32_t f = 0; f < bfCount; ++f)
    Lanes.F[f][Lane] = s.Param(FLaneParam[f]).Value;
  Lanes.StartX[Lane] = s.Param(FPosXIndex).StartValue;
  Lanes.StartY[Lane] = s.Param(FPosYIndex).StartValue;
  Lanes.SavedX[Lane] = s.Param(FPosXIndex).SavedValue;
  Lanes.SavedY[Lane] = s.Param(FPosYIndex).SavedValue;
  Lanes.SavedAngle[Lane] = s.Param(FAngleIndex).SavedValue;
  Lanes.DeathTime[Lane] = static_cast<double>(s.DeathTime);
  for (int32_t i = 0; i < 2; ++i)
    Lanes.FreeMilli[i][Lane] = s.FreeParam(i).Milli;
  Lanes.Chosen[Lane] = s.ChosenFreeParam;
  Lanes.Positive[Lane] = s.ScorePositive;
  Lanes.Factor[Lane] = s.ScoreFactor;
  Lanes.Negative[Lane] = s.ScoreNegative;
  HeadingCosSin(Lanes.F[bfAngle][Lane], Lanes.Cos[Lane], Lanes.Sin[Lane]);
}

TBodyBounds TPlayer2D::LaneBounds() const {
  TBodyBounds bounds;
  for (int32_t f = 0; f < bfCount; ++f) {
    const TParamValues& p = State().Param(FLaneParam[f]);
    bounds[f] = {p.MinValue, p.MaxValue};
  }
  return bounds;
}

TBodyMotion<TScalarOps> TPlayer2D::MotionOfState() const {
  const TState& s = State();
  TBodyMotion<TScalarOps> m;
  for (int32_t f = 0; f < bfCount; ++f)
    m.F[f] = s.Param(FLaneParam[f]).Value;
  m.DeathTime = static_cast<double>(s.DeathTime);
  HeadingCosSin(m.F[bfAngle], m.Cos0, m.Sin0);
  return m;
}

void TPlayer2D::TakeMotion(const TBodyMotion<TScalarOps>& Motion) {
  TState& s = State();
  for (int32_t f = 0; f < bfCount; ++f)
    s.Param(FLaneParam[f]).Value = Motion.F[f];
  s.DeathTime = static_cast<int64_t>(Motion.DeathTime);
  SetAngle(Motion.F[bfAngle]); // and "Angle2" with it
  KeepHeadingCosSin(Motion.F[bfAngle], Motion.Cos1, Motion.Sin1);
}

// ---- pose ----

void TPlayer2D::Place(double X, double Y, double Angle) {
  SetPosX(X);
  SetPosY(Y);
  SetAngle(Angle);
  SetVelX(0);
  SetVelY(0);
  SetVelRot(0);
  // The new place may touch a wall; stepping back toward the old saved pose would drag the body
  // across the picture, so it waits for a pose found clear here.
  ForgetSavedPose();
  Commit();
}

void TPlayer2D::MoveBy(double DX, double DY, double DAngle) {
  SetPosX(PosX() + DX);
  SetPosY(PosY() + DY);
  if (DAngle != 0)
    SetAngle(Angle() + DAngle);
}

void TPlayer2D::ForgetSavedPose() {
  // Kept in the state rather than in a flag of the player, so that every future, being a copy of
  // the real state, knows whether the real body had a clear pose.
  TState& s = State();
  const double none = std::numeric_limits<double>::quiet_NaN();
  s.Param(FPosXIndex).SavedValue = none;
  s.Param(FPosYIndex).SavedValue = none;
  s.Param(FAngleIndex).SavedValue = none;
}

bool TPlayer2D::HasSavedPose() const {
  const TState& s = State();
  return !std::isnan(s.Param(FPosXIndex).SavedValue) &&
         !std::isnan(s.Param(FPosYIndex).SavedValue) &&
         !std::isnan(s.Param(FAngleIndex).SavedValue);
}

void TPlayer2D::SaveValidPose() {
  TState& s = State();
  s.Param(FPosXIndex).SaveValue();
  s.Param(FPosYIndex).SaveValue();
  s.Param(FAngleIndex).SaveValue();
}

// ---- outline ----

void TPlayer2D::RebuildShape() {
  const size_t n = FOutlineUnit.size();
  if (FFirstShape) {
    FPoints.resize(n);
    FVertices.resize(n);
    FEdges.resize(n);
    FFirstShape = false;
    FShapeDirty = true;
  }
  if (!FShapeDirty)
    return;
  const TState& s = State();
  const double x = s.Param(FPosXIndex).Value;
  const double y = s.Param(FPosYIndex).Value;
  const double a = s.Param(FAngleIndex).Value;
  const double size = Size();
  // One sine and cosine for the heading; each vertex turns its precomputed offset by it.
  double c, sn;
  HeadingCosSin(a, c, sn);
  c *= size;
  sn *= size;
  for (size_t i = 0; i < n; ++i) {
    const TVertex& u = FOutlineUnit[i];
    TVertex& v = FVertices[i];
    v.X = x + c * u.X - sn * u.Y;
    v.Y = y + sn * u.X + c * u.Y;
    FPoints[i] = {RoundToInt32(v.X), RoundToInt32(v.Y)};
  }
  FShapeDirty = false;
  FEdgesDirty = true;
  FContactFresh = false;
}

void TPlayer2D::UpdateEdges() {
  UpdateShape();
  if (!FEdgesDirty)
    return;
  FEdgesDirty = false;
  const size_t n = FPoints.size();
  FEdges.resize(n);
  // From the rounded points, the same points ContainsPoint measures from: with exact edges a
  // rounded vertex of the outline could fall outside its own outline.
  for (size_t i = 0; i < n; ++i) {
    const TPoint& p = FPoints[i];
    const TPoint& q = FPoints[i + 1 < n ? i + 1 : 0];
    FEdges[i] = {static_cast<double>(q.X) - p.X, static_cast<double>(q.Y) - p.Y};
  }
}

bool TPlayer2D::PushesTurn(int32_t PushIndex) const {
  return State().Param(PushIndex).RoundedValue() != 0;
}

int32_t TPlayer2D::TurnTraceColor(const TState& S, int32_t PushIndex) const {
  // From 155 at the start of a future to 255 at its end.
  const int32_t shade = RoundToInt32(100.0 * S.Time / Track().Settings().FFutureMs + 155);
  if (S.Param(PushIndex).RoundedValue() > 0)
    return MakeColor(255, shade, shade);
  return MakeColor(shade, shade, 255);
}

void TPlayer2D::HeadingCosSin(double Heading, double& Cos, double& Sin) const {
  if (Heading != FHeading) {
    FHeading = Heading;
    // The same function as the motion's, the program's own: the outline, and with it every
    // contact, is the same on every processor and in the lanes.
    TScalarOps::SinCos(Heading, FHeadingSin, FHeadingCos);
  }
  Cos = FHeadingCos;
  Sin = FHeadingSin;
}

bool TPlayer2D::ContainsPoint(double X, double Y) {
  UpdateEdges();
  int32_t first = 0;
  for (size_t i = 0; i < FPoints.size(); ++i) {
    const TPoint& p = FPoints[i];
    const TVertex& e = FEdges[i];
    const int32_t s = Sign((X - p.X) * e.Y - (Y - p.Y) * e.X);
    if (s == 0)
      continue;
    if (first == 0)
      first = s;
    else if (s != first)
      return false;
  }
  return true;
}

bool TPlayer2D::CollidesWith(TPlayer& Other) {
  TPlayer2D* other = Other.AsPlayer2D();
  if (other == nullptr)
    return false;
  UpdateShape();
  other->UpdateShape();
  for (const TPoint& p : other->FPoints)
    if (ContainsPoint(p.X, p.Y))
      return true;
  return false;
}

// ---- road contact ----

bool TPlayer2D::IsInsidePicture() {
  UpdateShape();
  const TTrack2D& track = Track2D();
  for (const TPoint& p : FPoints)
    if (!track.PixelInPicture(p.X, p.Y))
      return false;
  return true;
}

void TPlayer2D::UpdateContact() {
  UpdateShape();
  const TTrack2D& track = Track2D();
  // Nothing moved since the last look (any move marks the outline dirty): the same contact
  // would be found, and a clear pose would be saved again unchanged.
  if (FContactFresh && FContactTrack == &track && FContactRoad == track.RoadVersion())
    return;
  FContactFresh = true;
  FContactTrack = &track;
  FContactRoad = track.RoadVersion();
  int32_t count = 0;
  for (size_t i = 0; i < FPoints.size(); ++i) {
    if (track.PixelOnRoad(FPoints[i].X, FPoints[i].Y))
      continue;
    if (count == 0) {
      FContactX = 0;
      FContactY = 0;
    }
    FContactX += FVertices[i].X;
    FContactY += FVertices[i].Y;
    ++count;
  }
  if (count >= 1) {
    FContactX /= count;
    FContactY /= count;
  } else {
    SaveValidPose();
  }
  FTouching = count > 0;
}

void TPlayer2D::ResolveWallContact() {
  if (!FTouching)
    return;
  // Step back toward the last clear pose, a tenth at a time. Without one (a body placed on a
  // wall) there is nowhere to step back to, and the body only bounces.
  double mx = 0, my = 0, ma = 0;
  if (HasSavedPose()) {
    const TState& s = State();
    mx = (s.Param(FPosXIndex).SavedValue - PosX()) / StepBackTries;
    my = (s.Param(FPosYIndex).SavedValue - PosY()) / StepBackTries;
    ma = (s.Param(FAngleIndex).SavedValue - Angle()) / StepBackTries;
    for (int32_t k = 0; k < StepBackTries; ++k) {
      MoveBy(mx, my, ma);
      UpdateContact();
      if (!FTouching) {
        // Back to the last touching pose, with a fresh contact point to bounce from.
        MoveBy(-mx, -my, -ma);
        UpdateContact();
        break;
      }
    }
  }
  const double rx = FContactX - PosX();
  const double ry = FContactY - PosY();
  const double d = std::sqrt(rx * rx + ry * ry);
  if (d == 0)
    return;
  const double nx = rx / d;
  const double ny = ry / d;
  const double w = VelRot();
  // Negated velocity of the contact point.
  const double ux = w * ry - VelX();
  const double uy = -(VelY() + w * rx);
  const double impact = std::sqrt(ux * ux + uy * uy);
  const double g = ux * nx + uy * ny;
  SetVelX((VelX() + 2 * g * nx) * WallBounce);
  SetVelY((VelY() + 2 * g * ny) * WallBounce);
  SetVelRot(WallBounce * (nx * (uy - g * ry) - ny * (ux - g * rx)) / d);
  if (mx != 0 || my != 0 || ma != 0)
    MoveBy(mx, my, ma);
  UpdateContact();
  Crash(impact);
}

// ---- motion ----

void TPlayer2D::Advance() {
  TPlayer::Advance();
  UpdateContact();
  if (!IsInsidePicture())
    SetDead(true);
  if (AILevel() <= 3 && Health() < 1 && InFuture()) {
    SetVelX(0);
    SetVelY(0);
    SetVelRot(0);
  }
  // A dead body shrinks by 0.5 pixel per second of real time, until the team removes it.
  if (IsDead() && !InFuture())
    SetSize(Size() - 0.5 * DeltaT());
}

// ---- drawing ----

void TPlayer2D::Draw(TCanvas& Canvas) {
  if (FTeam == nullptr || FTeam->FTrack == nullptr)
    return;
  TPlayer::Draw(Canvas);
  UpdateShape();
  TCanvas* canvas = &Canvas;
  canvas->SetPenColor(Black);
  canvas->SetBrushColor(Color());
  canvas->Polygon(FPoints.data(), static_cast<int32_t>(FPoints.size()));
  if (IsDead()) {
    const double x = PosX(), y = PosY(), size = Size();
    canvas->Line(RoundToInt32(x - size), RoundToInt32(y - size), RoundToInt32(x + size),
                 RoundToInt32(y + size));
    canvas->Line(RoundToInt32(x - size), RoundToInt32(y + size), RoundToInt32(x + size),
                 RoundToInt32(y - size));
    return;
  }
  DrawLevel(Canvas, 0, Energy());
  DrawLevel(Canvas, 3, Health());
  if (DrawsLevels() && AILevel() == 8 && State().HasFreeParams())
    DrawLevel(Canvas, 10, 100 * State().FreeParam(0).Sensitivity);
}

void TPlayer2D::DrawLevel(TCanvas& Canvas, int32_t Offset, double V) const {
  if (V <= 0)
    return;
  TCanvas* canvas = &Canvas;
  const double size = Size();
  const double y = PosY();
  const double x0 = PosX() + 1.3 * size + Offset;
  canvas->SetPenColor(MakeColor(150, 150, 150));
  canvas->SetBrushColor(White);
  canvas->Rectangle(RoundToInt32(x0), RoundToInt32(y + size + 1), RoundToInt32(x0 + 4),
                    RoundToInt32(y - size - 1));
  int32_t color;
  if (V > 80)
    color = MakeColor(0, 128, 0);
  else if (V > 60)
    color = MakeColor(255, 255, 0);
  else if (V > 40)
    color = MakeColor(255, 150, 100);
  else
    color = MakeColor(255, 0, 0);
  canvas->SetBrushColor(color);
  // The bar rises from the bottom of the frame: 2 x Size pixels at 100.
  canvas->Rectangle(RoundToInt32(x0), RoundToInt32(y + size), RoundToInt32(x0 + 4),
                    RoundToInt32(y + size - RoundToInt32(2 * size * V / 100)));
}

void TPlayer2D::RecordTrace() {
  if (!IsTurning() || !InFuture())
    return;
  Futures().AddTraceSegment({RoundToInt32(PrevPosX()), RoundToInt32(PrevPosY()),
                             RoundToInt32(PosX()), RoundToInt32(PosY()), TraceColor(State())});
}

void TPlayer2D::DrawStoredTrace(int32_t I, TCanvas& Canvas) {
  TCanvas* canvas = &Canvas;
  for (const TListOfFutures::TTraceSegment& segment : Futures().Trace(I)) {
    canvas->SetPenColor(segment.Color);
    canvas->Line(segment.X1, segment.Y1, segment.X2, segment.Y2);
  }
}

void TPlayer2D::DrawEndPoint(const TState& S, TCanvas& Canvas) {
  TCanvas* canvas = &Canvas;
  // Every state of this player holds its parameters at the same indexes.
  const int32_t x = RoundToInt32(S.Param(FPosXIndex).Value);
  const int32_t y = RoundToInt32(S.Param(FPosYIndex).Value);
  const long double score = S.GetScore();
  const long double d = std::min(100.0L, std::fabs(score) * FEndPointScale);
  const int32_t r = RoundToInt32(d + 1);
  FEndPointMax = std::max(FEndPointMax, d);
  const int32_t x1 = CheckedAdd(x, -r), y1 = CheckedAdd(y, -r);
  const int32_t x2 = CheckedAdd(x, r), y2 = CheckedAdd(y, r);
  if (score >= 0) {
    canvas->SetPenColor(TraceColor(S));
    canvas->SetBrushClear();
    canvas->Ellipse(x1, y1, x2, y2);
  } else {
    canvas->SetPenColor(White);
    canvas->SetBrushColor(Black);
    canvas->Rectangle(x1, y1, x2, y2);
  }
}
