#pragma once

#include <memory>

#include "agents/UPlayer2D.h"
#include "agents/URocketMotion.h"

// The flying vehicle: pulled down by gravity, pushed along its heading by the main engine
// ("MainPower") and turned by the rotation engine ("RotaPower"), with a little air drag and no
// track friction. The decision chooses the rates at which the engines change ("MainPush",
// "RotaPush"). Engines burn energy; a rocket standing upright on black ground refuels there.
class TRocket : public TPlayer2D {
public:
  static std::unique_ptr<TRocket> New(double X, double Y, double Angle);

  double MainPower() const { return State().Param(FMainPowerIndex).Value; }
  void SetMainPower(double X) { State().Param(FMainPowerIndex).SetValue(X); }
  double RotaPower() const { return State().Param(FRotaPowerIndex).Value; }
  void SetRotaPower(double X) { State().Param(FRotaPowerIndex).SetValue(X); }
  double MainPush() const { return State().Param(FMainPushIndex).Value; }
  double RotaPush() const { return State().Param(FRotaPushIndex).Value; }

  // What a sub-step of this rocket's motion takes from its parameters' bounds and its world.
  TRocketConstants MotionConstants() const;

  bool IsRocket() const override { return true; }
  bool IsTurning() const override;
  const TSchemaPtr& KindSchema() const override;
  void CreateParams() override;
  std::unique_ptr<TPlayer> Clone() const override;
  void Draw(TCanvas& Canvas) override;
  int32_t TraceColor(const TState& S) const override;
  void Advance() override;
  void Crash(double Impact) override;

protected:
  TRocket() = default;
  void Create(double X, double Y, double Angle);

  int32_t FRotaPowerIndex = 0;
  int32_t FMainPowerIndex = 0;
  int32_t FRotaPushIndex = 0;
  int32_t FMainPushIndex = 0;
};
