#include "agents/UKart.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "agents/UUtils.h"
#include "platform/UArith.h"
#include "world/UTrack.h"
#include "world/UTrack2D.h"

namespace {

constexpr double Pi = std::numbers::pi;
// Energy a kart uses per second even at rest.
constexpr double BaseConsumption = 0.05;

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

void TKart::CreateParams() {
  TPlayer2D::CreateParams();
  TState& s = State();
  s.AddParam(TStateParam::CreateVariable("Turn", 0, Pi / 4, -Pi / 4));
  s.AddParam(TStateParam::CreateVariable("Power", 0, 15, -15));
  s.AddParam(TStateParam::CreateFree("PushTurn", 15));
  s.AddParam(TStateParam::CreateFree("PushPower", 180));
  FTurnIndex = s.IndexOfParam("Turn");
  FPowerIndex = s.IndexOfParam("Power");
  FPushTurnIndex = s.IndexOfParam("PushTurn");
  FPushPowerIndex = s.IndexOfParam("PushPower");
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

void TKart::Advance() {
  TPlayer2D::Advance();
  const double dt = DeltaT();
  const double h = dt * dt / 2;
  const TTrack2D& track = Track2D();
  const double mu = track.Settings().FFriction;
  const double sigma = track.Settings().FSideFriction;
  // Every parameter this sub-step touches, looked up once.
  TState& st = State();
  TStateParam& turn = st.Param(FTurnIndex);
  TStateParam& power = st.Param(FPowerIndex);
  TStateParam& angle = st.Param(FAngleIndex);
  TStateParam& velX = st.Param(FVelXIndex);
  TStateParam& velY = st.Param(FVelYIndex);
  TStateParam& posX = st.Param(FPosXIndex);
  TStateParam& posY = st.Param(FPosYIndex);
  TStateParam& energyLevel = st.Param(FEnergyIndex);

  // Controls: the decision sets how fast they change, the bounds keep them in range.
  if (IsDead()) {
    power.SetValue(0);
  } else {
    turn.SetValue(turn.Value + st.Param(FPushTurnIndex).Value * dt);
    power.SetValue(power.Value + st.Param(FPushPowerIndex).Value * dt);
  }

  // Velocity split at the heading into a forward and a side part.
  const double a0 = angle.Value;
  double c0, s0;
  HeadingCosSin(a0, c0, s0);
  const double vx = velX.Value, vy = velY.Value;
  double f = c0 * vx + s0 * vy;
  double fx = f * c0, fy = f * s0;
  double sx = vx - fx, sy = vy - fy;

  // Rolling friction grows with forward speed. Kept within [0, 1]: reversing faster than 100
  // pixels per second would otherwise push it past 1 and speed the kart up without bound.
  const double damp = std::clamp(1 - 10 * dt * mu * (1 + 0.01 * f), 0.0, 1.0);

  // Drive (pixels per second squared) and energy rate (per second).
  const double p = power.Value;
  double a = p;
  double e = (std::fabs(p) / 10) * (std::fabs(p) / 10) / 10 + BaseConsumption;
  if (p < 0) {
    if (f > 0) {
      // Braking: slows the kart down to a stop, never into reverse within this sub-step.
      f = std::max(f - dt * mu * 100 * power.MaxValue * std::fabs(p / power.MinValue), 0.0);
      fx = f * c0;
      fy = f * s0;
      a = 0;
      e = BaseConsumption;
    } else {
      // Reverse drive at a tenth of the force.
      a = p / 10;
    }
  }

  // Energy for this sub-step; what is missing weakens the drive.
  const double energy = energyLevel.Value;
  double need = e * dt;
  if (energy < need) {
    a = a * energy / need;
    need = energy;
  }
  a = (a > 0 ? 1 : (a < 0 ? -1 : 0)) * std::min(std::fabs(a), 200 * energy);
  energyLevel.SetValue(energy - need);
  if (energyLevel.Value == 0)
    SetDead(true);

  // Side friction takes 100 x sigma pixels per second off the side speed each second.
  const double side = std::sqrt(sx * sx + sy * sy);
  if (side > 0.0001) {
    const double k = std::max(side - 100 * dt * sigma, 0.0) / side;
    sx *= k;
    sy *= k;
  }

  // Steering: full rate from 10 pixels per second forward, less when slower, none at rest.
  SetAngle(a0 + turn.Value * dt * std::min(f / 10, 1.0));
  double c1, s1;
  HeadingCosSin(angle.Value, c1, s1);
  const double accX = a * c1;
  const double accY = a * s1;

  velX.SetValue(fx * damp + sx + dt * accX);
  velY.SetValue(fy * damp + sy + dt * accY);
  posX.SetValue(posX.Value + velX.Value * dt + accX * h);
  posY.SetValue(posY.Value + velY.Value * dt + accY * h);
  FShapeDirty = true;
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
