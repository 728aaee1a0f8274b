#include "goals/UGoalDuplicate.h"

#include "agents/UPlayer.h"
#include "agents/UUtils.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UCanvas.h"
#include "world/UTrack.h"

namespace {

// The chart's frame, pixels of the picture: goal axes from ChartLeft to ChartLeft + ChartWidth,
// values from 0 at ChartBottom to the goal's maximum at ChartTop.
constexpr int32_t ChartLeft = 15;
constexpr int32_t ChartWidth = 120;
constexpr int32_t ChartTop = 15;
constexpr int32_t ChartBottom = 95;

// Column of goal J among Count goals; a player with fewer than two has its one axis at the left.
int32_t GoalColumn(int32_t J, int32_t Count) {
  if (Count < 2)
    return ChartLeft;
  return RoundToInt32(ChartLeft + J * static_cast<double>(ChartWidth) / (Count - 1));
}

} // namespace

TGoalDuplicate::TGoalDuplicate(double Value) : TGoal(Value, gpEndOfFuture) {
  FDescription = "Duplicating is sexy";
  FAlwaysDraw = true;
}

void TGoalDuplicate::Compute(TPlayer& Player, int32_t Phase) {
  if (Phase == 1 && Player.FHasDuplicated)
    FScoreAdd = 1000;
}

void TGoalDuplicate::Draw(const TPlayer* Player, TCanvas& Canvas) {
  if (Player == nullptr || Player->FTeam == nullptr || Player->FTeam->FTrack == nullptr)
    return;
  const TTrack* track = Player->FTeam->FTrack;
  TCanvas& canvas = Canvas;
  const int32_t grey = MakeColor(100, 100, 100);
  canvas.SetBrushColor(MakeColor(255, 255, 255));
  canvas.SetPenColor(MakeColor(0, 0, 0));
  canvas.Rectangle(10, 10, 140, 100);
  canvas.SetPenColor(grey);
  canvas.Rectangle(ChartLeft, ChartTop, ChartLeft + ChartWidth, ChartBottom);
  // A bar as long in pixels as the world has players.
  canvas.Rectangle(ChartLeft, 12, CheckedAdd(ChartLeft, track->PlayerCount()), 13);
  canvas.SetBrushClear();
  for (int32_t i = 0; i < track->PlayerCount(); ++i) {
    const TPlayer& player = *track->Players(i);
    const int32_t count = player.GoalCount();
    if (i == 0) {
      canvas.SetPenColor(grey);
      for (int32_t j = 0; j < (count < 2 ? 1 : count); ++j) {
        const int32_t x = GoalColumn(j, count);
        canvas.Line(x, ChartTop, x, ChartBottom);
      }
    }
    if (player.IsDead() || count == 0)
      continue;
    canvas.SetPenColor(player.Color());
    int32_t lastX = 0, lastY = 0;
    for (int32_t j = 0; j < count; ++j) {
      const TGoal& goal = *player.Goals(j);
      const int32_t x = GoalColumn(j, count);
      const int32_t y =
          RoundToInt32(ChartTop + (1 - goal.FValue / goal.FMaxValue) * (ChartBottom - ChartTop));
      if (j > 0)
        canvas.Line(lastX, lastY, x, y);
      lastX = x;
      lastY = y;
    }
    // A lone goal has no segment to show it: a dot of one pixel marks its point on the axis.
    if (count == 1)
      canvas.Line(lastX, lastY, lastX + 1, lastY);
  }
}
