#include "ui/batch/UBatchRun.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "agents/UKart.h"
#include "agents/URocket.h"
#include "goals/UGoal2DStorage.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "ui/batch/UCsvFile.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/UVideoRecorder.h"
#include "world/URoster.h"
#include "world/UTrack2D.h"

namespace {

// Numbers as the reports write them: enough digits to compare runs, the same on every machine.
std::string Num(double X) {
  if (!std::isfinite(X))
    return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", X);
  return text;
}

std::string KindOf(const TPlayer& Player) {
  if (Player.IsKart())
    return "kart";
  if (Player.IsRocket())
    return "rocket";
  return "player";
}

template <class T> T Median(std::vector<T> Values) {
  if (Values.empty())
    return T{};
  std::sort(Values.begin(), Values.end());
  const size_t n = Values.size();
  return n % 2 == 1 ? Values[n / 2] : (Values[n / 2 - 1] + Values[n / 2]) / 2;
}

template <class T> std::string Stats(const std::vector<T>& Values) {
  if (Values.empty())
    return "{\"min\": null, \"median\": null, \"max\": null}";
  const auto [lo, hi] = std::minmax_element(Values.begin(), Values.end());
  return "{\"min\": " + Num(*lo) + ", \"median\": " + Num(Median(Values)) +
         ", \"max\": " + Num(*hi) + "}";
}

std::string Quoted(const std::string& Text) {
  std::string out = "\"";
  for (char c : Text) {
    if (c == '"' || c == '\\')
      out += '\\';
    out += c;
  }
  return out + "\"";
}

// Collecting energy drops and storing them in a box: the team goals of the "drops" scenario,
// with the values the window's menu items give them.
constexpr double DropGoalValue = 1, StorageGoalValue = 1;

} // namespace

TBatchRun::TBatchRun(TBatchOptions Options) : FOptions(std::move(Options)) {
  FSeed = FOptions.Seed ? *FOptions.Seed : SeedFromClock();
  RandSeed(FSeed);
  BuildWorld();
}

TBatchRun::~TBatchRun() {
  // Players first (the team owns them), then the world that referenced them.
  FTeam.reset();
  FTrack.reset();
}

