#pragma once

#include <memory>

#include "decision/UListOfFutures.h"
#include "support/TestWorld.h"

// A line player with a second free parameter "Spin", to see how the decision treats options that
// pushed the other parameter.
class TTwinPlayer : public TLinePlayer {
public:
  static std::unique_ptr<TTwinPlayer> New(double Range = 180) {
    std::unique_ptr<TTwinPlayer> player(new TTwinPlayer());
    player->FRange = Range;
    player->Create();
    return player;
  }
  void CreateParams() override {
    TLinePlayer::CreateParams();
    State().AddParam(TStateParam::CreateFree("Spin", 15));
  }
};

// Hands the owner's list a finished future: first action Push (recorded in Milli) on the given
// free parameter, end position PosX, and the given score sums. Answers the future as stored.
inline TState AddTestFuture(TLinePlayer& Owner, double Push, double PosX, long double Positive,
                            long double Negative = 0, int32_t Chosen = 0, double Other = 0) {
  TState s(&Owner);
  s.Assign(Owner.RealState());
  s.FreeParam(0).SetValue(Push);
  if (s.FreeParamCount() > 1)
    s.FreeParam(1).SetValue(Other);
  if (Chosen == 1)
    std::swap(s.FreeParam(0).Value, s.FreeParam(1).Value);
  for (int32_t i = 0; i < s.FreeParamCount(); ++i)
    s.FreeParam(i).UpdateMilli();
  s.Param(Owner.PosXIndex).SetValue(PosX);
  s.ScorePositive = Positive;
  s.ScoreNegative = Negative;
  s.ChosenFreeParam = Chosen;
  TListOfFutures& list = Owner.Futures();
  return list.GetFuture(list.AddFuture(s));
}
