#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decision/UParamValues.h"
#include "decision/UStateSchema.h"

class TPlayer;

// The state vector of a player: the values of its kind's parameters and the score a future has
// collected. The same class is a player's real state, the state a future runs on, a stored future
// and an option. The values are plain records in the schema's order; the names, kinds and the
// lists of free and positional parameters are the schema's, so a copy is a copy of numbers.
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

  // Takes the schema's parameters with the values a new player starts from.
  void SetSchema(const TSchemaPtr& Schema);
  const TStateSchema& Schema() const { return *FSchema; }
  // Appends a parameter: this state gets a schema of its own, its old one with P after it.
  void AddParam(const TStateParam& P);
  int32_t ParamCount() const { return static_cast<int32_t>(FParamCount); }
  int32_t FreeParamCount() const { return static_cast<int32_t>(FSchema->Free().size()); }
  int32_t PositionalParamCount() const {
    return static_cast<int32_t>(FSchema->Positional().size());
  }
  bool HasFreeParams() const { return !FSchema->Free().empty(); }

  TParamValues& Param(int32_t I) {
    if (static_cast<uint32_t>(I) >= FParamCount)
      RaiseParamIndex(I);
    return FParamData[I];
  }
  const TParamValues& Param(int32_t I) const { return const_cast<TState*>(this)->Param(I); }
  TParamValues& FreeParam(int32_t I) { return FParamData[FreeIndex(I)]; }
  const TParamValues& FreeParam(int32_t I) const { return FParamData[FreeIndex(I)]; }
  TParamValues& PositionalParam(int32_t I) { return FParamData[PositionalIndex(I)]; }
  const TParamValues& PositionalParam(int32_t I) const {
    return FParamData[PositionalIndex(I)];
  }
  const std::string& ParamName(int32_t I) const {
    Param(I); // raises, as Param does, for an index out of range
    return FSchema->Name(I);
  }
  const std::string& FreeParamName(int32_t I) const { return FSchema->Name(FreeIndex(I)); }
  // Grid cell of a positional parameter; raises, naming it, when it has no precision.
  int32_t PositionalCell(int32_t I) const {
    const int32_t p = PositionalIndex(I);
    return FParamData[p].CellOf(FSchema->Name(p));
  }

  // Index of the first parameter with the trimmed, upper-cased name; raises when there is none.
  int32_t IndexOfParam(const std::string& Name) const;
  TParamValues& ParamByName(const std::string& Name) { return Param(IndexOfParam(Name)); }
  const TParamValues& ParamByName(const std::string& Name) const {
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
  int32_t FreeIndex(int32_t I) const {
    const std::vector<int32_t>& free = FSchema->Free();
    if (static_cast<size_t>(I) >= free.size())
      RaiseFreeParamIndex(I);
    return free[static_cast<size_t>(I)];
  }
  int32_t PositionalIndex(int32_t I) const {
    const std::vector<int32_t>& positional = FSchema->Positional();
    if (static_cast<size_t>(I) >= positional.size())
      RaisePositionalParamIndex(I);
    return positional[static_cast<size_t>(I)];
  }

  // FParams' storage and size, kept beside it: Param is asked dozens of times per sub-step, and
  // the vector's own size costs a division by the size of a parameter. Refreshed by every change
  // of FParams (a moved vector keeps its storage).
  void ParamsChanged() {
    FParamData = FParams.data();
    FParamCount = static_cast<uint32_t>(FParams.size());
  }

  TPlayer* FOwner;
  TSchemaPtr FSchema = TStateSchema::Empty();
  std::vector<TParamValues> FParams; // one record a row of the schema, in its order
  TParamValues* FParamData = nullptr;
  uint32_t FParamCount = 0;
};
