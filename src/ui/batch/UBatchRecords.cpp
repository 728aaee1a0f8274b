#include "ui/batch/UBatchRecords.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <stdexcept>

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

const std::vector<TBatchRecords::TPlayerRecord>& TBatchRecords::Records() const {
  static const std::vector<TPlayerRecord> none;
  return FLog ? FLog->Records() : none;
}

const TBatchRecords::TPlayerRecord* TBatchRecords::Find(const TPlayer* Player) const {
  for (const TPlayerRecord& r : Records())
    if (Player != nullptr && r.Player == Player)
      return &r;
  return nullptr;
}

void TBatchRecords::Track(TWorld& World, int32_t Step) {
  if (!FLog)
    FLog = std::make_unique<TPlayerLog>(World);
  else if (&FLog->World() != &World)
    throw std::logic_error("TBatchRecords follows one world");
  FLog->Follow(Step);
}

void TBatchRecords::WriteCsvRows(std::ostream& Csv, int32_t Step) const {
  for (const TPlayerRecord& r : Records()) {
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
  for (const TPlayerRecord& r : Records()) {
    if (r.Player == nullptr)
      continue;
    const TState& state = r.Player->RealState();
    const TDecisionRecord& decision = r.Player->Futures().LastDecision();
    for (size_t k = 0; k < decision.Options.size(); ++k) {
      const TDecisionRecord::TOption& option = decision.Options[k];
      const bool pushed = option.Param >= 0 && option.Param < state.FreeParamCount();
      Csv << Step << ',' << r.Index << ',' << k << ','
          << (pushed ? state.FreeParam(option.Param).Name() : std::string()) << ','
          << Num(option.Push) << ',' << option.Futures << ','
          << Num(static_cast<double>(option.Score)) << ','
          << Num(static_cast<double>(option.Weight)) << '\n';
    }
  }
}
