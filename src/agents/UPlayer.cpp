#include "agents/UPlayer.h"

#include <typeinfo>

#include "agents/UUtils.h"
#include "goals/UGoal.h"
#include "goals/UGoalEnergy.h"
#include "goals/UGoalHealth.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "world/USettingsTable.h"
#include "world/UTrack.h"

namespace {

// Ending points are drawn with radii near this many pixels.
constexpr long double EndPointTargetRadius = 5;
// Limits of the ending-point scale: it halves no lower than this...
constexpr long double EndPointScaleMin = 1e-5L;
// ...and doubles no higher than this, so that futures which all score 0 (every radius 0) cannot
// drive it to infinity, where 0 x infinity would give NaN.
constexpr long double EndPointScaleMax = 1e9L;

} // namespace

TPlayer::TPlayer() : FRealState(this), FFutureState(this), FFutures(this) {}

TPlayer::~TPlayer() = default;

void TPlayer::Create() {
  CreateParams();
  FSettings = TPlayerSettings();
  FTargetCount = 100;
  FShapeDirty = true;
  FFirstShape = true;
  SetInFuture(false);
  FEndPointScale = 1.0L;
  FEndPointMax = 0.0L;
  const int32_t blue = 100 + RoundToInt32(Random() * 155);
  const int32_t green = 100 + RoundToInt32(Random() * 155);
  const int32_t red = 100 + RoundToInt32(Random() * 155);
  FSettings.FColor = MakeColor(red, green, blue);
  Commit();
  FGoals.clear();
  FHealthGoal = AddGoal(std::make_unique<TGoalHealth>(1.0));
  FEnergyGoal = AddGoal(std::make_unique<TGoalEnergy>(0.1));
}

const TSchemaPtr& TPlayer::KindSchema() const {
  static const TSchemaPtr schema = [] {
    const TSettingRow& size = TSettingsTable::Row("size");
    return TStateSchema::Make({
        TStateParam::CreateAttribute("Size", size.Default, size.Simulation.Max,
                                     size.Simulation.Min),
        TStateParam::CreateVariable("Dead", 0, 1, 0),
        TStateParam::CreateVariable("Health", 50, 100, 0),
        TStateParam::CreateVariable("Energy", 50, 100, 0),
    });
  }();
  return schema;
}

void TPlayer::CreateParams() {
  SetInFuture(false);
  TState& s = State();
  s.SetSchema(KindSchema());
  FSizeIndex = s.IndexOfParam("Size");
  FDeadIndex = s.IndexOfParam("Dead");
  FHealthIndex = s.IndexOfParam("Health");
  FEnergyIndex = s.IndexOfParam("Energy");
}

void TPlayer::Reset() {
  FShapeDirty = true;
  FRealState.RoundValues();
}

void TPlayer::Assign(const TPlayer& Source) {
  FRealState.Assign(Source.FRealState);
  Commit();
  SetInFuture(Source.FInFuture);
  FSettings.FAILevel = Source.FSettings.FAILevel;
  FSettings.FAutoGrid = Source.FSettings.FAutoGrid;
}

void TPlayer::Mirror(const TPlayer& Source) {
  AbandonFuture();
  Assign(Source);
  FSettings = Source.FSettings;
  FTargetCount = Source.FTargetCount;
  FHasDuplicated = false;
  FFutures.Clear();
}

void TPlayer::SetSettings(const TPlayerSettings& Settings) {
  Settings.Check();
  FSettings = Settings;
  ApplyGridSize();
}

void TPlayer::SetAILevel(int32_t Level) {
  TPlayerSettings settings = FSettings;
  settings.FAILevel = Level;
  settings.Check();
  FSettings.FAILevel = Level;
}

void TPlayer::SetGridBounds(int32_t Min, int32_t Max) {
  TPlayerSettings settings = FSettings;
  settings.FGridMin = Min;
  settings.FGridMax = Max;
  SetSettings(settings);
}

int32_t TPlayer::TraceColor(const TState&) const {
  return MakeColor(128, 128, 128);
}

void TPlayer::AdjustGrid() {
  if (!FSettings.FAutoGrid)
    return;
  const double r = GridSize();
  const double n = FFutures.DotCount();
  SetGridSize(RoundToInt32(r * (n / FTargetCount + 1) / 2));
}

void TPlayer::Commit() {
  State().ResetScore();
  State().ResetStartValues();
}

void TPlayer::Advance() {
  TState& s = State();
  s.Time = CheckedAdd(s.Time, static_cast<int64_t>(DeltaMs()));
}

void TPlayer::Crash(double Strength) {
  LowerHealth(Health() - (Strength / 2) * (Strength / 2));
}

TPlayer* TPlayer::Duplicate() {
  std::unique_ptr<TPlayer> clone = Clone();
  clone->CopyGoalValues(*this);
  FHasDuplicated = true;
  if (FTeam == nullptr)
    throw EError("Player belongs to no team.");
  TPlayer* child = FTeam->AddMember(std::move(clone));
  if (Track().Evolution()) {
    SetEnergy(Energy() / 2);
    child->SetEnergy(Energy());
    MutateGoals();
    child->ColorFromGoals();
  }
  return child;
}

