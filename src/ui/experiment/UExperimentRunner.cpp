#include "ui/experiment/UExperimentRunner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <optional>
#include <ostream>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/UErrors.h"
#include "ui/experiment/UExperimentPlots.h"
#include "ui/experiment/UExperimentRun.h"
#include "ui/experiment/URunsTable.h"
#include "ui/experiment/USummary.h"
#include "ui/qt/UOutputFile.h"

#ifndef KARTSIM_VERSION
#define KARTSIM_VERSION "unknown"
#endif

namespace {

// A run that failed: the program ends with status 1 once the runs in progress are done.
class ERunFailed : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

const char* const ExperimentJson = "experiment.json";
const char* const RunsCsv = "runs.csv";
const char* const StepsCsv = "steps.csv";

void WriteWhole(const std::string& FileName, const std::string& Kind, const std::string& Text) {
  TOutputFile file(FileName, Kind);
  file.Write(Text.data(), Text.size());
  file.Commit();
}

std::string Joined(const std::map<int64_t, std::string>& Rows, const std::string& Header) {
  std::string text = Header + "\n";
  for (const auto& [run, lines] : Rows)
    text += lines;
  return text;
}

QJsonObject ReadJson(const std::string& FileName) {
  QFile file(QString::fromStdString(FileName));
  if (!file.open(QIODevice::ReadOnly))
    throw EExperimentInput("Cannot read \"" + FileName + "\".");
  const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
  if (!doc.isObject())
    throw EExperimentInput("\"" + FileName + "\" is not an experiment's record.");
  return doc.object();
}

std::string Clock(double Seconds) {
  const int64_t s = static_cast<int64_t>(std::llround(Seconds));
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return text;
}

} // namespace

TExperimentRunner::TExperimentRunner(const TExperimentOptions& Options, std::ostream& Out,
                                     std::ostream& Err)
    : FOptions(Options), FOut(Out), FErr(Err) {}

