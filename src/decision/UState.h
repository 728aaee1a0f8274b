#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TPlayer;

// Kind of a state parameter. Attributes and variables behave alike; positional parameters are
// snapped to the grid of dots, free parameters are what the futures vary and the decision picks.
enum TParamKind : uint8_t { pkAttribute = 0, pkVariable = 1, pkPositional = 2, pkFree = 3 };

// One named real value of a state, with its bounds and the bookkeeping of the decision. Plain data:
// the name is shared by every copy of the parameter, so that copying a state, which the futures do
// at every one of them, is a copy of numbers.
class TStateParam {
public:
  // The fields the sub-steps read and write come first, together in the parameter's first cache
  // line; the name, read only when parameters are looked up, comes last.
  double Value = 0;      // current value
  double StartValue = 0; // value at the start of the current sub-step
  double MaxValue = 0;   // the bounds apply only while MaxValue > MinValue
  double MinValue = 0;
  double SavedValue = 0;    // copy taken by SaveValue (the last pose clear of walls, for bodies)
  double Precision = 0;     // grid size of a positional parameter, pixels; 0 for the others
  double Sensitivity = 0.5; // scale of the option pushes of a free parameter
  int32_t Milli = 0;        // Value x 1000, rounded; refreshed only by UpdateMilli
  int32_t Macro = 0;        // index of the grid cell, set by ConvertToMacro
  TParamKind Kind = pkAttribute;
  bool Gaussian = true; // Randomize draws from a normal distribution when set

  // An empty attribute (all zero).
  TStateParam() = default;
  static TStateParam Create(const std::string& Name, TParamKind Kind, double Value, double MaxValue,
                            double MinValue, double Precision);
  static TStateParam CreateAttribute(const std::string& Name, double Value, double MaxValue,
                                     double MinValue);
  static TStateParam CreateVariable(const std::string& Name, double Value, double MaxValue,
                                    double MinValue);
  static TStateParam CreatePositional(const std::string& Name, double Value, double Precision);
  static TStateParam CreateFree(const std::string& Name, double Range);
  static TStateParam CreateEmpty() { return TStateParam(); }

  // Clamped to the bounds when they apply. Leaves Milli as it was.
  void SetValue(double X) {
    if (MaxValue > MinValue)
      Value = X < MinValue ? MinValue : (X > MaxValue ? MaxValue : X);
    else
      Value = X;
  }
  void UpdateMilli();
  double RoundedValue() const { return Milli / 1000.0; }
  double MilliValue() const { return Milli; }
  // Trimmed, upper case.
  const std::string& Name() const { return *FName; }
  void SetName(const std::string& Text);
  // Copies everything but Macro.
  void Assign(const TStateParam& Source);
  void SaveValue() { SavedValue = Value; }
  bool IsFree() const { return Kind == pkFree; }
  bool IsPositional() const { return Kind == pkPositional; }
  double LargePush() const { return 2 * Sensitivity * MaxValue; }
  double SmallPush() const { return 2 * Sensitivity * (MaxValue / 3); }
  // First action of a future: one of +large, -large, +small, -small push, at random.
  void ChooseOption();
  // A later action: a random push within +-SmallPush.
  void Randomize();
  // Index of the grid cell Value lies in; raises for a parameter without precision.
  int32_t CellOf() const;
  // Snaps Value to the centre of its grid cell and records the cell in Macro.
  void ConvertToMacro() { SetCell(CellOf()); }
  // Value at the centre of the given grid cell, and the cell in Macro.
  void SetCell(int32_t Cell) {
    Macro = Cell;
    SetValue(Cell * Precision);
  }

private:
  // One stored text per distinct name, for the life of the program: names are few (a kind's
  // parameters) and set only when parameters are made.
  static const std::string* Interned(std::string Text);
  static const std::string* NoName();

  const std::string* FName = NoName();
};

// The state vector of a player: its named parameters and the score a future has collected. The
// same class is a player's real state, the state a future runs on, a stored future and an option.
class TState {
public:
  TState* Option = nullptr; // on a stored future: the option it belongs to (not owned)
  bool Discarded = false;   // on a stored future: not counted, a better one ended in its cell
  bool Gaussian = false;    // copied to every free parameter by SetGaussian
  long double ScorePositive = 0;
  long double ScoreFactor = 1;
  long double ScoreNegative = 0;
  int32_t FutureCount = 0; // on an option: its counted futures (distinct cells)
  int64_t Time = 0;        // simulated time of the future, milliseconds
  int64_t DeathTime = -1;  // Time when the owner died in this future; -1 while alive
  // Free parameter (by index in the free list) that the first action of this future pushed; -1
  // when none. Lets the decision tell the parameter an option is about from those it only
  // carried along.
  int32_t ChosenFreeParam = -1;

