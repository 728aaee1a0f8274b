#include "support/TestWorld.h"

#include <algorithm>

std::unique_ptr<TLinePlayer> TLinePlayer::New(double X, double Range) {
  std::unique_ptr<TLinePlayer> player(new TLinePlayer());
  player->FRange = Range;
  player->Create();
  player->State().Param(player->PosXIndex).SetValue(X);
  player->Commit();
  return player;
}

void TLinePlayer::CreateParams() {
  TPlayer::CreateParams();
  State().AddParam(TStateParam::CreatePositional("PosX", 0, 15));
  State().AddParam(TStateParam::CreateVariable("Speed", 0, 20, -20));
  State().AddParam(TStateParam::CreateFree("Push", FRange));
  PosXIndex = State().IndexOfParam("PosX");
  PushIndex = State().IndexOfParam("Push");
  SpeedIndex = State().IndexOfParam("Speed");
}

std::unique_ptr<TPlayer> TLinePlayer::Clone() const {
  std::unique_ptr<TLinePlayer> copy = New(0, FRange);
  copy->Assign(*this);
  copy->WantsChild = WantsChild;
  return copy;
}

void TLinePlayer::Advance() {
  TPlayer::Advance();
  TParamValues& speed = State().Param(SpeedIndex);
  speed.SetValue(speed.Value + State().Param(PushIndex).Value * DeltaT());
  TParamValues& x = State().Param(PosXIndex);
  x.SetValue(x.Value + speed.Value * DeltaT());
}

void TGoalRight::Compute(TPlayer& Player, int32_t Phase) {
  if (Phase != 0)
    return;
  const TLinePlayer& player = static_cast<const TLinePlayer&>(Player);
  const TParamValues& x = player.State().Param(player.PosXIndex);
  FScoreAdd = std::max(0.0, x.Value - x.StartValue);
}
