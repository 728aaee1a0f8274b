#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TExperiment;

// runs.csv (one row per run) and steps.csv (one row per step of every run): their lines, and
// appending to them so that a kill at any moment leaves whole lines only. Every run's lines go
// out in one write, and a line without its newline is a write cut short, dropped on reading.
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
                            const std::vector<double>& Measures);
  static std::string StepsHeader();
  static std::string StepRows(int64_t Run, const std::vector<std::vector<double>>& Measures);

  // The lines of a table by run number (steps.csv: all the run's lines together), after checking
  // its header. Repair cuts a last line without its newline off the file.
  static std::map<int64_t, std::string> Read(const std::string& FileName, const std::string& Header,
                                             bool Repair);
  // The fields of a line.
  static std::vector<std::string> Fields(const std::string& Line);
  // Numbers as the tables write them: the same text on every machine; empty for none.
  static std::string Num(double X);

private:
  std::string FName;
  int FFd = -1;
};
