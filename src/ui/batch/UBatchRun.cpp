#include "ui/batch/UBatchRun.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <ostream>
#include <sstream>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <system_error>
#include <unistd.h>

#include "agents/UPlayer2D.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "ui/batch/UCsvFile.h"
#include "ui/qt/UOutputFile.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/UReplayFile.h"
#include "ui/qt/USceneFile.h"
#include "ui/qt/UVideoRecorder.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"
#include "world/UWorldDefaults.h"
#include "world/UWorldHash.h"

namespace {

std::string Num(double X) {
  return TBatchRecords::Num(X);
}

QJsonValue JsonNum(double X) {
  if (!std::isfinite(X))
    return QJsonValue();
  return std::stod(Num(X));
}

template <class T> T Median(std::vector<T> Values) {
  if (Values.empty())
    return T{};
  std::sort(Values.begin(), Values.end());
  const size_t n = Values.size();
  return n % 2 == 1 ? Values[n / 2] : (Values[n / 2 - 1] + Values[n / 2]) / 2;
}

template <class T> QJsonObject Stats(const std::vector<T>& Values) {
  QJsonObject stats{{"min", QJsonValue()}, {"median", QJsonValue()}, {"max", QJsonValue()}};
  if (Values.empty())
    return stats;
  const auto [lo, hi] = std::minmax_element(Values.begin(), Values.end());
  stats["min"] = JsonNum(*lo);
  stats["median"] = JsonNum(Median(Values));
  stats["max"] = JsonNum(*hi);
  return stats;
}

} // namespace

TBatchRun::TBatchRun(TBatchOptions Options) : FOptions(std::move(Options)) {
  FSeed = FOptions.Seed ? *FOptions.Seed : SeedFromClock();
  BuildWorld();
}

TBatchRun::~TBatchRun() = default;

