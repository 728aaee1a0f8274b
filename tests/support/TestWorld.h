#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "platform/UClock.h"
#include "world/UTrack.h"

// A world without ground: it only counts how often the step applies it.
// The futures run on copies of it, which count into the same ApplyCount as the world they copy.
//
// One runner: the step tests count the readings of clocks that only one thread may read.
class TFlatTrack : public TTrack {
public:
  TFlatTrack() { SetThreads(1); }
  std::shared_ptr<std::atomic<int32_t>> Applied = std::make_shared<std::atomic<int32_t>>(0);
  int32_t ApplyCount() const { return *Applied; }
  void ApplyTrack() override { ++*Applied; }
  std::unique_ptr<TTrack> NewWorkerWorld() const override {
    auto copy = std::make_unique<TFlatTrack>();
    copy->Applied = Applied;
    return copy;
  }
};

// A clock that moves on by a fixed amount at every reading.
class TTickingClock : public TClock {
public:
  explicit TTickingClock(int64_t TickMs) : FTickMs(TickMs) {}
  int64_t NowMs() override { return FNow += FTickMs; }
  int32_t Readings() const { return static_cast<int32_t>(FNow / FTickMs); }

private:
  int64_t FTickMs;
  int64_t FNow = 0;
};

// A point on a line: its "Speed" (pixels per second, within +-20) changes by "Push" per second and
// moves "PosX"; "Push" is its one free parameter, as the vehicles push their controls. Small
// enough to follow a whole decision by hand.
class TLinePlayer : public TPlayer {
public:
  static std::unique_ptr<TLinePlayer> New(double X = 0, double Range = 10);
  // Records of what the step did to this player, in order: 'F' first sub-step, 'N' next
  // sub-step, 'R' real move, from its Prepare... calls.
  std::string Log;
  int32_t PosXIndex = 0;
  int32_t PushIndex = 0;
  int32_t SpeedIndex = 0;

  double PosX() const { return State().Param(PosXIndex).Value; }
  void UpdateShape() override {}
  void CreateParams() override;
  std::unique_ptr<TPlayer> Clone() const override;
  void RecordTrace() override {}
  void DrawEndPoint(const TState&, TCanvas&) override {}
  void Advance() override;
  bool CollidesWith(TPlayer&) override { return false; }
  bool WantsToDuplicate() const override { return WantsChild; }
  bool WantsChild = false;

protected:
  TLinePlayer() = default;
  double FRange = 10;
};

// Rewards moving right: adds the distance covered to the right in each sub-step.
class TGoalRight : public TGoal {
public:
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalRight>(*this); }
  explicit TGoalRight(double Value) : TGoal(Value) { FDescription = "Go right"; }
  void Compute(TPlayer& Player, int32_t Phase) override;
};

// A goal that reports a fixed contribution in phase 0, for testing how teams pass it on.
class TGoalFixed : public TGoal {
public:
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalFixed>(*this); }
  TGoalFixed(double Value, double Add, double Mult) : TGoal(Value), FAdd(Add), FMult(Mult) {}
  void Compute(TPlayer& /*Player*/, int32_t Phase) override {
    if (Phase == 0) {
      FScoreAdd = FAdd;
      FScoreMult = FMult;
    }
  }

private:
  double FAdd, FMult;
};
