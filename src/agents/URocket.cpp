#include "agents/URocket.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "agents/UKartMotion.h"
#include "agents/UUtils.h"
#include "platform/UArith.h"
#include "platform/UMath.h"
#include "world/UTrack.h"
#include "world/UTrack2D.h"

// The motion's templates, after the declarations they use.
#include "agents/UMotion-inl.h"

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double Degree = Pi / 180;
// Indexes of the two tail corners in the outline, the corners the rocket lands on.
constexpr int32_t TailLeft = 2;
constexpr int32_t TailRight = 3;

} // namespace

std::unique_ptr<TRocket> TRocket::New(double X, double Y, double Angle) {
  std::unique_ptr<TRocket> rocket(new TRocket());
  rocket->Create(X, Y, Angle);
  return rocket;
}

void TRocket::Create(double X, double Y, double Angle) {
  TPlayer2D::Create();
  // In units of Size / 3, close to (3, 0), (2, 1), (-2, 2), (-2, -2), (2, -1): a nose, two
  // shoulders and the two tail corners.
  SetOutline({0, 26.6 * Degree, 135 * Degree, 225 * Degree, 333 * Degree},
             {3.0 / 3, 2.24 / 3, 2.83 / 3, 2.83 / 3, 2.24 / 3});
  Place(X, Y, Angle);
  SetSize(12);
  FTargetCount = 250;
  Commit();
}

const TSchemaPtr& TRocket::KindSchema() const {
  static const TSchemaPtr schema = TPlayer2D::KindSchema()->Then({
      TStateParam::CreateVariable("MainPower", 0, 50, 0),
      TStateParam::CreateVariable("RotaPower", 0, 3, -3),
      TStateParam::CreateFree("MainPush", 80),
      TStateParam::CreateFree("RotaPush", 15),
  });
  return schema;
}

void TRocket::CreateParams() {
  TPlayer2D::CreateParams();
  const TState& s = State();
  FRotaPowerIndex = s.IndexOfParam("RotaPower");
  FMainPowerIndex = s.IndexOfParam("MainPower");
  FRotaPushIndex = s.IndexOfParam("RotaPush");
  FMainPushIndex = s.IndexOfParam("MainPush");
  FLaneParam[bfControl1] = FMainPowerIndex;
  FLaneParam[bfControl2] = FRotaPowerIndex;
  FLaneParam[bfPush1] = FMainPushIndex;
  FLaneParam[bfPush2] = FRotaPushIndex;
}

std::unique_ptr<TPlayer> TRocket::Clone() const {
  std::unique_ptr<TRocket> copy = New(0, 0, 0);
  copy->Assign(*this);
  return copy;
}

bool TRocket::IsTurning() const {
  return PushesTurn(FRotaPushIndex);
}

int32_t TRocket::TraceColor(const TState& S) const {
  return TurnTraceColor(S, FRotaPushIndex);
}

TRocketConstants TRocket::MotionConstants() const {
  TRocketConstants c;
  c.Dt = DeltaT();
  c.Bounds = LaneBounds();
  return c;
}

void TRocket::Advance() {
  TPlayer2D::Advance();
  TBodyMotion<TScalarOps> m = MotionOfState();
  AdvanceRocket(m, MotionConstants());
  TakeMotion(m);
}

void TRocket::Crash(double Impact) {
  const double a = Angle();
  double ca, sa;
  SinCos(a, sa, ca);
  const double w = VelRot();
  double e = 10 * w * w + (Impact / 2) * (Impact / 2);
  // Where the contact lies along the body: about +1 at the nose, -1 at the tail.
  const double size = Size();
  const double p = ca * (FContactX - PosX()) / size + sa * (FContactY - PosY()) / size;
  double threshold = 5;
  if (p < -0.6) {
    // A touch on the tail hurts less the more upright the rocket stands.
    const double up = std::max(0.0, -sa);
    const double g = up * up * up * up;
    e = e / (g + 1);
    threshold = 10 * g;
  }
  LowerHealth(Health() - std::max(e - threshold, 0.0));

  // Landing: upright within about 18 degrees, both tail corners just above black ground.
  if (IsDead() || !(Health() > 0) || !(sa < -0.95))
    return;
  UpdateShape();
  const TTrack2D& track = Track2D();
  const TPoint& left = FPoints[TailLeft];
  const TPoint& right = FPoints[TailRight];
  if (track.PixelOnRoad(left.X, CheckedAdd(left.Y, 2)) ||
      track.PixelOnRoad(right.X, CheckedAdd(right.Y, 2)))
    return;
  TParamValues& main = State().Param(FMainPowerIndex);
  if (Energy() < 50 && !track.Evolution()) {
    // Sits and refuels, and a future in which it does so scores higher.
    main.SetValue(0);
    State().Param(FRotaPowerIndex).SetValue(0);
    SetEnergy(Energy() + 1);
    State().AddScore(Health() / 100, 1);
  } else {
    main.SetValue(std::max(main.Value, 20.0));
  }
}

void TRocket::Draw(TCanvas& Canvas) {
  TPlayer2D::Draw(Canvas);
  TCanvas* canvas = &Canvas;
  const double x = PosX(), y = PosY(), size = Size(), a = Angle();
  const double ca = std::cos(a), sa = std::sin(a);

  // Window.
  canvas->SetBrushColor(MakeColor(0xA6, 0xCA, 0xF0));
  canvas->SetPenColor(MakeColor(0, 0, 255));
  canvas->Ellipse(RoundToInt32(x - 0.3 * size), RoundToInt32(y - 0.3 * size),
                  RoundToInt32(x + 0.3 * size), RoundToInt32(y + 0.3 * size));

  // Flame backward from the tail, MainPower pixels long; side jet across the tail, 10 pixels per
  // unit of RotaPower.
  const int32_t tx = RoundToInt32(x - size * ca);
  const int32_t ty = RoundToInt32(y - size * sa);
  const double main = MainPower(), rota = RotaPower();
  canvas->SetPenColor(MakeColor(255, 0, 0));
  canvas->Line(tx, ty, CheckedAdd(tx, -RoundToInt32(main * ca)),
               CheckedAdd(ty, -RoundToInt32(main * sa)));
  canvas->Line(tx, ty, CheckedAdd(tx, RoundToInt32(10 * rota * std::cos(a + Pi / 2))),
               CheckedAdd(ty, RoundToInt32(10 * rota * std::sin(a + Pi / 2))));
}
