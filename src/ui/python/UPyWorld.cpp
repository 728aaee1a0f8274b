#include "ui/python/UPyWorld.h"

#include <algorithm>
#include <sstream>

#include "agents/UPlayer2D.h"
#include "goals/UGoal.h"
#include "goals/UGoalCatalogue.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/USceneFile.h"
#include "world/URoster.h"
#include "world/USettingsTable.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

const TSettingRow& RowOf(const std::string& Key, bool World) {
  const TSettingRow* row = nullptr;
  try {
    row = &TSettingsTable::Row(Key);
  } catch (const EError& e) {
    throw ESettingKey(e.what());
  }
  const bool held =
      World ? row->Holder == TSettingHolder::World
            : row->Holder == TSettingHolder::Player || row->Holder == TSettingHolder::State;
  if (!held)
    throw ESettingKey("\"" + Key + "\" is not a setting of " +
                      (World ? "the world." : "a player."));
  return *row;
}

// Runs a setter of the table, whose errors name the key and the range.
template <class F> void Checked(F Set) {
  try {
    Set();
  } catch (const EError& e) {
    throw ESettingValue(e.what());
  }
}

std::vector<std::string> KeysOf(bool World) {
  std::vector<std::string> keys;
  for (const TSettingRow& row : TSettingsTable::Rows())
    if (World ? row.Holder == TSettingHolder::World
              : row.Holder == TSettingHolder::Player || row.Holder == TSettingHolder::State)
      keys.push_back(row.Key);
  return keys;
}

} // namespace

TPyWorld::TPyWorld(std::unique_ptr<TWorld> World, std::optional<uint64_t> Seed)
    : FWorld(std::move(World)), FStep(static_cast<int32_t>(FWorld->StepCount())) {
  // A scene saved from a run goes on with that run's stream, as the batch runner's does, unless
  // a seed starts a new one; its steps are numbered on from the saved count either way.
  if (!FWorld->StreamKept() || Seed) {
    FSeed = Seed ? *Seed : SeedFromClock();
    FWorld->Reseed(*FSeed);
  }
  FRecords.Track(*FWorld, FStep);
}

TPyWorld::~TPyWorld() = default;

std::unique_ptr<TPyWorld> TPyWorld::Start(std::optional<uint64_t> Seed) {
  auto world = std::make_unique<TWorld>(TQtPicture::LoadDefaultCircuit(), "default");
  {
    const TRandom::TUse use = world->UseRandom();
    TRoster(world->Track()).AddPlayer(TRoster::pkRocket);
  }
  return std::unique_ptr<TPyWorld>(new TPyWorld(std::move(world), Seed));
}

std::unique_ptr<TPyWorld> TPyWorld::Open(const std::string& FileName,
                                         std::optional<uint64_t> Seed) {
  return std::unique_ptr<TPyWorld>(new TPyWorld(TSceneFile::OpenBytes(FileName), Seed));
}

std::unique_ptr<TPyWorld> TPyWorld::Scenario(const std::string& Name,
                                             std::optional<uint64_t> Seed) {
  return std::unique_ptr<TPyWorld>(new TPyWorld(TSceneFile::OpenScenario(Name), Seed));
}

void TPyWorld::SaveScene(const std::string& FileName) const {
  TSceneFile::SaveBytes(*FWorld, FileName);
}

std::vector<std::string> TPyWorld::WorldKeys() {
  return KeysOf(true);
}

std::vector<std::string> TPyWorld::PlayerKeys() {
  return KeysOf(false);
}

double TPyWorld::Setting(const std::string& Key) const {
  return RowOf(Key, true).Of(FWorld->Track().Settings());
}

void TPyWorld::SetSetting(const std::string& Key, double X) {
  const TSettingRow& row = RowOf(Key, true);
  TTrack2D& track = FWorld->Track();
  TWorldSettings settings = track.Settings();
  Checked([&] { row.Set(settings, X); });
  // Evolution switched on colours the players from their goals, drawing from the world's stream.
  const TRandom::TUse use = FWorld->UseRandom();
  track.SetSettings(settings);
}

double TPyWorld::PlayerSetting(int32_t Id, const std::string& Key) const {
  return RowOf(Key, false).Of(Player(Id));
}

void TPyWorld::SetPlayerSetting(int32_t Id, const std::string& Key, double X) {
  const TSettingRow& row = RowOf(Key, false);
  TPlayer& player = Player(Id);
  Checked([&] { row.Set(player, X); });
  Changed();
}

TPyWorld::TStepOptions TPyWorld::Prepare(const TStepOptions& Options) {
  TTrack2D& track = FWorld->Track();
  TStepOptions before;
  before.Futures = track.Settings().FFixedFutures;
  before.Threads = track.Threads();
  if (Options.Futures) {
    if (*Options.Futures < 0)
      throw ESettingValue("futures of " + std::to_string(*Options.Futures) +
                          ": it must be 0 or more.");
    TWorldSettings settings = track.Settings();
    settings.FFixedFutures = *Options.Futures;
    track.SetSettings(settings);
  }
  if (Options.Threads)
    track.SetThreads(*Options.Threads);
  return before;
}

void TPyWorld::Restore(const TStepOptions& Before) {
  TTrack2D& track = FWorld->Track();
  TWorldSettings settings = track.Settings();
  settings.FFixedFutures = *Before.Futures;
  track.SetSettings(settings);
  track.SetThreads(*Before.Threads);
}

