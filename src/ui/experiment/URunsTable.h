#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/experiment/UExperimentRun.h"

class TExperiment;

// runs.csv (one row per run), steps.csv (one row per measure of every listed step of every run)
// and players.csv (one row per player of every run): their lines, and appending to them so that
// a kill at any moment leaves whole lines only. Every run's lines go out in one write, and a line
// without its newline is a write cut short, dropped on reading. The header goes in through a
// temporary file: a table is there with its whole header or not at all.
class TRunsTable {
public:
  // Opens (creating it with Header when new) a table to append to.
  TRunsTable(std::string FileName, const std::string& Header);
  ~TRunsTable();
  TRunsTable(const TRunsTable&) = delete;
  TRunsTable& operator=(const TRunsTable&) = delete;

  // Appends whole lines with one write.
  void Append(const std::string& Lines);

  static std::string RunsHeader(const TExperiment& Experiment);
  static std::string RunRow(const TExperiment& Experiment, int64_t Run,
                            const TExperimentRun::TResult& Result);
  static std::string StepsHeader(const TExperiment& Experiment);
  static std::string StepRows(const TExperiment& Experiment, int64_t Run,
                              const TExperimentRun::TResult& Result);
  static std::string PlayersHeader(const TExperiment& Experiment);
  static std::string PlayerRows(const TExperiment& Experiment, int64_t Run,
                                const TExperimentRun::TResult& Result);
  // The columns every row of every table begins with after its run: the combination and the
  // variables' values, so that each table joins to the others and to the variables alone.
  static std::string Labels(const TExperiment& Experiment, int64_t Run);

  // The lines of a table by run number (steps.csv, players.csv: all the run's lines together),
  // after checking its header. Repair cuts a last line without its newline off the file. With
  // OnePerRun a run's second line is refused.
  static std::map<int64_t, std::string> Read(const std::string& FileName, const std::string& Header,
                                             bool Repair, bool OnePerRun);
  // The fields of a line.
  static std::vector<std::string> Fields(const std::string& Line);
  // Numbers as the tables write them: the same text on every machine; empty for none.
  static std::string Num(double X);

private:
  std::string FName;
  int FFd = -1;
};
