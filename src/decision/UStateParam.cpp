#include "decision/UStateParam.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <type_traits>
#include <unordered_set>

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
