#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "world/UPlayerLog.h"

class TPlayer;
class TWorld;

// The players of a run as its reports know them (followed by the world's player log, numbered in
// the order they joined and never renumbered), and their rows of the batch runner's CSV tables.
// Whatever steps a world (the batch runner, a script) writes the same rows through it.
class TBatchRecords {
public:
  using TPlayerRecord = TPlayerLog::TRecord;

  // The columns of the players' table, the parameters among them by the names the kinds' schemas
  // give them.
  static const std::string& CsvHeader();
  static const char* const DecisionsHeader;

  // Numbers as the reports write them: enough digits to compare runs, the same on every machine.
  static std::string Num(double X);
  // "kart", "rocket" or "player".
  static std::string KindOf(const TPlayer& Player) { return TPlayerLog::KindOf(Player); }

  // After a step or a change of the world: who left it, who joined it (numbered from here), and
  // where everyone now is. Rebuilds the world's list of players. The first call names the world
  // followed from then on.
  void Track(TWorld& World, int32_t Step);
  const std::vector<TPlayerRecord>& Records() const;
  // The log behind the records; null before the first Track.
  const TPlayerLog* Log() const { return FLog.get(); }
  // The record of a player that is in the world; null for none.
  const TPlayerRecord* Find(const TPlayer* Player) const;

  // One row per player in the world (CsvHeader's columns), in the order they joined. A player
  // without one of the parameters (one that is not a body) writes 0 in its column.
  void WriteCsvRows(std::ostream& Csv, int32_t Step) const;
  // One row per option of every player's decision of the step (DecisionsHeader's columns).
  void WriteDecisionRows(std::ostream& Csv, int32_t Step) const;

private:
  std::unique_ptr<TPlayerLog> FLog;
};