int TBatchRun::Execute(const TBatchOptions& Options, std::ostream& Out, std::ostream& Err,
                       std::ostream* Progress) {
  // Standard output that carries a CSV carries nothing else.
  std::ostream& summary = Options.CsvFile == "-" || Options.DecisionsFile == "-" ? Err : Out;
  try {
    TBatchRun run(Options);
    run.Run(Progress);
    summary << (Options.Json ? run.JsonSummary() + "\n" : run.TextSummary()) << std::flush;
  } catch (const EBatchUsage& e) {
    Err << "kartsim-batch: " << e.what() << std::endl;
    return 2;
  } catch (const std::exception& e) {
    Err << "kartsim-batch: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

void TBatchRun::BuildWorld() {
  if (!FOptions.ReplayFile.empty()) {
    OpenReplay();
    return;
  }
  if (!FOptions.SceneFile.empty()) {
    try {
      FWorld = TSceneFile::OpenBytes(FOptions.SceneFile);
    } catch (const EError& e) {
      throw EBatchUsage(std::string("--scene: ") + e.what());
    }
  } else {
    FWorld = TSceneFile::OpenScenario(FOptions.Scenario);
  }
  ApplyOptions();
  FFirstStep = static_cast<int32_t>(FWorld->StepCount());
  // A scene saved from a run goes on with that run's stream, unless a seed starts a new one.
  FSceneStream = FWorld->StreamKept() && !FOptions.Seed;
  FNewStream = FWorld->StreamKept() && FOptions.Seed;
  // After the world is built or opened, so that a scenario and the scene saved from it run the
  // same: nothing drawn while building comes before the run's first draw.
  if (!FSceneStream)
    FWorld->Reseed(FSeed);
  FRecords.Track(*FWorld, FFirstStep);
  FFrame = std::make_unique<TQtPicture>(FWorld->Circuit().Width(), FWorld->Circuit().Height());
  if (!FOptions.SaveReplayFile.empty())
    FReplayOut.Start(*FWorld);
}

void TBatchRun::OpenReplay() {
  TReplayFile::TOpened opened;
  try {
    opened = TReplayFile::OpenBytes(FOptions.ReplayFile);
  } catch (const EError& e) {
    throw EBatchUsage(std::string("--replay: ") + e.what());
  }
  FWorld = std::move(opened.World);
  FReplayIn = std::move(opened.Replay);
  FReplaying = true;
  FOptions.Steps = static_cast<int32_t>(FReplayIn.Steps.size());
  FWorld->Track().SetThreads(FOptions.Threads);
  FFirstStep = static_cast<int32_t>(FWorld->StepCount());
  FSceneStream = true;
  FRecords.Track(*FWorld, FFirstStep);
  FFrame = std::make_unique<TQtPicture>(FWorld->Circuit().Width(), FWorld->Circuit().Height());
  if (!FOptions.SaveReplayFile.empty())
    FReplayOut.Start(*FWorld);
}

void TBatchRun::Apply(const std::vector<TWorldCommand>& Commands, bool Last) {
  for (size_t i = 0; i < Commands.size(); ++i) {
    const TWorldCommand& command = Commands[i];
    FReplayOut.Record(command);
    try {
      command.Apply(*FWorld);
    } catch (const std::exception& e) {
      // A change that raised in the window too: the window reported it and went on, and so does
      // the replay, unless the replay ends with it (it was saved from its error report).
      if (!command.Failed || (Last && i + 1 == Commands.size()))
        throw;
      std::cerr << "kartsim-batch: " << e.what() << " (raised where the replay was recorded too)"
                << std::endl;
      continue;
    }
    if (command.Failed)
      throw EError("The replay parts from its record: the command \"" + command.Kind +
                   "\" raised where it was recorded, and now runs without an error.");
  }
}

bool TBatchRun::StepWorld(int32_t Step, int32_t Number) {
  if (!FReplaying) {
    FWorld->Step(FOptions.BudgetMs);
    return true;
  }
  const TReplay::TStep& recorded = FReplayIn.Steps[static_cast<size_t>(Step - 1)];
  Apply(recorded.Commands, false);
  FWorld->Track().SetFixedFutures(recorded.Futures);
  try {
    FWorld->Step(FOptions.BudgetMs);
  } catch (const std::exception& e) {
    // A step that raised where it was recorded too: the window reported it and ran on, and so
    // does the replay, unless the replay ends with it (it was saved from its error report).
    const bool last = Step == FOptions.Steps && FReplayIn.After.empty();
    if (recorded.Hash || last)
      throw;
    std::cerr << "kartsim-batch: " << e.what() << " (raised where the replay was recorded too)"
              << std::endl;
    return false;
  }
  if (!recorded.Hash)
    throw EError("The replay recorded an error at step " + std::to_string(Number) +
                 ", which now runs without one.");
  const std::string hash = TWorldHash::Short(TWorldHash::Of(*FWorld));
  if (hash != *recorded.Hash)
    throw EError("The replay parts from its record at step " + std::to_string(Number) +
                 ": the world's hash is " + hash + ", the replay recorded " + *recorded.Hash +
                 " (a program that computes differently).");
  return true;
}

void TBatchRun::SaveReplay() {
  if (FOptions.SaveReplayFile.empty())
    return;
  TReplayFile::SaveBytes(FReplayOut, FOptions.SaveReplayFile);
}

void TBatchRun::ApplyOptions() {
  if (!FOptions.Circuit.empty())
    FWorld->LoadCircuit(*TQtPicture::LoadBmpBytes(FOptions.Circuit), "");
  TTrack2D& track = FWorld->Track();
  TWorldSettings settings = track.Settings();
  // What was given, or set apart from the defaults by a caller that builds the options itself.
  const TBatchOptions defaults;
  if (FOptions.IsGiven("seconds") || FOptions.Seconds != defaults.Seconds)
    settings.FFutureMs = CheckedMul(FOptions.Seconds, 1000);
  if (FOptions.IsGiven("min-futures") || FOptions.MinFutures != defaults.MinFutures)
    settings.FMinFutures = FOptions.MinFutures;
  if (FOptions.IsGiven("no-collisions") || FOptions.Collisions != defaults.Collisions)
    settings.FCollisions = FOptions.Collisions;
  settings.FFixedFutures = FOptions.Futures;
  track.SetSettings(settings);
  track.SetThreads(FOptions.Threads);
  if (FOptions.IsGiven("evolution") || FOptions.Evolution != defaults.Evolution) {
    const TRandom::TUse use = FWorld->UseRandom();
    track.SetEvolution(FOptions.Evolution);
  }
  if (FOptions.AILevel > 0)
    for (int32_t i = 0; i < track.PlayerCount(); ++i)
      track.Players(i)->SetAILevel(FOptions.AILevel);
}

std::string TBatchRun::Name() const {
  if (FReplaying)
    return FOptions.ReplayFile;
  return FOptions.SceneFile.empty() ? FOptions.Scenario : FOptions.SceneFile;
}

void TBatchRun::Run(std::ostream* Progress) {
  std::optional<TCsvFile> csv, decisions;
  std::optional<TOutputFile> scene;
  std::optional<TVideoRecorder> video;
  // Every output is checked, and opened, before the first step, which may take long: a place
  // that cannot be written ends the run at once, as a bad argument does.
  CheckOutputsApart();
  try {
    if (!FOptions.CsvFile.empty())
      csv.emplace(FOptions.CsvFile, TBatchRecords::CsvHeader());
    if (!FOptions.DecisionsFile.empty())
      decisions.emplace(FOptions.DecisionsFile, TBatchRecords::DecisionsHeader);
    if (!FOptions.SaveSceneFile.empty())
      scene.emplace(FOptions.SaveSceneFile, "the scene");
    CheckFramesFolder();
    if (!FOptions.VideoFile.empty())
      video.emplace(FOptions.VideoFile, Picture().Width(), Picture().Height(),
                    TVideoRecorder::FramesPerSecond(FWorld->Track().Settings().FDeltaMs));
  } catch (const EError& e) {
    throw EBatchUsage(e.what());
  }
  using Clock = std::chrono::steady_clock;
  const auto started = Clock::now();
  auto lastReport = started;
  TTrack2D& track = FWorld->Track();
  const int32_t subSteps = track.SubStepCount();
  for (int32_t step = 1; step <= FOptions.Steps; ++step) {
    const int64_t players = track.PlayerCount();
    // Numbered on from the steps of the run a scene was saved from.
    const int32_t number = CheckedAdd(FFirstStep, step);
    const auto stepStarted = Clock::now();
    bool done = true;
    try {
      done = StepWorld(step, number);
    } catch (...) {
      // The replay up to the step that failed, so that it fails again the same way.
      if (FWorld->StepCount() == number) {
        FReplayOut.StepFailed(*FWorld);
        SaveReplay();
      }
      throw;
    }
    if (!FOptions.SaveReplayFile.empty()) {
      if (done)
        FReplayOut.StepDone(*FWorld);
      else
        FReplayOut.StepFailed(*FWorld);
    }
    const auto stepEnded = Clock::now();
    FStepMs.push_back(std::chrono::duration<double, std::milli>(stepEnded - stepStarted).count());
    FFutures.push_back(track.LastFutureCount());
    FFuturesNs += track.LastFuturesNs();
    FBodySubSteps += static_cast<int64_t>(track.LastFutureCount()) * subSteps * players;
    FRecords.Track(*FWorld, number);
    if (csv) {
      FRecords.WriteCsvRows(csv->Rows(), number);
      csv->Flush();
    }
    if (decisions) {
      FRecords.WriteDecisionRows(decisions->Rows(), number);
      decisions->Flush();
    }
    if (!FOptions.FramesStem.empty() || video)
      PaintFrame();
    if (!FOptions.FramesStem.empty())
      WriteFrame(step);
    if (video)
      video->AddFrame(Picture().Image());
    if (Progress != nullptr && stepEnded - started > std::chrono::seconds(3) &&
        stepEnded - lastReport > std::chrono::seconds(1)) {
      lastReport = stepEnded;
      *Progress << "step " << step << "/" << FOptions.Steps << ", " << track.LastFutureCount()
                << " futures per step" << std::endl;
    }
  }
  if (FReplaying)
    Apply(FReplayIn.After, true);
  // The video is the last to fail (ffmpeg writes its end only now): the other files take their
  // names once it has ended well, and it takes its own last.
  if (video)
    video->Close();
  SaveReplay();
  if (scene) {
    scene->Write(TSceneFile::Encode(*FWorld));
    scene->Commit();
  }
  if (csv)
    csv->Commit();
  if (decisions)
    decisions->Commit();
  if (video)
    video->Finish();
}

std::filesystem::path TBatchRun::Place(const std::string& Name) {
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::absolute(TOutputFile::LinkTarget(Name), ec);
  const std::filesystem::path place = std::filesystem::weakly_canonical(target, ec);
  return ec ? target : place;
}

void TBatchRun::CheckOutputsApart() const {
  const std::pair<const char*, const std::string*> outputs[] = {
      {"--csv", &FOptions.CsvFile},
      {"--decisions", &FOptions.DecisionsFile},
      {"--save-scene", &FOptions.SaveSceneFile},
      {"--video", &FOptions.VideoFile},
      {"--save-replay", &FOptions.SaveReplayFile}};
  const auto same = [](const std::filesystem::path& A, const std::filesystem::path& B) {
    std::error_code ec;
    return A == B || std::filesystem::equivalent(A, B, ec); // hard links too
  };
  const auto refuse = [](const char* A, const char* B, const std::string& Name) {
    throw EBatchUsage(std::string(A) + " and " + B + " both write \"" + Name +
                      "\": give each its own file");
  };
  for (size_t i = 0; i < std::size(outputs); ++i) {
    const auto& [option, name] = outputs[i];
    if (name->empty())
      continue;
    const bool dash = *name == "-" && (i == 0 || i == 1); // standard output
    for (size_t j = i + 1; j < std::size(outputs); ++j) {
      const auto& [other, otherName] = outputs[j];
      if (otherName->empty())
        continue;
      const bool otherDash = *otherName == "-" && j == 1;
      if (dash && otherDash)
        throw EBatchUsage(std::string(option) + " and " + other +
                          " both write to standard output (-): give one of them a file");
      if (!dash && !otherDash && same(Place(*name), Place(*otherName)))
        refuse(option, other, *name);
    }
    // A numbered frame of the run under the same name.
    if (dash || FOptions.FramesStem.empty())
      continue;
    const std::filesystem::path place = Place(*name);
    const std::string file = place.filename().string();
    const std::string stem = std::filesystem::path(FOptions.FramesStem).filename().string();
    if (file.compare(0, stem.size(), stem) != 0)
      continue;
    const size_t digits = file.find_first_of("0123456789", stem.size());
    if (digits == std::string::npos)
      continue;
    const int64_t number = std::strtoll(file.c_str() + digits, nullptr, 10);
    if (number >= 1 && number <= FOptions.Steps &&
        same(Place(FrameName(static_cast<int32_t>(number))), place))
      refuse("--frames", option, *name);
  }
}

void TBatchRun::CheckFramesFolder() const {
  // Before the first step rather than after it, which may take long.
  if (FOptions.FramesStem.empty())
    return;
  // By the bytes of the name: a folder whose name is not UTF-8 is found as given.
  const std::filesystem::path folder =
      std::filesystem::absolute(std::filesystem::path(FrameName(1))).parent_path();
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec))
    throw EError("Cannot write the bitmap \"" + FrameName(1) + "\": the folder \"" +
                 folder.string() + "\" does not exist.");
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    throw EError("Cannot write the bitmap \"" + FrameName(1) +
                 "\": " + std::system_category().message(errno) + ".");
}

