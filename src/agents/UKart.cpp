#include "agents/UKart.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "agents/URocketMotion.h"
#include "agents/UUtils.h"
#include "platform/UArith.h"
#include "world/UTrack.h"
#include "world/UTrack2D.h"

// The motion's templates, after the declarations they use.
#include "agents/UMotion-inl.h"

namespace {

constexpr double Pi = std::numbers::pi;

} // namespace

std::unique_ptr<TKart> TKart::New(double X, double Y, double Angle) {
  std::unique_ptr<TKart> kart(new TKart());
  kart->Create(X, Y, Angle);
  return kart;
}

void TKart::Create(double X, double Y, double Angle) {
  TPlayer2D::Create();
  // A trapezoid: front corners at +-18 degrees, rear corners at +-144 degrees, all at Size.
  SetOutline({-0.1 * Pi, 0.1 * Pi, 0.8 * Pi, -0.8 * Pi}, {1, 1, 1, 1});
  Place(X, Y, Angle);
  SetSize(10);
  FTargetCount = 80;
  Commit();
}

const TSchemaPtr& TKart::KindSchema() const {
  static const TSchemaPtr schema = TPlayer2D::KindSchema()->Then({
      TStateParam::CreateVariable("Turn", 0, Pi / 4, -Pi / 4),
      TStateParam::CreateVariable("Power", 0, 15, -15),
      TStateParam::CreateFree("PushTurn", 15),
      TStateParam::CreateFree("PushPower", 180),
  });
  return schema;
}

void TKart::CreateParams() {
  TPlayer2D::CreateParams();
  const TState& s = State();
  FTurnIndex = s.IndexOfParam("Turn");
  FPowerIndex = s.IndexOfParam("Power");
  FPushTurnIndex = s.IndexOfParam("PushTurn");
  FPushPowerIndex = s.IndexOfParam("PushPower");
  FLaneParam[bfControl1] = FTurnIndex;
  FLaneParam[bfControl2] = FPowerIndex;
  FLaneParam[bfPush1] = FPushTurnIndex;
  FLaneParam[bfPush2] = FPushPowerIndex;
}

std::unique_ptr<TPlayer> TKart::Clone() const {
  std::unique_ptr<TKart> copy = New(0, 0, 0);
  copy->Assign(*this);
  return copy;
}

bool TKart::IsTurning() const {
  return PushesTurn(FPushTurnIndex);
}

int32_t TKart::TraceColor(const TState& S) const {
  return TurnTraceColor(S, FPushTurnIndex);
}

TKartConstants TKart::MotionConstants() const {
  const TTrack2D& track = Track2D();
  TKartConstants c;
  c.Dt = DeltaT();
  c.Mu = track.Settings().FFriction;
  c.Sigma = track.Settings().FSideFriction;
  c.Time = static_cast<double>(State().Time);
  c.Bounds = LaneBounds();
  return c;
}

void TKart::Advance() {
  TPlayer2D::Advance();
  TBodyMotion<TScalarOps> m = MotionOfState();
  AdvanceKart(m, MotionConstants());
  TakeMotion(m);
}

void TKart::Draw(TCanvas& Canvas) {
  TPlayer2D::Draw(Canvas);
  TCanvas* canvas = &Canvas;
  const int32_t black = MakeColor(0, 0, 0);
  const int32_t white = MakeColor(255, 255, 255);
  const double x = PosX(), y = PosY(), size = Size(), a = Angle(), turn = Turn();
  const double power = Power();

  // Front wheels, along the heading plus the steering angle.
  for (int32_t side = -1; side <= 1; side += 2) {
    const int32_t bx = RoundToInt32(x + 0.8 * size * std::cos(a + side * 0.3 * Pi));
    const int32_t by = RoundToInt32(y + 0.8 * size * std::sin(a + side * 0.3 * Pi));
    const int32_t ex = CheckedAdd(bx, RoundToInt32(0.6 * size * std::cos(a + turn)));
    const int32_t ey = CheckedAdd(by, RoundToInt32(0.6 * size * std::sin(a + turn)));
    canvas->SetPenColor(black);
    canvas->SetPenWidth(2);
    canvas->Line(bx, by, ex, ey);
    canvas->SetPenWidth(1);
  }

  // Control stick: forward by 0.6 x Size at full throttle, sideways by Size at full lock.
  const double t = power >= 0 ? (MaxPower() != 0 ? power / MaxPower() : 0)
                              : (MinPower() != 0 ? power / std::fabs(MinPower()) : 0);
  const double s = MaxTurn() != 0 ? turn / MaxTurn() : 0;
  const double kx = x + size * (0.6 * t * std::cos(a) - s * std::sin(a));
  const double ky = y + size * (0.6 * t * std::sin(a) + s * std::cos(a));
  const int32_t r = RoundToInt32(0.4 * size);
  canvas->SetPenColor(black);
  canvas->SetPenWidth(2);
  canvas->Line(RoundToInt32(x), RoundToInt32(y), RoundToInt32(kx), RoundToInt32(ky));
  canvas->SetPenWidth(1);

  // Knob: white to green with throttle, white to yellow with brake or reverse.
  int32_t knob;
  if (power >= 0) {
    const int32_t w = RoundToInt32(255 * std::sqrt(MaxPower() != 0 ? power / MaxPower() : 0));
    knob = MakeColor(255 - w, 255, 255 - w);
  } else {
    const int32_t w = RoundToInt32(255 * std::sqrt(power / MinPower()));
    knob = MakeColor(255, 255, 255 - w);
  }
  const int32_t x1 = RoundToInt32(kx - r), y1 = RoundToInt32(ky - r);
  const int32_t x2 = RoundToInt32(kx + r), y2 = RoundToInt32(ky + r);
  canvas->SetPenColor(MakeColor(192, 192, 192));
  canvas->SetBrushColor(knob);
  canvas->Ellipse(x1, y1, x2, y2);
  canvas->SetPenColor(white);
  canvas->SetBrushColor(white);
  canvas->Ellipse(RoundToInt32(kx - 0.8 * r), RoundToInt32(ky - 0.8 * r),
                  RoundToInt32(kx + 0.2 * r), RoundToInt32(ky + 0.2 * r));
  canvas->SetBrushClear();
  canvas->SetPenColor(black);
  canvas->Ellipse(x1, y1, x2, y2);
}
