#include "ui/experiment/UExperimentRun.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>

#include "agents/UPlayer2D.h"
#include "goals/UGoal2DStorage.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/URandom.h"
#include "ui/experiment/UExperimentWorld.h"
#include "world/USettingsTable.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

constexpr double None = std::numeric_limits<double>::quiet_NaN();

double Median(std::vector<double> Values) {
  if (Values.empty())
    return None;
  std::sort(Values.begin(), Values.end());
  const size_t n = Values.size();
  return n % 2 == 1 ? Values[n / 2] : (Values[n / 2 - 1] + Values[n / 2]) / 2;
}

double Mean(const std::vector<double>& Values) {
  if (Values.empty())
    return None;
  return std::accumulate(Values.begin(), Values.end(), 0.0) / static_cast<double>(Values.size());
}

} // namespace

TExperimentRun::TExperimentRun(const TPlan& Plan) : FPlan(Plan) {
  if (Plan.Measures == nullptr)
    for (const std::string& name : TMeasure::BuiltInNames())
      FBuiltIns.push_back(TMeasure::BuiltIn(name));
}

TExperimentRun::~TExperimentRun() = default;

TExperimentRun::TResult TExperimentRun::Run(const TPlan& Plan) {
  const std::unique_ptr<TExperimentWorld> world =
      TExperimentWorld::Open(Plan.Scene, Plan.Seed, Plan.Circuit);
  // What the run changes in its world (goals placed on the road, say) draws from the world's
  // stream, as its steps do.
  const TRandom::TUse use = world->World().UseRandom();
  TExperimentRun run(Plan);
  run.FWorld = world.get();
  Apply(Plan, *world);
  run.Track();
  run.FBorn = 0;
  run.FLog = std::make_unique<TPlayerLog>(world->World());
  run.FLog->Follow(0);
  TResult result;
  TTrack2D& track = world->Track();
  const bool stops = Plan.Stops != nullptr && !Plan.Stops->empty();
  for (int32_t step = 1; step <= Plan.Steps; ++step) {
    const auto started = std::chrono::steady_clock::now();
    world->World().Step(Plan.BudgetMs);
    run.FStepMs.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count());
    run.FFutures.push_back(track.LastFutureCount());
    run.Track();
    run.FLog->Follow(step);
    const bool listed = Plan.Every > 0 && step % Plan.Every == 0;
    if (!listed && !stops)
      continue;
    std::vector<double> now = run.Measure(false);
    bool stopped = false;
    if (stops)
      for (const TExperiment::TStop& s : *Plan.Stops)
        stopped = stopped || s.Holds(now[s.Measure]);
    // The step a run stops at is in steps.csv, whatever the interval.
    if (listed || (stopped && Plan.Every > 0))
      result.StepMeasures.emplace_back(step, std::move(now));
    if (stopped) {
      result.StopStep = step;
      break;
    }
  }
  result.Measures = run.Measure(true);
  result.Players = run.FLog->Records();
  for (TPlayerLog::TRecord& r : result.Players)
    r.Player = nullptr;
  return result;
}