int TExperimentRunner::Execute(const TExperimentOptions& Options, std::ostream& Out,
                               std::ostream& Err) {
  try {
    TExperimentRunner runner(Options, Out, Err);
    if (Options.Merge.empty())
      runner.Run();
    else
      runner.Merge();
  } catch (const EExperimentInput& e) {
    Err << "kartsim-experiment: " << e.what() << std::endl;
    return 2;
  } catch (const std::exception& e) {
    Err << "kartsim-experiment: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

std::string TExperimentRunner::Path(const std::string& Name) const {
  return FOptions.Out + "/" + Name;
}

void TExperimentRunner::PrepareFolder(const TExperiment& Experiment) {
  const QString out = QString::fromStdString(FOptions.Out);
  const QFileInfo info(out);
  if (!info.exists()) {
    if (!QFileInfo(info.absolutePath()).isDir())
      throw EExperimentInput("The folder \"" + info.absolutePath().toStdString() +
                             "\" that should hold \"" + FOptions.Out + "\" does not exist.");
    if (!QDir().mkdir(out))
      throw EExperimentInput("Cannot make the folder \"" + FOptions.Out + "\".");
  } else if (!info.isDir()) {
    throw EExperimentInput("\"" + FOptions.Out + "\" is not a folder.");
  }
  if (::access(info.absoluteFilePath().toLocal8Bit().constData(), W_OK | X_OK) != 0)
    throw EExperimentInput("Cannot write into the folder \"" + FOptions.Out + "\".");
  const std::string record = Path(ExperimentJson);
  if (QFileInfo::exists(QString::fromStdString(record))) {
    const QJsonObject before = ReadJson(record);
    if (before.value("experiment").toObject() != Experiment.Json())
      throw EExperimentInput("\"" + FOptions.Out +
                             "\" holds the results of another experiment, or the experiment file "
                             "has changed since it was started there; use another folder.");
    if (before.value("shard").toString().toStdString() != FOptions.ShardText() ||
        before.value("every_step").toBool() != FOptions.EveryStep)
      throw EExperimentInput("\"" + FOptions.Out + "\" was started with " +
                             (before.value("shard").toString().isEmpty()
                                  ? std::string("no shard")
                                  : "--shard " + before.value("shard").toString().toStdString()) +
                             (before.value("every_step").toBool() ? " and --every-step" : "") +
                             "; go on with the same options.");
    return;
  }
  if (!QDir(out).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
    throw EExperimentInput("\"" + FOptions.Out +
                           "\" is not empty and holds no experiment; use a new folder.");
  WriteExperimentJson(Experiment, FOptions.ShardText());
}

void TExperimentRunner::WriteExperimentJson(const TExperiment& Experiment,
                                            const std::string& Shard) {
  QJsonObject record;
  record["program"] = "kartsim-experiment " KARTSIM_VERSION;
  record["started"] = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
  record["shard"] = QString::fromStdString(Shard);
  record["every_step"] = FOptions.EveryStep;
  record["runs"] = static_cast<qint64>(Experiment.RunCount());
  record["experiment"] = Experiment.Json();
  WriteWhole(Path(ExperimentJson), "the experiment's record",
             QJsonDocument(record).toJson().toStdString());
}

void TExperimentRunner::Run() {
  const TExperiment experiment = TExperiment::Load(FOptions.File);
  PrepareFolder(experiment);
  const std::string header = TRunsTable::RunsHeader(experiment);
  std::map<int64_t, std::string> done;
  if (QFileInfo::exists(QString::fromStdString(Path(RunsCsv))))
    done = TRunsTable::Read(Path(RunsCsv), header, true);
  std::map<int64_t, std::string> steps;
  if (FOptions.EveryStep && QFileInfo::exists(QString::fromStdString(Path(StepsCsv)))) {
    steps = TRunsTable::Read(Path(StepsCsv), TRunsTable::StepsHeader(), true);
    // A run killed after its steps and before its row runs again: its steps go.
    const size_t before = steps.size();
    std::erase_if(steps, [&](const auto& s) { return !done.contains(s.first); });
    if (steps.size() != before)
      WriteWhole(Path(StepsCsv), "the steps' table", Joined(steps, TRunsTable::StepsHeader()));
  }
  TRunsTable runs(Path(RunsCsv), header);
  std::optional<TRunsTable> stepsTable;
  if (FOptions.EveryStep)
    stepsTable.emplace(Path(StepsCsv), TRunsTable::StepsHeader());

  std::vector<int64_t> pending;
  int64_t total = 0;
  for (int64_t r = 0; r < experiment.RunCount(); ++r)
    if (r % FOptions.ShardCount == FOptions.ShardIndex) {
      ++total;
      if (!done.contains(r))
        pending.push_back(r);
    }
  const int64_t already = total - static_cast<int64_t>(pending.size());
  const int32_t jobs = static_cast<int32_t>(std::min<int64_t>(
      FOptions.Jobs > 0 ? FOptions.Jobs : std::max(1u, std::thread::hardware_concurrency()),
      std::max<int64_t>(1, static_cast<int64_t>(pending.size()))));

  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex lock; // the tables, the progress line, the failure and the count below
  std::string failure;
  int64_t finished = 0;
  using SteadyClock = std::chrono::steady_clock;
  const auto started = SteadyClock::now();
  auto shown = started;
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  auto worker = [&]() {
    for (;;) {
      const size_t i = next++;
      if (i >= pending.size() || failed)
        return;
      const int64_t run = pending[i];
      TExperimentRun::TPlan plan;
      plan.Scene = experiment.Scene();
      const std::vector<double> values = experiment.ValuesOf(experiment.CombinationOf(run));
      for (size_t v = 0; v < values.size(); ++v)
        plan.Values.emplace_back(experiment.Variables()[v].Setting, values[v]);
      plan.Steps = experiment.Steps();
      plan.Futures = experiment.Futures();
      plan.BudgetMs = experiment.BudgetMs();
      plan.Seed = experiment.RunSeed(run);
      plan.EveryStep = FOptions.EveryStep;
      try {
        const TExperimentRun::TResult result = TExperimentRun::Run(plan);
        const std::lock_guard<std::mutex> guard(lock);
        // The steps first: a run whose row is there has all its steps.
        if (stepsTable)
          stepsTable->Append(TRunsTable::StepRows(run, result.StepMeasures));
        runs.Append(TRunsTable::RunRow(experiment, run, result.Measures));
        ++finished;
        const auto now = SteadyClock::now();
        if (now - shown > std::chrono::milliseconds(terminal ? 250 : 5000) ||
            finished == static_cast<int64_t>(pending.size())) {
          shown = now;
          const double seconds = std::chrono::duration<double>(now - started).count();
          const double rate = seconds > 0 ? static_cast<double>(finished) / seconds : 0;
          const double left =
              rate > 0 ? static_cast<double>(static_cast<int64_t>(pending.size()) - finished) / rate
                       : 0;
          char line[160];
          std::snprintf(line, sizeof line, "runs %lld/%lld done, %.2f runs/s, %s left",
                        static_cast<long long>(already + finished), static_cast<long long>(total),
                        rate, Clock(left).c_str());
          FErr << (terminal ? "\r" : "") << line << (terminal ? "\033[K" : "\n") << std::flush;
        }
      } catch (const std::exception& e) {
        const std::lock_guard<std::mutex> guard(lock);
        if (!failed.exchange(true))
          failure = "run " + std::to_string(run) + " failed: " + e.what();
      }
    }
  };
  std::vector<std::thread> threads;
  for (int32_t j = 1; j < jobs; ++j) {
    // A thread that cannot start (a limit on processes): the runs go on with those there are.
    try {
      threads.emplace_back(worker);
    } catch (const std::system_error&) {
      break;
    }
  }
  worker();
  for (std::thread& t : threads)
    t.join();
  if (terminal && !pending.empty())
    FErr << "\n";
  if (failed)
    throw ERunFailed(failure + " (the runs finished so far are kept; run the same command "
                               "again to go on)");
  if (FOptions.Sharded()) {
    FOut << "Shard " << FOptions.ShardText() << ": " << total
         << " runs done. Join the shards' folders with --merge.\n";
    return;
  }
  std::map<int64_t, std::string> all = TRunsTable::Read(Path(RunsCsv), header, false);
  std::map<int64_t, std::string> allSteps;
  if (FOptions.EveryStep)
    allSteps = TRunsTable::Read(Path(StepsCsv), TRunsTable::StepsHeader(), false);
  Finish(experiment, all, FOptions.EveryStep ? &allSteps : nullptr);
}

void TExperimentRunner::Merge() {
  const QJsonObject first = ReadJson(FOptions.Merge[0] + "/" + ExperimentJson);
  const TExperiment experiment = [&] {
    try {
      return TExperiment::FromJson(first.value("experiment").toObject());
    } catch (const EExperimentInput& e) {
      throw EExperimentInput("\"" + FOptions.Merge[0] + "/" + ExperimentJson + "\": " + e.what());
    }
  }();
  const bool everyStep = first.value("every_step").toBool();
  const std::string header = TRunsTable::RunsHeader(experiment);
  std::map<int64_t, std::string> runs, steps;
  std::map<int64_t, std::string> from;
  for (const std::string& dir : FOptions.Merge) {
    const QJsonObject record = ReadJson(dir + "/" + ExperimentJson);
    if (record.value("experiment").toObject() != experiment.Json() ||
        record.value("every_step").toBool() != everyStep)
      throw EExperimentInput("\"" + dir + "\" holds another experiment than \"" +
                             FOptions.Merge[0] + "\".");
    for (auto& [run, line] : TRunsTable::Read(dir + "/" + RunsCsv, header, false)) {
      if (from.contains(run))
        throw EExperimentInput("Run " + std::to_string(run) + " is both in \"" + from[run] +
                               "\" and in \"" + dir + "\".");
      from[run] = dir;
      runs[run] = line;
    }
    if (everyStep)
      for (auto& [run, lines] :
           TRunsTable::Read(dir + "/" + StepsCsv, TRunsTable::StepsHeader(), false))
        if (from[run] == dir)
          steps[run] = lines;
  }
  int64_t missing = 0, firstMissing = -1;
  for (int64_t r = 0; r < experiment.RunCount(); ++r)
    if (!runs.contains(r) && missing++ == 0)
      firstMissing = r;
  if (missing > 0)
    throw EExperimentInput(std::to_string(missing) + " of " +
                           std::to_string(experiment.RunCount()) +
                           " runs are in none of the folders (the first: run " +
                           std::to_string(firstMissing) + "); finish every shard first.");
  const QString out = QString::fromStdString(FOptions.Out);
  if (QFileInfo::exists(out) && !(QFileInfo(out).isDir() && QDir(out).isEmpty()))
    throw EExperimentInput("\"" + FOptions.Out + "\" exists and is not an empty folder.");
  if (!QFileInfo::exists(out) && !QDir().mkdir(out))
    throw EExperimentInput("Cannot make the folder \"" + FOptions.Out + "\".");
  const_cast<TExperimentOptions&>(FOptions).EveryStep = everyStep;
  WriteExperimentJson(experiment, "");
  Finish(experiment, runs, everyStep ? &steps : nullptr);
}

void TExperimentRunner::Finish(const TExperiment& Experiment,
                               const std::map<int64_t, std::string>& Runs,
                               const std::map<int64_t, std::string>* Steps) {
  // In the order of the runs, whatever order they finished in: the same file from one machine
  // and from merged shards.
  WriteWhole(Path(RunsCsv), "the runs' table", Joined(Runs, TRunsTable::RunsHeader(Experiment)));
  if (Steps != nullptr)
    WriteWhole(Path(StepsCsv), "the steps' table", Joined(*Steps, TRunsTable::StepsHeader()));
  const TSummary summary(Experiment, Runs);
  WriteWhole(Path("summary.csv"), "the summary", summary.Csv());
  const std::string plots = Path("plots");
  if (!QDir().mkpath(QString::fromStdString(plots)))
    throw EError("Cannot make the folder \"" + plots + "\".");
  TExperimentPlots::Write(summary, plots);
  FOut << summary.Text() << std::flush;
}