void TPyWorld::Step(int32_t BudgetMs, std::string* Csv) {
  FWorld->Step(BudgetMs);
  ++FStep;
  FAfterStep = true;
  FRecords.Track(*FWorld, FStep);
  if (Csv != nullptr) {
    std::ostringstream rows;
    FRecords.WriteCsvRows(rows, FStep);
    *Csv += rows.str();
  }
}

TPlayer& TPyWorld::Player(int32_t Id) const {
  for (const TBatchRecords::TPlayerRecord& r : FRecords.Records())
    if (r.Index == Id && r.Player != nullptr)
      return *r.Player;
  throw ERangeError("No player " + std::to_string(Id) + " is in the world.");
}

int32_t TPyWorld::TeamOf(const TPlayer& Player) const {
  for (int32_t t = 0; t < FWorld->TeamCount(); ++t)
    if (FWorld->Teams(t).IndexOfMember(&Player) >= 0)
      return t;
  return -1;
}

TTeam& TPyWorld::Team(std::optional<int32_t> Index) const {
  const int32_t t = Index ? *Index : FWorld->CurrentTeamIndex();
  if (t < 0 || t >= FWorld->TeamCount())
    throw ERangeError("No team " + std::to_string(t) + " is in the world.");
  return FWorld->Teams(t);
}

int32_t TPyWorld::AddPlayer(const std::string& Kind, double X, double Y, double Angle,
                            std::optional<int32_t> Team) {
  const int32_t kind = Kind == "kart" ? TRoster::pkKart : Kind == "rocket" ? TRoster::pkRocket : 0;
  if (kind == 0)
    throw EError("Unknown player kind \"" + Kind + "\": a kart or a rocket.");
  const int32_t team = Team ? *Team : FWorld->CurrentTeamIndex();
  this->Team(team); // raises for no such team
  // The roster adds to the current team, which stays the one it was.
  const int32_t current = FWorld->CurrentTeamIndex();
  FWorld->SetCurrentTeam(team);
  TPlayer2D* player = nullptr;
  try {
    const TRandom::TUse use = FWorld->UseRandom();
    player = TRoster(FWorld->Track()).AddPlayerAt(kind, X, Y, Angle);
  } catch (...) {
    FWorld->SetCurrentTeam(current);
    throw;
  }
  FWorld->SetCurrentTeam(current);
  Changed();
  return FRecords.Find(player)->Index;
}

void TPyWorld::RemovePlayer(int32_t Id) {
  TPlayer& player = Player(Id);
  player.FTeam->RemoveMember(&player, true);
  Changed();
}

std::vector<TGoal*> TPyWorld::Goals(const TGoalOwner& Owner) const {
  std::vector<TGoal*> goals;
  if (Owner.Player) {
    const TPlayer& player = Player(*Owner.Player);
    for (int32_t g = 0; g < player.GoalCount(); ++g)
      goals.push_back(player.Goals(g));
  } else {
    const TTeam& team = Team(Owner.Team);
    for (int32_t g = 0; g < team.GoalCount(); ++g)
      goals.push_back(team.Goals(g));
  }
  return goals;
}

int32_t TPyWorld::AddGoal(const std::string& Kind, double Value, const TGoalOwner& Owner,
                          const std::map<std::string, std::vector<double>>& Fields) {
  std::unique_ptr<TGoal> goal;
  {
    const TRandom::TUse use = FWorld->UseRandom();
    goal = TGoalCatalogue::NewOnTrack(Kind, 0, FWorld->Track());
  }
  Checked([&] { TSettingsTable::Row("value").Set(*goal, Value); });
  SetFields(*goal, Fields);
  const int32_t index = Owner.Player ? Player(*Owner.Player).AddGoal(std::move(goal))
                                     : Team(Owner.Team).AddGoal(std::move(goal));
  Changed();
  return index;
}

void TPyWorld::SetGoal(int32_t Index, std::optional<double> Value, const TGoalOwner& Owner,
                       const std::map<std::string, std::vector<double>>& Fields) {
  const std::vector<TGoal*> goals = Goals(Owner);
  if (Index < 0 || Index >= static_cast<int32_t>(goals.size()))
    throw ERangeError("No goal " + std::to_string(Index) + " is there: it has " +
                      std::to_string(goals.size()) + ".");
  TGoal& goal = *goals[Index];
  if (Value)
    Checked([&] { TSettingsTable::Row("value").Set(goal, *Value); });
  SetFields(goal, Fields);
  Changed();
}

void TPyWorld::SetFields(TGoal& Goal, const std::map<std::string, std::vector<double>>& Fields) {
  if (Fields.empty())
    return;
  std::vector<TGoalField> fields = TGoalCatalogue::Fields(Goal);
  for (const auto& [name, values] : Fields) {
    auto field = std::find_if(fields.begin(), fields.end(),
                              [&](const TGoalField& f) { return f.Name == name; });
    if (field == fields.end())
      throw ESettingKey("A goal \"" + TGoalCatalogue::NameOf(Goal) + "\" has no field \"" + name +
                        "\".");
    field->Values = values;
  }
  Checked([&] { TGoalCatalogue::SetFields(Goal, fields); });
}

void TPyWorld::Changed() {
  FAfterStep = false;
  FRecords.Track(*FWorld, FStep);
}

const TQtPicture& TPyWorld::Picture() {
  const TPicture& circuit = FWorld->Circuit();
  if (!FPicture || FPicture->Width() != circuit.Width() || FPicture->Height() != circuit.Height())
    FPicture = std::make_unique<TQtPicture>(circuit.Width(), circuit.Height());
  FPicture->CopyFrom(circuit);
  FWorld->Paint(FPicture->Canvas(), FAfterStep);
  return *FPicture;
}
