#pragma once

#include <memory>

#include "agents/UKartMotion.h"
#include "agents/UPlayer2D.h"

// The car-like vehicle: steered by the front-wheel angle "Turn", driven by the force "Power",
// under rolling friction along its heading and sliding friction across it. The decision chooses
// the rates at which Turn and Power change ("PushTurn", "PushPower"). Driving costs energy; a
// kart that runs out of energy dies.
class TKart : public TPlayer2D {
public:
  static std::unique_ptr<TKart> New(double X, double Y, double Angle);

  double Turn() const { return State().Param(FTurnIndex).Value; }
  void SetTurn(double X) { State().Param(FTurnIndex).SetValue(X); }
  double Power() const { return State().Param(FPowerIndex).Value; }
  void SetPower(double X) { State().Param(FPowerIndex).SetValue(X); }
  double PushTurn() const { return State().Param(FPushTurnIndex).Value; }
  double PushPower() const { return State().Param(FPushPowerIndex).Value; }
  double MaxTurn() const { return State().Param(FTurnIndex).MaxValue; }
  double MaxPower() const { return State().Param(FPowerIndex).MaxValue; }
  double MinPower() const { return State().Param(FPowerIndex).MinValue; }
  void SetMaxPower(double X) { State().Param(FPowerIndex).MaxValue = X; }

  // What a sub-step of this kart's motion takes from its parameters' bounds and its world, at the
  // state's time.
  TKartConstants MotionConstants() const;

  bool IsKart() const override { return true; }
  bool IsTurning() const override;
  const TSchemaPtr& KindSchema() const override;
  void CreateParams() override;
  std::unique_ptr<TPlayer> Clone() const override;
  void Draw(TCanvas& Canvas) override;
  int32_t TraceColor(const TState& S) const override;
  void Advance() override;

protected:
  TKart() = default;
  void Create(double X, double Y, double Angle);

  int32_t FTurnIndex = 0;
  int32_t FPowerIndex = 0;
  int32_t FPushTurnIndex = 0;
  int32_t FPushPowerIndex = 0;
};
