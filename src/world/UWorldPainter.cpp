#include "world/UWorldPainter.h"

#include <algorithm>

#include "agents/UPlayer.h"
#include "agents/UUtils.h"
#include "goals/UTeam.h"
#include "platform/UCanvas.h"
#include "world/UTrack.h"

void TWorldPainter::Paint(TTrack& World, TCanvas& Canvas, TWhat What) {
  if (What == pwAfterStep) {
    PaintTraces(World, Canvas);
    PaintGoals(World, Canvas);
    for (int32_t t = 0; t < World.TeamCount(); ++t)
      World.Teams(t)->DrawEndPoints(Canvas);
  }
  for (int32_t t = 0; t < World.TeamCount(); ++t)
    World.Teams(t)->DrawEndPoints(Canvas);
  for (int32_t t = 0; t < World.TeamCount(); ++t)
    World.Teams(t)->Draw(Canvas);
}

void TWorldPainter::PaintTraces(TTrack& World, TCanvas& Canvas) {
  int32_t futures = 0;
  bool any = false;
  for (TPlayer* member : World.PlayerList()) {
    any = any || member->DrawsTraces();
    futures = std::max(futures, member->Futures().FutureCount());
  }
  if (!any)
    return;
  for (int32_t f = 0; f < futures; ++f)
    for (int32_t t = 0; t < World.TeamCount(); ++t) {
      const TTeam& team = *World.Teams(t);
      for (int32_t i = 0; i < team.MemberCount(); ++i) {
        TPlayer& member = *team.Members(i);
        if (member.DrawsTraces() && f < member.Futures().FutureCount())
          member.DrawStoredTrace(f, Canvas);
      }
    }
}

void TWorldPainter::PaintGoals(const TTrack& World, TCanvas& Canvas) {
  for (int32_t t = 0; t < World.TeamCount(); ++t) {
    const TTeam& team = *World.Teams(t);
    for (const TTrack::TDrain& drain : World.Drains()) {
      if (drain.Team != &team)
        continue;
      Canvas.SetPenColor(MakeColor(255, 0, 0));
      Canvas.SetPenWidth(3);
      Canvas.Line(drain.X1, drain.Y1, drain.X2, drain.Y2);
      Canvas.SetPenWidth(1);
    }
    team.DrawGoals(Canvas);
  }
}