int TBatchRun::Execute(const TBatchOptions& Options, std::ostream& Out, std::ostream& Err,
                       std::ostream* Progress) {
  try {
    TBatchRun run(Options);
    run.Run(Progress);
    Out << (Options.Json ? run.JsonSummary() + "\n" : run.TextSummary()) << std::flush;
  } catch (const std::exception& e) {
    Err << "kartsim-batch: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}

void TBatchRun::BuildWorld() {
  FPicture = FOptions.Circuit.empty() ? TQtPicture::LoadDefaultCircuit()
                                      : TQtPicture::LoadBmpBytes(FOptions.Circuit);
  FTrack = std::make_unique<TTrack2D>();
  FTrack->LoadTrack(FPicture.get());
  FTeam = std::make_unique<TTeam>();
  FTrack->AddTeam(FTeam.get());
  // The window's settings, as its controls hold them at start unless asked otherwise.
  TWorldSettings settings = FTrack->Settings();
  settings.FFutureMs = CheckedMul(FOptions.Seconds, 1000);
  settings.FMinFutures = FOptions.MinFutures;
  settings.FCollisions = FOptions.Collisions;
  settings.FFixedFutures = FOptions.Futures;
  FTrack->SetSettings(settings);
  FTrack->SetThreads(FOptions.Threads);
  FTrack->SetEvolution(FOptions.Evolution);
  AddScenarioPlayers();
  if (FOptions.AILevel > 0)
    for (int32_t i = 0; i < FTrack->PlayerCount(); ++i)
      FTrack->Players(i)->SetAILevel(FOptions.AILevel);
  Track(0);
  FTrack->Redraw(true);
}

void TBatchRun::AddScenarioPlayers() {
  TRoster roster(*FTrack);
  const std::string& s = FOptions.Scenario;
  if (s == "kart") {
    roster.AddPlayer(TRoster::pkKart);
    return;
  }
  // The program starts with one rocket; the other scenarios build on it as the user would.
  roster.AddPlayer(TRoster::pkRocket);
  if (s == "circle") {
    roster.AddCircleOfKarts();
  } else if (s == "drops") {
    roster.AddPlayerAhead(TRoster::pkKart);
    roster.AddPlayerAhead(TRoster::pkKart);
    FTeam->AddGoal(std::make_unique<TGoal2DSweets>(DropGoalValue));
    FTeam->AddGoal(TGoal2DStorage::NewOnRoad(*FTrack, StorageGoalValue));
    FTeam->FDrawGoals = true;
  }
}

void TBatchRun::Track(int32_t Step) {
  for (TPlayerRecord& r : FRecords)
    if (r.Player != nullptr && FTeam->IndexOfMember(r.Player) < 0) {
      r.Player = nullptr;
      r.RemovedStep = Step;
    }
  for (int32_t i = 0; i < FTeam->MemberCount(); ++i) {
    TPlayer* player = FTeam->Members(i);
    auto known = std::find_if(FRecords.begin(), FRecords.end(),
                              [&](const TPlayerRecord& r) { return r.Player == player; });
    const TPlayer2D* body = player->AsPlayer2D();
    if (known == FRecords.end()) {
      TPlayerRecord r;
      r.Index = static_cast<int32_t>(FRecords.size());
      r.Kind = KindOf(*player);
      r.BornStep = Step;
      r.Player = player;
      if (body != nullptr) {
        r.X = body->PosX();
        r.Y = body->PosY();
      }
      FRecords.push_back(r);
      known = FRecords.end() - 1;
    }
    TPlayerRecord& r = *known;
    if (body != nullptr) {
      r.Distance += std::hypot(body->PosX() - r.X, body->PosY() - r.Y);
      r.X = body->PosX();
      r.Y = body->PosY();
    }
    r.Alive = !player->IsDead();
    r.Health = player->Health();
    r.Energy = player->Energy();
    r.Size = player->Size();
  }
}

void TBatchRun::Run(std::ostream* Progress) {
  std::optional<TCsvFile> csv, decisions;
  if (!FOptions.CsvFile.empty())
    csv.emplace(FOptions.CsvFile,
                "step,player,kind,x,y,angle,vx,vy,health,energy,size,dead,futures,dots,grid");
  if (!FOptions.DecisionsFile.empty())
    decisions.emplace(FOptions.DecisionsFile, "step,player,option,param,push,futures,score,weight");
  CheckFramesFolder();
  std::optional<TVideoRecorder> video;
  if (!FOptions.VideoFile.empty())
    video.emplace(FOptions.VideoFile, FPicture->Width(), FPicture->Height(),
                  TVideoRecorder::FramesPerSecond(FTrack->Settings().FDeltaMs));
  using Clock = std::chrono::steady_clock;
  const auto started = Clock::now();
  auto lastReport = started;
  const int32_t subSteps = FTrack->SubStepCount();
  for (int32_t step = 1; step <= FOptions.Steps; ++step) {
    const int64_t players = FTrack->PlayerCount();
    const auto stepStarted = Clock::now();
    FTrack->Step(FOptions.BudgetMs);
    const auto stepEnded = Clock::now();
    FStepMs.push_back(std::chrono::duration<double, std::milli>(stepEnded - stepStarted).count());
    FFutures.push_back(FTrack->LastFutureCount());
    FFuturesNs += FTrack->LastFuturesNs();
    FBodySubSteps += static_cast<int64_t>(FTrack->LastFutureCount()) * subSteps * players;
    Track(step);
    if (csv) {
      WriteCsvRows(csv->Rows(), step);
      csv->Flush();
    }
    if (decisions) {
      WriteDecisionRows(decisions->Rows(), step);
      decisions->Flush();
    }
    if (!FOptions.FramesStem.empty())
      WriteFrame(step);
    if (video)
      video->AddFrame(FPicture->Image());
    if (Progress != nullptr && stepEnded - started > std::chrono::seconds(3) &&
        stepEnded - lastReport > std::chrono::seconds(1)) {
      lastReport = stepEnded;
      *Progress << "step " << step << "/" << FOptions.Steps << ", " << FTrack->LastFutureCount()
                << " futures per step" << std::endl;
    }
  }
  if (csv)
    csv->Commit();
  if (decisions)
    decisions->Commit();
  if (video)
    video->Finish();
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
}

std::string TBatchRun::FrameName(int32_t Step) const {
  char number[16];
  std::snprintf(number, sizeof number, "%5.5d", Step);
  return FOptions.FramesStem + "_" + number + ".bmp";
}

void TBatchRun::WriteCsvRows(std::ostream& Csv, int32_t Step) const {
  for (const TPlayerRecord& r : FRecords) {
    if (r.Player == nullptr)
      continue;
    const TPlayer& p = *r.Player;
    const TPlayer2D* body = p.AsPlayer2D();
    TPlayer& mutablePlayer = *r.Player;
    Csv << Step << ',' << r.Index << ',' << r.Kind << ',' << Num(body ? body->PosX() : 0) << ','
        << Num(body ? body->PosY() : 0) << ',' << Num(body ? body->Angle() : 0) << ','
        << Num(body ? body->VelX() : 0) << ',' << Num(body ? body->VelY() : 0) << ','
        << Num(p.Health()) << ',' << Num(p.Energy()) << ',' << Num(p.Size()) << ','
        << (p.IsDead() ? 1 : 0) << ',' << mutablePlayer.Futures().FutureCount() << ','
        << mutablePlayer.Futures().DotCount() << ',' << p.GridSize() << '\n';
  }
}

void TBatchRun::WriteDecisionRows(std::ostream& Csv, int32_t Step) const {
  for (const TPlayerRecord& r : FRecords) {
    if (r.Player == nullptr)
      continue;
    const TState& state = r.Player->RealState();
    const TDecisionRecord& decision = r.Player->Futures().LastDecision();
    for (size_t k = 0; k < decision.Options.size(); ++k) {
      const TDecisionRecord::TOption& option = decision.Options[k];
      const bool pushed = option.Param >= 0 && option.Param < state.FreeParamCount();
      Csv << Step << ',' << r.Index << ',' << k << ','
          << (pushed ? state.FreeParam(option.Param).Name : std::string()) << ','
          << Num(option.Push) << ',' << option.Futures << ','
          << Num(static_cast<double>(option.Score)) << ','
          << Num(static_cast<double>(option.Weight)) << '\n';
    }
  }
}

void TBatchRun::WriteFrame(int32_t Step) const {
  FPicture->SaveBmpBytes(FrameName(Step));
}

std::string TBatchRun::JsonSummary() const {
  const int32_t subSteps = FTrack->SubStepCount();
  std::ostringstream out;
  out << "{\"scenario\": " << Quoted(FOptions.Scenario) << ", \"steps\": " << FOptions.Steps
      << ", \"seed\": " << FSeed
      << ", \"ai_level\": " << (FOptions.AILevel > 0 ? FOptions.AILevel : 8)
      << ", \"threads\": " << FTrack->Threads() << ", \"substeps_per_future\": " << subSteps
      << ", \"futures_per_step\": " << Stats(FFutures) << ", \"step_ms\": " << Stats(FStepMs)
      << ", \"ns_per_body_substep\": "
      << (FBodySubSteps > 0 ? Num(static_cast<double>(FFuturesNs) / FBodySubSteps) : "null")
      << ", \"drop_units_consumed\": " << DropUnitsConsumed() << ", \"players\": [";
  for (size_t i = 0; i < FRecords.size(); ++i) {
    const TPlayerRecord& r = FRecords[i];
    out << (i > 0 ? ", " : "") << "{\"index\": " << r.Index << ", \"kind\": " << Quoted(r.Kind)
        << ", \"born_step\": " << r.BornStep
        << ", \"removed_step\": " << (r.RemovedStep ? std::to_string(*r.RemovedStep) : "null")
        << ", \"alive\": " << (r.Alive ? "true" : "false") << ", \"health\": " << Num(r.Health)
        << ", \"energy\": " << Num(r.Energy) << ", \"size\": " << Num(r.Size)
        << ", \"x\": " << Num(r.X) << ", \"y\": " << Num(r.Y)
        << ", \"distance\": " << Num(r.Distance) << "}";
  }
  out << "]}";
  return out.str();
}

int64_t TBatchRun::DropUnitsConsumed() const {
  int64_t units = 0;
  for (int32_t g = 0; g < FTeam->GoalCount(); ++g)
    if (const auto* drops = dynamic_cast<const TGoal2DSweets*>(FTeam->Goals(g)))
      units += drops->FConsumedUnits;
  return units;
}

std::string TBatchRun::TextSummary() const {
  std::ostringstream out;
  out << "Scenario " << FOptions.Scenario << ", " << FOptions.Steps << " steps, seed " << FSeed
      << ", AI level " << (FOptions.AILevel > 0 ? FOptions.AILevel : 8) << ", "
      << FTrack->SubStepCount() << " sub-steps per future, " << FTrack->Threads()
      << (FTrack->Threads() == 1 ? " thread\n" : " threads\n");
  if (!FFutures.empty()) {
    const auto [lo, hi] = std::minmax_element(FFutures.begin(), FFutures.end());
    out << "Futures per step: median " << Num(Median(FFutures)) << " (min " << *lo << ", max "
        << *hi << ")\n";
    out << "Step time: median " << Num(Median(FStepMs)) << " ms\n";
  }
  if (FBodySubSteps > 0)
    out << "Time per body sub-step: " << Num(static_cast<double>(FFuturesNs) / FBodySubSteps)
        << " ns\n";
  for (const TPlayerRecord& r : FRecords) {
    out << "Player " << r.Index << " (" << r.Kind << "): ";
    if (r.RemovedStep)
      out << "removed at step " << *r.RemovedStep;
    else
      out << (r.Alive ? "alive" : "dead") << " at (" << Num(r.X) << ", " << Num(r.Y) << "), health "
          << Num(r.Health) << ", energy " << Num(r.Energy);
    out << ", travelled " << Num(r.Distance) << " px\n";
  }
  return out.str();
}
