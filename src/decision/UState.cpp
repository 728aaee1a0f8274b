#include "decision/UState.h"

#include <cmath>

#include "agents/UPlayer.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/UMath.h"
#include "platform/URandom.h"

TState::TState(TPlayer* Owner) : FOwner(Owner) {
  if (Owner == nullptr)
    throw EStateError("State's owner is not a TPlayer.");
  ResetScore();
}

void TState::SetSchema(const TSchemaPtr& Schema) {
  FSchema = Schema;
  FParams.assign(static_cast<size_t>(Schema->Count()), TParamValues());
  for (int32_t i = 0; i < Schema->Count(); ++i)
    FParams[static_cast<size_t>(i)] = Schema->Row(i);
  ParamsChanged();
}

void TState::AddParam(const TStateParam& P) {
  FSchema = FSchema->Then({P});
  FParams.push_back(P);
  ParamsChanged();
}

void TState::RaiseParamIndex(int32_t I) {
  throw EStateError("TState: Param index " + std::to_string(I) + " out of boundaries.");
}

void TState::RaiseFreeParamIndex(int32_t I) {
  throw EStateError("TState: FreeParam index " + std::to_string(I) + " out of boundaries.");
}

void TState::RaisePositionalParamIndex(int32_t I) {
  throw EStateError("TState: Positional Param index " + std::to_string(I) + " out of boundaries.");
}

int32_t TState::IndexOfParam(const std::string& Name) const {
  const int32_t i = FSchema->Find(Name);
  if (i >= 0)
    return i;
  TStateParam probe;
  probe.SetName(Name);
  throw EStateError("TState: Param with name \"" + probe.Name() + "\" not found.");
}

void TState::Assign(const TState& Source) {
  if (FParams.size() != Source.FParams.size()) {
    FParams.resize(Source.FParams.size());
    ParamsChanged();
  }
  for (size_t i = 0; i < FParams.size(); ++i)
    FParams[i].Assign(Source.FParams[i]);
  // The same kind shares one schema: only a state that changes kind touches the shared count.
  if (FSchema != Source.FSchema)
    FSchema = Source.FSchema;
  SetGaussian(Source.Gaussian);
  ScorePositive = Source.ScorePositive;
  ScoreNegative = Source.ScoreNegative;
  ScoreFactor = Source.ScoreFactor;
  FutureCount = Source.FutureCount;
  ChosenFreeParam = Source.ChosenFreeParam;
}

void TState::StoreStartValues() {
  for (TParamValues& p : FParams)
    p.StartValue = p.Value;
}

void TState::ResetStartValues() {
  for (TParamValues& p : FParams) {
    p.UpdateMilli();
    p.StartValue = p.Value;
  }
}

void TState::RoundValues() {
  for (TParamValues& p : FParams)
    p.SetValue(p.RoundedValue());
}

void TState::ConvertToMacro() {
  for (int32_t i : FSchema->Positional())
    FParams[i].SetCell(FParams[i].CellOf(FSchema->Name(i)));
}

void TState::ChooseRandomOption() {
  if (!HasFreeParams())
    return;
  const int32_t i = RandomFreeIndex(FreeParamCount());
  FreeParam(i).ChooseOption();
  ChosenFreeParam = i;
}

int32_t TState::RandomFreeIndex(int32_t Count) {
  return static_cast<int32_t>(std::floor(Count * Random()));
}

void TState::RandomizeFreeParams() {
  for (int32_t i : FSchema->Free())
    FParams[i].Randomize();
}

void TState::SetGaussian(bool B) {
  Gaussian = B;
  for (int32_t i : FSchema->Free())
    FParams[i].Gaussian = B;
}

long double TState::GetScore() const {
  const int32_t level = FOwner->AILevel();
  return ScoreOf(level, level == 1 && FOwner->IsDead(), ScorePositive, ScoreFactor, ScoreNegative);
}

long double TState::ScoreOf(int32_t AILevel, bool OwnerDead, long double Positive,
                            long double Factor, long double Negative) {
  const long double d = Positive * Factor;
  switch (AILevel) {
  case 1:
    return OwnerDead ? 0 : 1;
  case 2:
  case 3:
    return 1;
  case 4:
    return d;
  case 5:
  case 6:
    return d * d;
  case 7:
  case 8:
    return d * d - Negative * Negative;
  default:
    throw EError("Using an AI level not defined in UState.GetScore!");
  }
}

void TState::SetScore(long double X) {
  ScorePositive = X > 0 ? X : 0;
  ScoreNegative = X < 0 ? X : 0;
  ScoreFactor = 1;
}

void TState::ResetScore() {
  ScorePositive = 0;
  ScoreFactor = 1;
  ScoreNegative = 0;
  FutureCount = 0;
  Time = 0;
  DeathTime = -1;
}

bool TState::SameFreeParams(const TState& Other) const {
  for (int32_t i = 0; i < FreeParamCount(); ++i)
    if (FreeParam(i).Milli != Other.FreeParam(i).Milli)
      return false;
  return true;
}

bool TState::SameMacroState(const TState& Other) const {
  for (int32_t i = 0; i < PositionalParamCount(); ++i)
    if (PositionalParam(i).Macro != Other.PositionalParam(i).Macro)
      return false;
  return true;
}
