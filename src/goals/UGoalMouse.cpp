#include "goals/UGoalMouse.h"

#include <algorithm>
#include <cmath>

#include "agents/UPlayer2D.h"
#include "agents/UUtils.h"
#include "platform/UCanvas.h"
#include "world/UTrack2D.h"

TGoalMouse::TGoalMouse(bool Avoid, double Value) : TGoal(Value, gpAfterSubStep), FAvoid(Avoid) {
  SetValue(Value);
  FDescription = Avoid ? "Avoid mouse" : "Follow mouse";
}

void TGoalMouse::Compute(TPlayer& Player, int32_t Phase) {
  if (Phase != 0 || Player.IsDead())
    return;
  const TPlayer2D* body = Player.AsPlayer2D();
  const TTrack2D* track = body != nullptr ? body->FindTrack2D() : nullptr;
  if (track == nullptr || !track->MouseInside())
    return;
  const double dx = body->PosX() - track->MouseX();
  const double dy = body->PosY() - track->MouseY();
  // Distance in body sizes, then in hundreds of them.
  const double q = std::sqrt(dx * dx + dy * dy) / (body->Size() + 1) / 100;
  FScoreMult = FAvoid ? std::min(1.0, std::sqrt(q)) : std::sqrt(1 / (q + 1));
}

void TGoalMouse::Draw(const TPlayer* Player, TCanvas& Canvas) {
  const TPlayer2D* body = Player != nullptr ? Player->AsPlayer2D() : nullptr;
  const TTrack2D* track = body != nullptr ? body->FindTrack2D() : nullptr;
  if (track == nullptr)
    return;
  const int32_t mx = track->MouseX();
  const int32_t my = track->MouseY();
  TCanvas& canvas = Canvas;
  canvas.SetPenColor(MakeColor(0, 0, 255));
  canvas.SetBrushClear();
  canvas.Ellipse(mx - 10, my - 10, mx + 10, my + 10);
  canvas.Line(mx, my - 10, mx, my + 10);
  canvas.Line(mx - 10, my, mx + 10, my);
}
