#include "ui/batch/UBatchRecords.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

const char* const TBatchRecords::CsvHeader =
    "step,player,kind,x,y,angle,vx,vy,health,energy,size,dead,futures,dots,grid";
const char* const TBatchRecords::DecisionsHeader =
    "step,player,option,param,push,futures,score,weight";

std::string TBatchRecords::Num(double X) {
  if (!std::isfinite(X))
    return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", X);
  return text;
}

std::string TBatchRecords::KindOf(const TPlayer& Player) {
  if (Player.IsKart())
    return "kart";
  if (Player.IsRocket())
    return "rocket";
  return "player";
}

const TBatchRecords::TPlayerRecord* TBatchRecords::Find(const TPlayer* Player) const {
  for (const TPlayerRecord& r : FRecords)
    if (Player != nullptr && r.Player == Player)
      return &r;
  return nullptr;
}

void TBatchRecords::Track(TWorld& World, int32_t Step) {
  TTrack2D& track = World.Track();
  const auto inWorld = [&](const TPlayer* Player) {
    for (int32_t t = 0; t < World.TeamCount(); ++t)
      if (World.Teams(t).IndexOfMember(Player) >= 0)
        return true;
    return false;
  };
  for (TPlayerRecord& r : FRecords)
    if (r.Player != nullptr && !inWorld(r.Player)) {
      r.Player = nullptr;
      r.RemovedStep = Step;
    }
  track.RebuildPlayers();
  for (int32_t i = 0; i < track.PlayerCount(); ++i) {
    TPlayer* player = track.Players(i);
    auto known = std::find_if(FRecords.begin(), FRecords.end(),
                              [&](const TPlayerRecord& r) { return r.Player == player; });
    const TPlayer2D* body = player->AsPlayer2D();
    if (known == FRecords.end()) {
      TPlayerRecord r;
      r.Index = static_cast<int32_t>(FRecords.size());
      r.Kind = KindOf(*player);
      r.BornStep = Step;
      r.AILevel = player->AILevel();
      r.Player = player;
      if (body != nullptr) {
        r.X = body->PosX();
        r.Y = body->PosY();
      }
      FRecords.push_back(r);
      known = FRecords.end() - 1;
    }
    TPlayerRecord& r = *known;
    if (body != nullptr) {
      r.Distance += std::hypot(body->PosX() - r.X, body->PosY() - r.Y);
      r.X = body->PosX();
      r.Y = body->PosY();
    }
    r.Alive = !player->IsDead();
    r.Health = player->Health();
    r.Energy = player->Energy();
    r.Size = player->Size();
  }
}

void TBatchRecords::WriteCsvRows(std::ostream& Csv, int32_t Step) const {
  for (const TPlayerRecord& r : FRecords) {
    if (r.Player == nullptr)
      continue;
    TPlayer& p = *r.Player;
    const TPlayer2D* body = p.AsPlayer2D();
    Csv << Step << ',' << r.Index << ',' << r.Kind << ',' << Num(body ? body->PosX() : 0) << ','
        << Num(body ? body->PosY() : 0) << ',' << Num(body ? body->Angle() : 0) << ','
        << Num(body ? body->VelX() : 0) << ',' << Num(body ? body->VelY() : 0) << ','
        << Num(p.Health()) << ',' << Num(p.Energy()) << ',' << Num(p.Size()) << ','
        << (p.IsDead() ? 1 : 0) << ',' << p.Futures().FutureCount() << ',' << p.Futures().DotCount()
        << ',' << p.GridSize() << '\n';
  }
}

void TBatchRecords::WriteDecisionRows(std::ostream& Csv, int32_t Step) const {
  for (const TPlayerRecord& r : FRecords) {
    if (r.Player == nullptr)
      continue;
    const TState& state = r.Player->RealState();
    const TDecisionRecord& decision = r.Player->Futures().LastDecision();
    for (size_t k = 0; k < decision.Options.size(); ++k) {
      const TDecisionRecord::TOption& option = decision.Options[k];
      const bool pushed = option.Param >= 0 && option.Param < state.FreeParamCount();
      Csv << Step << ',' << r.Index << ',' << k << ','
          << (pushed ? state.FreeParam(option.Param).Name : std::string()) << ','
          << Num(option.Push) << ',' << option.Futures << ','
          << Num(static_cast<double>(option.Score)) << ','
          << Num(static_cast<double>(option.Weight)) << '\n';
    }
  }
}
