#include "decision/UState.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <mutex>
#include <type_traits>
#include <unordered_set>

#include "agents/UPlayer.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/UMath.h"
#include "platform/URandom.h"

// ---- TStateParam ----

// Copying states is the futures' daily work: it must stay a copy of plain data.
static_assert(std::is_trivially_copyable_v<TStateParam>);

TStateParam TStateParam::Create(const std::string& Name, TParamKind Kind, double Value,
                                double MaxValue, double MinValue, double Precision) {
  TStateParam p;
  p.SetName(Name);
  p.Kind = Kind;
  p.MaxValue = MaxValue;
  p.MinValue = MinValue;
  p.Precision = Precision;
  p.SetValue(Value);
  // The start and saved values keep the value as passed, before any clamping.
  p.StartValue = Value;
  p.SavedValue = Value;
  p.UpdateMilli();
  p.Gaussian = true;
  p.Sensitivity = 0.5;
  return p;
}

TStateParam TStateParam::CreateAttribute(const std::string& Name, double Value, double MaxValue,
                                         double MinValue) {
  return Create(Name, pkAttribute, Value, MaxValue, MinValue, 0);
}

TStateParam TStateParam::CreateVariable(const std::string& Name, double Value, double MaxValue,
                                        double MinValue) {
  return Create(Name, pkVariable, Value, MaxValue, MinValue, 0);
}

TStateParam TStateParam::CreatePositional(const std::string& Name, double Value, double Precision) {
  return Create(Name, pkPositional, Value, 0, 0, Precision);
}

TStateParam TStateParam::CreateFree(const std::string& Name, double Range) {
  return Create(Name, pkFree, 0, Range, -Range, 0);
}

void TStateParam::UpdateMilli() {
  Milli = RoundToInt32(Value * 1000);
}

const std::string* TStateParam::NoName() {
  static const std::string* none = new std::string();
  return none;
}

const std::string* TStateParam::Interned(std::string Text) {
  if (Text.empty())
    return NoName();
  // Never freed: parameters made by static objects may outlive any owner of the texts.
  static auto* names = new std::unordered_set<std::string>();
  static auto* guard = new std::mutex();
  const std::lock_guard<std::mutex> lock(*guard);
  return &*names->insert(std::move(Text)).first;
}

void TStateParam::SetName(const std::string& Text) {
  const auto isBlank = [](unsigned char c) { return c <= ' '; };
  auto first = std::find_if_not(Text.begin(), Text.end(), isBlank);
  auto last = std::find_if_not(Text.rbegin(), Text.rend(), isBlank).base();
  std::string name(first, first < last ? last : first);
  for (char& c : name)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  FName = Interned(std::move(name));
}

void TStateParam::Assign(const TStateParam& Source) {
  const int32_t macro = Macro;
  *this = Source;
  Macro = macro;
}

void TStateParam::ChooseOption() {
  switch (static_cast<int>(std::floor(4 * Random()))) {
  case 0:
    SetValue(LargePush());
    break;
  case 1:
    SetValue(-LargePush());
    break;
  case 2:
    SetValue(SmallPush());
    break;
  default:
    SetValue(-SmallPush());
    break;
  }
  UpdateMilli();
}

void TStateParam::Randomize() {
  const double s = SmallPush();
  if (Gaussian) {
    // Exactly two draws, in this order, as a future in a lane draws them.
    const double u1 = Random();
    const double u2 = Random();
    SetValue(GaussianFromUniforms(u1, u2) * s);
  } else {
    SetValue((2 * Random() - 1) * s);
  }
}

int32_t TStateParam::CellOf() const {
  if (Precision == 0)
    throw EStateError("Precision zero param \"" + Name() + "\" can not be converted to macro.");
  return RoundToInt32(Value / Precision);
}

// ---- TState ----

TState::TState(TPlayer* Owner) : FOwner(Owner) {
  if (Owner == nullptr)
    throw EStateError("State's owner is not a TPlayer.");
  ResetScore();
}

void TState::AddParam(const TStateParam& P) {
  const int32_t index = static_cast<int32_t>(FParams.size());
  FParams.push_back(P);
  ParamsChanged();
  if (P.IsFree())
    FFreeParams.push_back(index);
  if (P.IsPositional())
    FPositionalParams.push_back(index);
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
  TStateParam probe;
  probe.SetName(Name);
  for (size_t i = 0; i < FParams.size(); ++i)
    if (&FParams[i].Name() == &probe.Name())
      return static_cast<int32_t>(i);
  throw EStateError("TState: Param with name \"" + probe.Name() + "\" not found.");
}

void TState::Assign(const TState& Source) {
  if (FParams.size() != Source.FParams.size()) {
    FParams.resize(Source.FParams.size());
    ParamsChanged();
  }
  for (size_t i = 0; i < FParams.size(); ++i)
    FParams[i].Assign(Source.FParams[i]);
  // The kinds came along with the parameters, and with them the lists (whose storage stays).
  FFreeParams = Source.FFreeParams;
  FPositionalParams = Source.FPositionalParams;
  SetGaussian(Source.Gaussian);
  ScorePositive = Source.ScorePositive;
  ScoreNegative = Source.ScoreNegative;
  ScoreFactor = Source.ScoreFactor;
  FutureCount = Source.FutureCount;
  ChosenFreeParam = Source.ChosenFreeParam;
}

void TState::StoreStartValues() {
  for (TStateParam& p : FParams)
    p.StartValue = p.Value;
}

void TState::ResetStartValues() {
  for (TStateParam& p : FParams) {
    p.UpdateMilli();
    p.StartValue = p.Value;
  }
}

void TState::RoundValues() {
  for (TStateParam& p : FParams)
    p.SetValue(p.RoundedValue());
}

void TState::ConvertToMacro() {
  for (int32_t i : FPositionalParams)
    FParams[i].ConvertToMacro();
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
  for (int32_t i : FFreeParams)
    FParams[i].Randomize();
}

void TState::SetGaussian(bool B) {
  Gaussian = B;
  for (int32_t i : FFreeParams)
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
