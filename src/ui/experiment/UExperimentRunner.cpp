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
#include "ui/experiment/UExperimentWorld.h"
#include "ui/experiment/UResultsFolder.h"
#include "ui/experiment/URowCheck.h"
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
const char* const PlayersCsv = "players.csv";

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

void TExperimentRunner::PrepareFolder(const TExperiment& Experiment, int32_t Every,
                                      const QJsonObject& Hashes) {
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
  if (!QFileInfo::exists(QString::fromStdString(record))) {
    if (!QDir(out).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
      throw EExperimentInput("\"" + FOptions.Out +
                             "\" is not empty and holds no experiment; use a new folder.");
    WriteExperimentJson(Experiment, FOptions.ShardText(), Every, Hashes);
    return;
  }
  const QJsonObject before = TResultsFolder::ReadRecord(record);
  if (before.value("experiment").toObject() != Experiment.Json())
    throw EExperimentInput("\"" + FOptions.Out +
                           "\" holds the results of another experiment, or the experiment file "
                           "has changed since it was started there; use another folder.");
  TResultsFolder::CheckSameOrigin(before, FOptions.Out, Hashes);
  if (before.value("shard").toString().toStdString() != FOptions.ShardText() ||
      before.value("every").toInt() != Every)
    throw EExperimentInput(
        "\"" + FOptions.Out + "\" was started with " +
        (before.value("shard").toString().isEmpty()
             ? std::string("no shard")
             : "--shard " + before.value("shard").toString().toStdString()) +
        (before.value("every").toInt() == 1 && Experiment.Every() == 0 ? " and --every-step" : "") +
        "; go on with the same options.");
  TResultsFolder::CheckContents(FOptions.Out);
}

void TExperimentRunner::WriteExperimentJson(const TExperiment& Experiment, const std::string& Shard,
                                            int32_t Every, const QJsonObject& Hashes) {
  QJsonObject record;
  record["program"] = QString::fromStdString(TResultsFolder::Program());
  record["started"] = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
  record["shard"] = QString::fromStdString(Shard);
  record["every"] = Every;
  record["runs"] = static_cast<qint64>(Experiment.RunCount());
  record["hashes"] = Hashes;
  record["experiment"] = Experiment.Json();
  WriteWhole(Path(ExperimentJson), "the experiment's record",
             QJsonDocument(record).toJson().toStdString());
}

namespace {

// A table's rows as the folder holds them, each checked against the experiment; none when the
// table is not there. Repair drops a line cut short.
std::map<int64_t, std::string> ReadTable(const std::string& FileName, const std::string& Header,
                                         bool Repair, bool OnePerRun) {
  // Empty: the disk was full before its header was in, and no row came after.
  const QFileInfo info(QString::fromStdString(FileName));
  if (!info.exists() || (info.isFile() && info.size() == 0))
    return {};
  return TRunsTable::Read(FileName, Header, Repair, OnePerRun);
}

} // namespace

void TExperimentRunner::Run() {
  const TExperiment experiment = TExperiment::Load(FOptions.File);
  const int32_t every = experiment.Every() > 0 ? experiment.Every() : FOptions.EveryStep ? 1 : 0;
  const QJsonObject hashes = TResultsFolder::Hashes(experiment);
  PrepareFolder(experiment, every, hashes);
  const TRowCheck check(experiment, FOptions.ShardIndex, FOptions.ShardCount);
  const std::string header = TRunsTable::RunsHeader(experiment);
  const std::string stepsHeader = TRunsTable::StepsHeader(experiment);
  const std::string playersHeader = TRunsTable::PlayersHeader(experiment);
  const std::map<int64_t, std::string> done = ReadTable(Path(RunsCsv), header, true, true);
  check.Runs(Path(RunsCsv), done);
  // A run killed after its steps or its players and before its row runs again: those lines go.
  const auto keepDone = [&](const std::string& Name, const std::string& Header) {
    std::map<int64_t, std::string> rows = ReadTable(Path(Name), Header, true, false);
    const size_t before = rows.size();
    std::erase_if(rows, [&](const auto& r) { return !done.contains(r.first); });
    if (rows.size() != before)
      WriteWhole(Path(Name), "a table", Joined(rows, Header));
    return rows;
  };
  if (every > 0)
    check.Steps(Path(StepsCsv), keepDone(StepsCsv, stepsHeader));
  check.Players(Path(PlayersCsv), keepDone(PlayersCsv, playersHeader));
  TRunsTable runs(Path(RunsCsv), header);
  TRunsTable players(Path(PlayersCsv), playersHeader);
  std::optional<TRunsTable> stepsTable;
  if (every > 0)
    stepsTable.emplace(Path(StepsCsv), stepsHeader);

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
      if (i >= pending.size() || failed || Interrupted())
        return;
      const int64_t run = pending[i];
      TExperimentRun::TPlan plan;
      const int64_t combination = experiment.CombinationOf(run);
      plan.Scene = experiment.SceneOf(combination);
      plan.Circuit = experiment.CircuitOf(combination);
      const std::vector<double> values = experiment.ValuesOf(combination);
      for (size_t v = 0; v < values.size(); ++v)
        if (experiment.Variables()[v].Names.empty())
          plan.Values.emplace_back(experiment.Variables()[v].Setting, values[v]);
      plan.Steps = experiment.Steps();
      plan.Futures = experiment.Futures();
      plan.BudgetMs = experiment.BudgetMs();
      plan.Seed = experiment.RunSeed(run);
      plan.Measures = &experiment.Measures();
      plan.Stops = &experiment.Stops();
      plan.Every = every;
      try {
        const TExperimentRun::TResult result = TExperimentRun::Run(plan);
        const std::lock_guard<std::mutex> guard(lock);
        // The steps and the players first: a run whose row is there has all its lines.
        if (stepsTable)
          stepsTable->Append(TRunsTable::StepRows(experiment, run, result));
        players.Append(TRunsTable::PlayerRows(experiment, run, result));
        runs.Append(TRunsTable::RunRow(experiment, run, result));
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
  if (Interrupted() && finished < static_cast<int64_t>(pending.size()))
    throw ERunFailed("Interrupted after " + std::to_string(already + finished) + " of " +
                     std::to_string(total) +
                     " runs (they are kept; run the same command again to go on).");
  TTables all;
  all.Runs = TRunsTable::Read(Path(RunsCsv), header, false, true);
  all.Players = TRunsTable::Read(Path(PlayersCsv), playersHeader, false, false);
  if (every > 0)
    all.Steps = TRunsTable::Read(Path(StepsCsv), stepsHeader, false, false);
  Finish(experiment, all, every > 0);
  if (FOptions.Sharded())
    FOut << "Shard " << FOptions.ShardText() << ": " << total
         << " runs done. Join the shards' folders with --merge.\n";
}

void TExperimentRunner::Merge() {
  const QJsonObject first = TResultsFolder::ReadRecord(FOptions.Merge[0] + "/" + ExperimentJson);
  const TExperiment experiment = [&] {
    try {
      return TExperiment::FromJson(first.value("experiment").toObject());
    } catch (const EExperimentInput& e) {
      throw EExperimentInput("\"" + FOptions.Merge[0] + "/" + ExperimentJson + "\": " + e.what());
    }
  }();
  const int32_t every = first.value("every").toInt();
  const QJsonObject hashes = first.value("hashes").toObject();
  const std::string header = TRunsTable::RunsHeader(experiment);
  const std::string stepsHeader = TRunsTable::StepsHeader(experiment);
  const std::string playersHeader = TRunsTable::PlayersHeader(experiment);
  TTables all;
  std::map<int64_t, std::string> from;
  std::map<std::string, std::string> shards; // "K/N" -> folder
  int32_t shardCount = 0;                    // of every folder, when they agree
  // Every row of every folder is read and checked before anything is written.
  for (const std::string& dir : FOptions.Merge) {
    const QJsonObject record = TResultsFolder::ReadRecord(dir + "/" + ExperimentJson);
    if (record.value("experiment").toObject() != experiment.Json() ||
        record.value("every").toInt() != every)
      throw EExperimentInput("\"" + dir + "\" holds another experiment than \"" +
                             FOptions.Merge[0] + "\".");
    TResultsFolder::CheckSameOrigin(record, dir, hashes);
    const QString shard = record.value("shard").toString();
    const int32_t index = shard.isEmpty() ? 0 : shard.section('/', 0, 0).toInt();
    const int32_t count = shard.isEmpty() ? 1 : shard.section('/', 1, 1).toInt();
    shardCount = shardCount == 0 || shardCount == count ? count : -1;
    shards[shard.isEmpty() ? "0/1" : shard.toStdString()] = dir;
    const TRowCheck check(experiment, index, count);
    const std::string runsCsv = dir + "/" + RunsCsv;
    const std::map<int64_t, std::string> runs = TRunsTable::Read(runsCsv, header, false, true);
    check.Runs(runsCsv, runs);
    for (const auto& [run, line] : runs) {
      if (from.contains(run))
        throw EExperimentInput("Run " + std::to_string(run) + " is both in \"" + from[run] +
                               "\" and in \"" + dir + "\".");
      from[run] = dir;
      all.Runs[run] = line;
    }
    const auto others = [&](const char* Name, const std::string& Header, auto Check,
                            std::map<int64_t, std::string>& Into) {
      const std::string file = dir + "/" + Name;
      const std::map<int64_t, std::string> rows = TRunsTable::Read(file, Header, false, false);
      (check.*Check)(file, rows);
      for (const auto& [run, lines] : rows)
        if (runs.contains(run))
          Into[run] = lines;
    };
    others(PlayersCsv, playersHeader, &TRowCheck::Players, all.Players);
    if (every > 0)
      others(StepsCsv, stepsHeader, &TRowCheck::Steps, all.Steps);
  }
  std::string missingShards;
  int32_t missingShardCount = 0;
  if (shardCount > 0)
    for (int32_t k = 0; k < shardCount; ++k) {
      const std::string name = std::to_string(k) + "/" + std::to_string(shardCount);
      if (!shards.contains(name) && missingShardCount++ < 10)
        missingShards += (missingShards.empty() ? "" : ", ") + name;
    }
  if (missingShardCount > 0)
    throw EExperimentInput(std::to_string(missingShardCount) + " of " + std::to_string(shardCount) +
                           " shards are in none of the folders (" + missingShards +
                           (missingShardCount > 10 ? ", ..." : "") +
                           "); give every shard's folder.");
  std::vector<int64_t> missing;
  for (int64_t r = 0; r < experiment.RunCount(); ++r)
    if (!all.Runs.contains(r))
      missing.push_back(r);
  if (!missing.empty()) {
    std::string list;
    for (size_t i = 0; i < missing.size() && i < 10; ++i)
      list += (i == 0 ? "" : ", ") + std::to_string(missing[i]);
    std::string where;
    if (shardCount > 0) {
      const int64_t r = missing[0] % shardCount;
      where = " (run " + std::to_string(missing[0]) + " belongs to shard " + std::to_string(r) +
              "/" + std::to_string(shardCount) + ", in \"" +
              shards[std::to_string(r) + "/" + std::to_string(shardCount)] + "\")";
    }
    throw EExperimentInput(std::to_string(missing.size()) + " of " +
                           std::to_string(experiment.RunCount()) + " runs are missing: " + list +
                           (missing.size() > 10 ? ", ..." : "") + where +
                           "; finish every shard first (its command again goes on where it "
                           "stopped).");
  }
  const QString out = QString::fromStdString(FOptions.Out);
  if (QFileInfo::exists(out) && !(QFileInfo(out).isDir() && QDir(out).isEmpty()))
    throw EExperimentInput("\"" + FOptions.Out + "\" exists and is not an empty folder.");
  if (!QFileInfo::exists(out) && !QDir().mkdir(out))
    throw EExperimentInput("Cannot make the folder \"" + FOptions.Out + "\".");
  WriteExperimentJson(experiment, "", every, hashes);
  Finish(experiment, all, every > 0);
}

void TExperimentRunner::Finish(const TExperiment& Experiment, const TTables& Tables, bool Steps) {
  // In the order of the runs, whatever order they finished in: the same files from one machine
  // and from merged shards, and a shard's as sorted as the whole.
  WriteWhole(Path(RunsCsv), "the runs' table",
             Joined(Tables.Runs, TRunsTable::RunsHeader(Experiment)));
  WriteWhole(Path(PlayersCsv), "the players' table",
             Joined(Tables.Players, TRunsTable::PlayersHeader(Experiment)));
  if (Steps)
    WriteWhole(Path(StepsCsv), "the steps' table",
               Joined(Tables.Steps, TRunsTable::StepsHeader(Experiment)));
  if (FOptions.Sharded())
    return;
  const TSummary summary(Experiment, Tables.Runs);
  WriteWhole(Path("summary.csv"), "the summary", summary.Csv());
  if (FOptions.Plots) {
    const std::string plots = Path("plots");
    if (!QDir().mkpath(QString::fromStdString(plots)))
      throw EError("Cannot make the folder \"" + plots + "\".");
    TExperimentPlots::Write(summary, plots);
  }
  FOut << summary.Text() << std::flush;
}
