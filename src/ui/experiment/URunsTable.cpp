#include "ui/experiment/URunsTable.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/UErrors.h"
#include "ui/experiment/UExperiment.h"
#include "ui/experiment/UExperimentRun.h"
#include "ui/qt/UOutputFile.h"

namespace {

[[noreturn]] void FailFile(const std::string& Name, const std::string& Why) {
  throw EError("Cannot write \"" + Name + "\": " + Why + ".");
}

} // namespace

TRunsTable::TRunsTable(std::string FileName, const std::string& Header)
    : FName(std::move(FileName)) {
  struct stat st {};
  if (::stat(FName.c_str(), &st) != 0 || st.st_size == 0) {
    // A disk full half-way through the header leaves no table rather than one no resume reads.
    TOutputFile header(FName, "the table's header");
    const std::string line = Header + "\n";
    header.Write(line.data(), line.size());
    header.Commit();
  }
  FFd = ::open(FName.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (FFd < 0)
    FailFile(FName, std::strerror(errno));
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

std::string TRunsTable::Labels(const TExperiment& Experiment, int64_t Run) {
  const int64_t combination = Experiment.CombinationOf(Run);
  std::string labels = std::to_string(combination);
  const std::vector<double> values = Experiment.ValuesOf(combination);
  for (size_t v = 0; v < values.size(); ++v)
    labels += "," + Experiment.ValueText(v, values[v]);
  return labels;
}

namespace {

std::string VariableNames(const TExperiment& Experiment) {
  std::string names;
  for (const TExperiment::TVariable& v : Experiment.Variables())
    names += "," + v.Setting;
  return names;
}

std::string Step(const std::optional<int32_t>& S) {
  return S ? std::to_string(*S) : "";
}

} // namespace

std::string TRunsTable::RunsHeader(const TExperiment& Experiment) {
  std::string h = "run,combination,repetition" + VariableNames(Experiment) + ",seed,stop_step";
  for (const TMeasure& m : Experiment.Measures())
    h += "," + m.Name();
  return h;
}

std::string TRunsTable::RunRow(const TExperiment& Experiment, int64_t Run,
                               const TExperimentRun::TResult& Result) {
  const std::string labels = Labels(Experiment, Run);
  const size_t comma = labels.find(',');
  std::string row = std::to_string(Run) + "," + labels.substr(0, comma) + "," +
                    std::to_string(Run % Experiment.Repetitions()) +
                    (comma == std::string::npos ? "" : labels.substr(comma)) + "," +
                    std::to_string(Experiment.RunSeed(Run)) + "," + Step(Result.StopStep);
  for (double x : Result.Measures)
    row += "," + Num(x);
  return row + "\n";
}

std::string TRunsTable::StepsHeader(const TExperiment& Experiment) {
  return "run,combination" + VariableNames(Experiment) + ",step,measure,value";
}

std::string TRunsTable::StepRows(const TExperiment& Experiment, int64_t Run,
                                 const TExperimentRun::TResult& Result) {
  const std::string head = std::to_string(Run) + "," + Labels(Experiment, Run) + ",";
  std::string rows;
  for (const auto& [step, values] : Result.StepMeasures)
    for (size_t m = 0; m < values.size(); ++m)
      rows += head + std::to_string(step) + "," + Experiment.Measures()[m].Name() + "," +
              Num(values[m]) + "\n";
  return rows;
}

std::string TRunsTable::PlayersHeader(const TExperiment& Experiment) {
  // The players' own columns only (a variable may be called "size" too): runs.csv has the rest.
  (void)Experiment;
  return "run,player,kind,team,ai_level,born_step,removed_step,death_step,alive,distance,speed,"
         "energy,health,size,x,y,progress";
}

std::string TRunsTable::PlayerRows(const TExperiment& Experiment, int64_t Run,
                                   const TExperimentRun::TResult& Result) {
  (void)Experiment;
  const std::string head = std::to_string(Run) + ",";
  std::string rows;
  for (const TPlayerLog::TRecord& r : Result.Players)
    rows += head + std::to_string(r.Index) + "," + r.Kind + "," + std::to_string(r.Team) + "," +
            std::to_string(r.AILevel) + "," + std::to_string(r.BornStep) + "," +
            Step(r.RemovedStep) + "," + Step(r.DeathStep) + "," +
            (r.Alive && !r.RemovedStep ? "1" : "0") + "," + Num(r.Distance) + "," + Num(r.Speed) +
            "," + Num(r.Energy) + "," + Num(r.Health) + "," + Num(r.Size) + "," + Num(r.X) + "," +
            Num(r.Y) + "," + Num(r.Turns) + "\n";
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
                                                const std::string& Header, bool Repair,
                                                bool OnePerRun) {
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
  int64_t last = -1;
  while (std::getline(lines, line)) {
    const size_t comma = line.find(',');
    int64_t run = -1;
    const char* end = line.data() + (comma == std::string::npos ? line.size() : comma);
    const auto [stop, ec] = std::from_chars(line.data(), end, run);
    if (ec != std::errc() || stop != end || comma == std::string::npos || run < 0)
      throw EExperimentInput("\"" + FileName + "\" holds a line that is not a run's: " + line);
    // A run's lines go out together: found again after another run's, they were written twice.
    if (rows.contains(run) && (OnePerRun || run != last))
      throw EExperimentInput("\"" + FileName + "\" holds run " + std::to_string(run) + " twice.");
    rows[run] += line + "\n";
    last = run;
  }
  return rows;
}