void TExperimentRun::Apply(const TPlan& Plan, TExperimentWorld& World) {
  TTrack2D& track = World.Track();
  TTeam& team = World.Team();
  TWorldSettings settings = track.Settings();
  settings.FFixedFutures = Plan.Futures;
  // Each variable's row of the settings table, and its value in the setting's unit.
  const auto setting = [](const std::string& Name, double X, double& Value) {
    const TSettingAlias* alias = nullptr;
    const TSettingRow* row = TSettingsTable::FindAlias(TSettingReader::Experiment, Name, &alias);
    Value = row != nullptr ? X * alias->Scale : X;
    return row;
  };
  for (const auto& [name, x] : Plan.Values) {
    double value = 0;
    if (name == "karts") {
      // The ring keeps its places; the karts beyond the count leave it.
      while (team.MemberCount() > RoundToInt32(x))
        team.RemoveMember(team.Members(team.MemberCount() - 1), true);
    } else if (name == "fixed_futures") {
      settings.FFixedFutures = RoundToInt32(x);
    } else if (const TSettingRow* row = setting(name, x, value);
               row != nullptr && row->Holder == TSettingHolder::World) {
      row->Set(settings, value);
    }
  }
  track.RebuildPlayers();
  track.SetSettings(settings);
  track.SetThreads(1);
  const TSettingRow& grid = TSettingsTable::Row("grid_size");
  const TSettingRow& autoGrid = TSettingsTable::Row("auto_grid");
  for (const auto& [name, x] : Plan.Values) {
    double value = 0;
    const TSettingRow* row = setting(name, x, value);
    if (row == nullptr)
      continue;
    if (row->Holder == TSettingHolder::Player || row->Holder == TSettingHolder::State)
      for (int32_t i = 0; i < team.MemberCount(); ++i) {
        row->Set(*team.Members(i), value);
        // The grid a run is given holds: the automatic grid would replace it after the first
        // decision.
        if (row == &grid)
          autoGrid.Set(*team.Members(i), 0);
      }
    if (row->Holder != TSettingHolder::Goal)
      continue;
    const bool teamGoal = name.rfind("team_goal.", 0) == 0;
    const std::string kind = name.substr(name.find('.') + 1);
    auto setOrAdd = [&](auto& Owner) {
      for (int32_t g = 0; g < Owner.GoalCount(); ++g)
        if (TExperimentWorld::IsGoalOfKind(*Owner.Goals(g), kind)) {
          row->Set(*Owner.Goals(g), value);
          return;
        }
      Owner.AddGoal(TExperimentWorld::NewGoal(kind, &track, value));
    };
    if (teamGoal)
      setOrAdd(team);
    else
      for (int32_t i = 0; i < team.MemberCount(); ++i)
        setOrAdd(*team.Members(i));
  }
}

void TExperimentRun::Track() {
  TTeam& team = FWorld->Team();
  std::vector<TFollowed> now;
  for (int32_t i = 0; i < team.MemberCount(); ++i) {
    TPlayer* player = team.Members(i);
    const TPlayer2D* body = player->AsPlayer2D();
    const double x = body != nullptr ? body->PosX() : 0, y = body != nullptr ? body->PosY() : 0;
    auto known = std::find_if(FFollowed.begin(), FFollowed.end(),
                              [&](const TFollowed& f) { return f.Player == player; });
    if (known == FFollowed.end()) {
      ++FBorn;
      now.push_back({player, x, y, 0});
    } else {
      now.push_back({player, x, y, known->Distance + std::hypot(x - known->X, y - known->Y)});
    }
  }
  for (const TFollowed& before : FFollowed)
    if (std::none_of(now.begin(), now.end(),
                     [&](const TFollowed& f) { return f.Player == before.Player; }))
      ++FRemoved;
  FFollowed = std::move(now);
  std::vector<double> dots;
  for (int32_t i = 0; i < team.MemberCount(); ++i)
    dots.push_back(team.Members(i)->Futures().DotCount());
  if (!FFutures.empty())
    FDots.push_back(Median(dots));
}

std::vector<double> TExperimentRun::Measure(bool AtEnd) const {
  const std::vector<double> builtIns = BuiltIns(AtEnd);
  const std::vector<TMeasure>& measures = FPlan.Measures != nullptr ? *FPlan.Measures : FBuiltIns;
  std::vector<double> values;
  values.reserve(measures.size());
  for (const TMeasure& m : measures)
    values.push_back(m.Value(FWorld->World(), *FLog, builtIns));
  return values;
}

std::vector<double> TExperimentRun::BuiltIns(bool AtEnd) const {
  TTeam& team = FWorld->Team();
  std::vector<double> distance, energy, health;
  double alive = 0;
  for (int32_t i = 0; i < team.MemberCount(); ++i) {
    const TPlayer& p = *team.Members(i);
    alive += p.IsDead() ? 0 : 1;
    distance.push_back(FFollowed[static_cast<size_t>(i)].Distance);
    energy.push_back(p.Energy());
    health.push_back(p.Health());
  }
  double stored = None;
  for (int32_t g = 0; g < team.GoalCount(); ++g)
    if (const auto* box = dynamic_cast<const TGoal2DStorage*>(team.Goals(g)))
      stored = (std::isnan(stored) ? 0 : stored) + box->FStored;
  auto last = [](const std::vector<double>& v) { return v.empty() ? None : v.back(); };
  return {alive,
          Median(distance),
          Mean(distance),
          Median(energy),
          Mean(energy),
          Median(health),
          Mean(health),
          AtEnd ? Median(FFutures) : last(FFutures),
          AtEnd ? Median(FStepMs) : last(FStepMs),
          AtEnd ? Median(FDots) : last(FDots),
          stored,
          static_cast<double>(FBorn),
          static_cast<double>(FRemoved)};
}