  // Raises "State's owner is not a TPlayer." without an owner.
  explicit TState(TPlayer* Owner);
  TState(const TState&) = delete;
  TState& operator=(const TState&) = delete;
  TState(TState&&) = default;
  TState& operator=(TState&&) = default;

  TPlayer* Owner() const { return FOwner; }

  // Appends a parameter and files it in the free or positional list by its kind.
  void AddParam(const TStateParam& P);
  int32_t ParamCount() const { return static_cast<int32_t>(FParamCount); }
  int32_t FreeParamCount() const { return static_cast<int32_t>(FFreeParams.size()); }
  int32_t PositionalParamCount() const { return static_cast<int32_t>(FPositionalParams.size()); }
  bool HasFreeParams() const { return !FFreeParams.empty(); }

  TStateParam& Param(int32_t I) {
    if (static_cast<uint32_t>(I) >= FParamCount)
      RaiseParamIndex(I);
    return FParamData[I];
  }
  const TStateParam& Param(int32_t I) const { return const_cast<TState*>(this)->Param(I); }
  TStateParam& FreeParam(int32_t I) {
    if (static_cast<uint32_t>(I) >= FFreeParams.size())
      RaiseFreeParamIndex(I);
    return FParams[FFreeParams[I]];
  }
  const TStateParam& FreeParam(int32_t I) const { return const_cast<TState*>(this)->FreeParam(I); }
  TStateParam& PositionalParam(int32_t I) {
    if (static_cast<uint32_t>(I) >= FPositionalParams.size())
      RaisePositionalParamIndex(I);
    return FParams[FPositionalParams[I]];
  }
  const TStateParam& PositionalParam(int32_t I) const {
    return const_cast<TState*>(this)->PositionalParam(I);
  }

  // Index of the first parameter with the trimmed, upper-cased name; raises when there is none.
  int32_t IndexOfParam(const std::string& Name) const;
  TStateParam& ParamByName(const std::string& Name) { return Param(IndexOfParam(Name)); }
  const TStateParam& ParamByName(const std::string& Name) const {
    return Param(IndexOfParam(Name));
  }

  // Makes this state a copy of Source, keeping Owner, Option, Discarded, Time and DeathTime.
  // Allocates nothing once both hold the same parameters.
  void Assign(const TState& Source);
  void StoreStartValues();
  void ResetStartValues();
  void RoundValues();
  void ConvertToMacro();
  void ChooseRandomOption();
  // The free parameter a future's first action pushes, drawn among Count.
  static int32_t RandomFreeIndex(int32_t Count);
  void RandomizeFreeParams();
  void SetGaussian(bool B);

  // Score of this future or option by the owner's AI level.
  long double GetScore() const;
  // The score of given sums at an AI level (OwnerDead matters at level 1 only); raises for a
  // level that has no formula.
  static long double ScoreOf(int32_t AILevel, bool OwnerDead, long double Positive,
                             long double Factor, long double Negative);
  void SetScore(long double X);
  // A score contribution: a positive value adds to the positive sum, a negative one to the
  // negative sum, the factor multiplies the factor.
  void AddScore(long double Value, long double Factor) {
    // Extended arithmetic is slow: only the sums that change are touched.
    if (Value > 0)
      ScorePositive += Value;
    else if (Value < 0)
      ScoreNegative -= Value;
    if (Factor != 1)
      ScoreFactor *= Factor;
  }
  void ResetScore();
  bool SameFreeParams(const TState& Other) const;
  bool SameMacroState(const TState& Other) const;

private:
  [[noreturn]] static void RaiseParamIndex(int32_t I);
  [[noreturn]] static void RaiseFreeParamIndex(int32_t I);
  [[noreturn]] static void RaisePositionalParamIndex(int32_t I);

  // FParams' storage and size, kept beside it: Param is asked dozens of times per sub-step, and
  // the vector's own size costs a division by the size of a parameter. Refreshed by every change
  // of FParams (a moved vector keeps its storage).
  void ParamsChanged() {
    FParamData = FParams.data();
    FParamCount = static_cast<uint32_t>(FParams.size());
  }

  TPlayer* FOwner;
  std::vector<TStateParam> FParams;
  TStateParam* FParamData = nullptr;
  uint32_t FParamCount = 0;
  std::vector<int32_t> FFreeParams;       // indexes in FParams of the free parameters
  std::vector<int32_t> FPositionalParams; // indexes in FParams of the positional parameters
};