std::string TBatchRun::FrameName(int32_t Step) const {
  char number[32];
  std::snprintf(number, sizeof number, TWorldDefaults::FrameNumberFormat, Step);
  return FOptions.FramesStem + number;
}

void TBatchRun::WriteFrame(int32_t Step) const {
  Picture().SaveBmpBytes(FrameName(Step));
}

std::string TBatchRun::JsonSummary() const {
  const TTrack2D& track = FWorld->Track();
  QJsonObject summary;
  summary["scenario"] = QString::fromStdString(FOptions.Scenario);
  if (!FOptions.SceneFile.empty())
    summary["scenario"] = QJsonValue::Null;
  if (!FOptions.SceneFile.empty())
    summary["scene"] = QFile::decodeName(FOptions.SceneFile.c_str());
  if (FReplaying) {
    summary["scenario"] = QJsonValue::Null;
    summary["replay"] = QFile::decodeName(FOptions.ReplayFile.c_str());
  }
  summary["steps"] = FOptions.Steps;
  // Seeds use all 64 bits, more than a JSON number keeps exactly in most readers: every seed is
  // written as its digits, so that a reader finds one type whatever the seed.
  summary["seed"] = FSceneStream ? QJsonValue() : QJsonValue(QString::number(FSeed));
  // Where the stream came from: the seed, the scene's saved run, or a seed in place of it.
  summary["stream"] = FSceneStream ? "scene" : (FNewStream ? "new" : "seed");
  summary["first_step"] = FFirstStep + 1;
  const std::optional<int32_t> level = CommonAILevel();
  summary["ai_level"] = level ? QJsonValue(*level) : QJsonValue();
  summary["threads"] = track.Threads();
  summary["substeps_per_future"] = track.SubStepCount();
  summary["futures_per_step"] = Stats(FFutures);
  summary["step_ms"] = Stats(FStepMs);
  summary["ns_per_body_substep"] =
      FBodySubSteps > 0 ? JsonNum(static_cast<double>(FFuturesNs) / FBodySubSteps) : QJsonValue();
  summary["drop_units_consumed"] = static_cast<qint64>(DropUnitsConsumed());
  QJsonArray players;
  for (const TPlayerRecord& r : FRecords.Records()) {
    QJsonObject p;
    p["index"] = r.Index;
    p["kind"] = QString::fromStdString(r.Kind);
    p["born_step"] = r.BornStep;
    p["ai_level"] = r.AILevel;
    p["removed_step"] = r.RemovedStep ? QJsonValue(*r.RemovedStep) : QJsonValue();
    p["alive"] = r.Alive;
    p["health"] = JsonNum(r.Health);
    p["energy"] = JsonNum(r.Energy);
    p["size"] = JsonNum(r.Size);
    p["x"] = JsonNum(r.X);
    p["y"] = JsonNum(r.Y);
    p["distance"] = JsonNum(r.Distance);
    players.append(p);
  }
  summary["players"] = players;
  return QJsonDocument(summary).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<int32_t> TBatchRun::CommonAILevel() const {
  std::optional<int32_t> level;
  for (const TPlayerRecord& r : FRecords.Records()) {
    if (level && *level != r.AILevel)
      return std::nullopt;
    level = r.AILevel;
  }
  // Without players, the level they would have.
  return level ? level : (FOptions.AILevel > 0 ? FOptions.AILevel : TWorldDefaults::AILevel);
}

int64_t TBatchRun::DropUnitsConsumed() const {
  return TPlayerLog::DropUnitsConsumed(*FWorld);
}

TQtPicture& TBatchRun::Picture() const {
  return *FFrame;
}

void TBatchRun::PaintFrame() {
  FFrame->CopyFrom(FWorld->Circuit());
  FWorld->Paint(FFrame->Canvas(), true);
}

std::string TBatchRun::TextSummary() const {
  const std::optional<int32_t> level = CommonAILevel();
  std::ostringstream out;
  out << (FReplaying                   ? "Replay "
          : FOptions.SceneFile.empty() ? "Scenario "
                                       : "Scene ")
      << Name() << ", " << FOptions.Steps << " steps, ";
  if (FReplaying)
    out << "its stream from step " << FFirstStep + 1;
  else if (FSceneStream)
    out << "the scene's stream from step " << FFirstStep + 1;
  else
    out << "seed " << FSeed;
  if (FNewStream)
    out << " (a new stream in place of the scene's)";
  out << ", "
      << (level ? "AI level " + std::to_string(*level) : std::string("each player's own AI level"))
      << ", " << FWorld->Track().SubStepCount() << " sub-steps per future, "
      << FWorld->Track().Threads() << (FWorld->Track().Threads() == 1 ? " thread\n" : " threads\n");
  if (!FFutures.empty()) {
    const auto [lo, hi] = std::minmax_element(FFutures.begin(), FFutures.end());
    out << "Futures per step: median " << Num(Median(FFutures)) << " (min " << *lo << ", max "
        << *hi << ")\n";
    out << "Step time: median " << Num(Median(FStepMs)) << " ms\n";
  }
  if (FBodySubSteps > 0)
    out << "Time per body sub-step: " << Num(static_cast<double>(FFuturesNs) / FBodySubSteps)
        << " ns\n";
  for (const TPlayerRecord& r : FRecords.Records()) {
    out << "Player " << r.Index << " (" << r.Kind
        << (level ? std::string() : ", AI level " + std::to_string(r.AILevel)) << "): ";
    if (r.RemovedStep)
      out << "removed at step " << *r.RemovedStep;
    else
      out << (r.Alive ? "alive" : "dead") << " at (" << Num(r.X) << ", " << Num(r.Y) << "), health "
          << Num(r.Health) << ", energy " << Num(r.Energy);
    out << ", travelled " << Num(r.Distance) << " px\n";
  }
  return out.str();
}
