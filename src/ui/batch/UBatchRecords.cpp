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

namespace {

struct TParamColumn {
  const char* Column;
  const char* Param;
};

// In the order of the table, between the player's kind and "dead".
constexpr TParamColumn ParamColumns[] = {{"x", "PosX"},   {"y", "PosY"},           {"angle", "Angle"},
                                         {"vx", "VelX"},  {"vy", "VelY"},          {"health", "Health"},
                                         {"energy", "Energy"}, {"size", "Size"}};

} // namespace

const std::string& TBatchRecords::CsvHeader() {
  static const std::string header = [] {
    std::string h = "step,player,kind";
    for (const TParamColumn& c : ParamColumns)
      h += std::string(",") + c.Column;
    return h + ",dead,futures,dots,grid";
  }();
  return header;
}
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
    const TState& state = p.RealState();
    Csv << Step << ',' << r.Index << ',' << r.Kind;
    for (const TParamColumn& c : ParamColumns) {
      const int32_t i = state.Schema().Find(c.Param);
      Csv << ',' << Num(i >= 0 ? state.Param(i).Value : 0);
    }
    Csv << ',' << (p.IsDead() ? 1 : 0) << ',' << p.Futures().FutureCount() << ','
        << p.Futures().DotCount() << ',' << p.GridSize() << '\n';
  }
}

void TBatchRecords::WriteDecisionRows(std::ostream& Csv, int32_t Step) const {
  for (const TPlayerRecord& r : Records()) {
    if (r.Player == nullptr)
      continue;
    const TDecisionRecord& decision = r.Player->Futures().LastDecision();
    for (size_t k = 0; k < decision.Options.size(); ++k) {
      const TDecisionRecord::TOption& option = decision.Options[k];
      Csv << Step << ',' << r.Index << ',' << k << ',' << decision.ParamName(option.Param) << ','
          << Num(option.Push) << ',' << option.Futures << ','
          << Num(static_cast<double>(option.Score)) << ','
          << Num(static_cast<double>(option.Weight)) << '\n';
    }
  }
}