void TPlayer::RaiseNoWorld() {
  throw EError("Player belongs to no world.");
}

int32_t TPlayer::AddGoal(std::unique_ptr<TGoal> Goal) {
  FGoals.push_back(std::move(Goal));
  return static_cast<int32_t>(FGoals.size()) - 1;
}

std::unique_ptr<TGoal> TPlayer::DeleteGoal(int32_t Index) {
  if (Index < 0 || Index >= GoalCount())
    return nullptr;
  std::unique_ptr<TGoal> goal = std::move(FGoals[Index]);
  FGoals.erase(FGoals.begin() + Index);
  return goal;
}

TGoal* TPlayer::Goals(int32_t Index) const {
  CheckListIndex(Index, GoalCount());
  return FGoals[Index].get();
}

void TPlayer::EvaluateGoals(int32_t Phase) {
  for (size_t i = 0; i < FGoals.size(); ++i)
    FGoals[i]->Evaluate(*this, Phase);
}

void TPlayer::DrawGoals(TCanvas& Canvas) const {
  for (size_t i = 0; i < FGoals.size(); ++i)
    if ((FSettings.FDrawGoals || FGoals[i]->FAlwaysDraw) && FGoals[i]->FValue > 0)
      FGoals[i]->Draw(this, Canvas);
}

void TPlayer::SetInFuture(bool On) {
  if (On == FInFuture)
    return;
  if (On) {
    FFutures.DropUnstoredTrace();
    FFutureState.Assign(FRealState);
    FFutureState.ResetStartValues();
    FFutureState.ResetScore();
    FHasDuplicated = false;
  } else {
    EvaluateGoals(1);
    FFutures.AddFuture(FFutureState);
  }
  FInFuture = On;
  FShapeDirty = true;
}

void TPlayer::AbandonFuture() {
  if (!FInFuture)
    return;
  FInFuture = false;
  FShapeDirty = true;
}

void TPlayer::PrepareFirstSubStep() {
  State().StoreStartValues();
  State().ChooseRandomOption();
}

void TPlayer::PrepareNextSubStep() {
  State().StoreStartValues();
  State().RandomizeFreeParams();
}

void TPlayer::PrepareRealMove() {
  State().StoreStartValues();
  FFutures.Decide(State());
  AdjustGrid();
}

void TPlayer::DrawEndPoints(TCanvas& Canvas) {
  if (FSettings.FDrawEndPoints)
    FFutures.ShowFutures(Canvas);
}

void TPlayer::AdaptEndPointScale() {
  if (FEndPointMax > 2 * EndPointTargetRadius)
    FEndPointScale = std::max(FEndPointScale / 2, EndPointScaleMin);
  else if (FEndPointMax < EndPointTargetRadius / 1.5L)
    FEndPointScale = std::min(FEndPointScale * 2, EndPointScaleMax);
  FEndPointMax = 0;
}

void TPlayer::SetSize(double X) {
  TParamValues& size = State().Param(FSizeIndex);
  if (size.Value == X)
    return;
  size.SetValue(X);
  FShapeDirty = true;
}

void TPlayer::SetDead(bool On) {
  if (IsDead() == On)
    return;
  TState& s = State();
  if (On) {
    s.Param(FDeadIndex).SetValue(1);
    s.DeathTime = s.Time;
  } else {
    s.Param(FDeadIndex).SetValue(0);
  }
}

void TPlayer::SetHealth(double X) {
  State().Param(FHealthIndex).SetValue(X);
  SetDead(Health() == 0);
}

void TPlayer::LowerHealth(double X) {
  State().Param(FHealthIndex).SetValue(X);
  if (Health() == 0)
    SetDead(true);
}

int32_t TPlayer::GridSize() const {
  return FSettings.ClampedGridSize();
}

void TPlayer::SetGridSize(int32_t R) {
  FSettings.FGridSize = R;
  ApplyGridSize();
}

void TPlayer::ApplyGridSize() {
  FSettings.FGridSize = FSettings.ClampedGridSize();
  TState& s = State();
  for (int32_t i = 0; i < s.PositionalParamCount(); ++i)
    s.PositionalParam(i).Precision = FSettings.FGridSize;
}

void TPlayer::ColorFromGoals() {
  int32_t channel[3];
  for (int32_t j = 0; j < 3; ++j)
    channel[j] =
        j < GoalCount() ? RoundToInt32(FGoals[j]->FValue * 255 / FGoals[j]->FMaxValue) : 128;
  FSettings.FColor = MakeColor(channel[0], channel[1], channel[2]);
}

void TPlayer::CopyGoalValues(const TPlayer& Source) {
  for (auto& goal : FGoals)
    for (const auto& other : Source.FGoals)
      if (typeid(*other) == typeid(*goal)) {
        goal->SetValue(other->FValue);
        break;
      }
}

void TPlayer::RandomizeGoals() {
  for (auto& goal : FGoals)
    goal->SetValue((Random() * 0.8 + 0.1) * goal->FMaxValue);
}

void TPlayer::MutateGoals() {
  for (auto& goal : FGoals)
    goal->SetValue(goal->FValue + goal->FMaxValue * 0.1 * (2 * Random() - 1));
}
