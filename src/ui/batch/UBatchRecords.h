#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class TPlayer;
class TWorld;

// The players of a run as its reports know them: numbered in the order they joined, never
// renumbered, with where each was when last seen; and their rows of the batch runner's CSV
// tables. Whatever steps a world (the batch runner, a script) writes the same rows through it.
class TBatchRecords {
public:
  // What the reports say of one player that took part.
  struct TPlayerRecord {
    int32_t Index = 0;
    std::string Kind;
    int32_t BornStep = 0;
    int32_t AILevel = 0; // when it joined
    std::optional<int32_t> RemovedStep;
    bool Alive = true;
    double Health = 0, Energy = 0, Size = 0, X = 0, Y = 0;
    double Distance = 0;       // path length of its real position over the run, pixels
    TPlayer* Player = nullptr; // while it is in the world
  };

  static const char* const CsvHeader;
  static const char* const DecisionsHeader;

  // Numbers as the reports write them: enough digits to compare runs, the same on every machine.
  static std::string Num(double X);
  // "kart", "rocket" or "player".
  static std::string KindOf(const TPlayer& Player);

  // After a step or a change of the world: who left it, who joined it (numbered from here), and
  // where everyone now is. Rebuilds the world's list of players.
  void Track(TWorld& World, int32_t Step);
  const std::vector<TPlayerRecord>& Records() const { return FRecords; }
  // The record of a player that is in the world; null for none.
  const TPlayerRecord* Find(const TPlayer* Player) const;

  // One row per player in the world (CsvHeader's columns), in the order they joined.
  void WriteCsvRows(std::ostream& Csv, int32_t Step) const;
  // One row per option of every player's decision of the step (DecisionsHeader's columns).
  void WriteDecisionRows(std::ostream& Csv, int32_t Step) const;

private:
  std::vector<TPlayerRecord> FRecords;
};
