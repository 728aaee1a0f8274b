#include "ui/experiment/URunsTable.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/UErrors.h"
#include "ui/experiment/UExperiment.h"
#include "ui/experiment/UExperimentRun.h"

namespace {

[[noreturn]] void FailFile(const std::string& Name, const std::string& Why) {
  throw EError("Cannot write \"" + Name + "\": " + Why + ".");
}

} // namespace

TRunsTable::TRunsTable(std::string FileName, const std::string& Header)
    : FName(std::move(FileName)) {
  FFd = ::open(FName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (FFd < 0)
    FailFile(FName, std::strerror(errno));
  if (::lseek(FFd, 0, SEEK_END) == 0)
    Append(Header + "\n");
}

TRunsTable::~TRunsTable() {
  if (FFd >= 0)
    ::close(FFd);
}

void TRunsTable::Append(const std::string& Lines) {
  // One write: the kernel has the whole row once it returns, whatever becomes of the program.
  const ssize_t n = ::write(FFd, Lines.data(), Lines.size());
  if (n < 0)
    FailFile(FName, std::strerror(errno));
  if (static_cast<size_t>(n) != Lines.size())
    FailFile(FName, "the disk took only part of a row");
}

std::string TRunsTable::Num(double X) {
  if (!std::isfinite(X))
    return "";
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", X);
  return text;
}

std::string TRunsTable::RunsHeader(const TExperiment& Experiment) {
  std::string h = "run,combination,repetition";
  for (const TExperiment::TVariable& v : Experiment.Variables())
    h += "," + v.Setting;
  h += ",seed";
  for (const std::string& m : TExperimentRun::MeasureNames())
    h += "," + m;
  return h;
}

std::string TRunsTable::RunRow(const TExperiment& Experiment, int64_t Run,
                               const std::vector<double>& Measures) {
  const int64_t combination = Experiment.CombinationOf(Run);
  std::string row = std::to_string(Run) + "," + std::to_string(combination) + "," +
                    std::to_string(Run % Experiment.Repetitions());
  for (double x : Experiment.ValuesOf(combination))
    row += "," + Num(x);
  row += "," + std::to_string(Experiment.RunSeed(Run));
  for (double x : Measures)
    row += "," + Num(x);
  return row + "\n";
}

std::string TRunsTable::StepsHeader() {
  std::string h = "run,step";
  for (const std::string& m : TExperimentRun::MeasureNames())
    h += "," + m;
  return h;
}

std::string TRunsTable::StepRows(int64_t Run, const std::vector<std::vector<double>>& Measures) {
  std::string rows;
  for (size_t s = 0; s < Measures.size(); ++s) {
    rows += std::to_string(Run) + "," + std::to_string(s + 1);
    for (double x : Measures[s])
      rows += "," + Num(x);
    rows += "\n";
  }
  return rows;
}

std::vector<std::string> TRunsTable::Fields(const std::string& Line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(Line);
  while (std::getline(in, field, ','))
    fields.push_back(field);
  if (!Line.empty() && Line.back() == ',')
    fields.emplace_back();
  return fields;
}

std::map<int64_t, std::string> TRunsTable::Read(const std::string& FileName,
                                                const std::string& Header, bool Repair) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in)
    throw EExperimentInput("Cannot read \"" + FileName + "\".");
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  const size_t end = text.rfind('\n');
  const size_t whole = end == std::string::npos ? 0 : end + 1;
  if (whole < text.size()) {
    text.resize(whole);
    if (Repair && ::truncate(FileName.c_str(), static_cast<off_t>(whole)) != 0)
      throw EError("Cannot repair \"" + FileName + "\": " + std::strerror(errno) + ".");
  }
  std::map<int64_t, std::string> rows;
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != Header)
    throw EExperimentInput("\"" + FileName + "\" does not have the columns of this experiment.");
  while (std::getline(lines, line)) {
    const size_t comma = line.find(',');
    try {
      size_t used = 0;
      const int64_t run = std::stoll(line.substr(0, comma), &used);
      if (used != comma)
        throw std::invalid_argument("run");
      rows[run] += line + "\n";
    } catch (const std::logic_error&) {
      throw EExperimentInput("\"" + FileName + "\" holds a line that is not a run's: " + line);
    }
  }
  return rows;
}
