#pragma once

#include <cstdint>
#include <string>

#include "decision/UParamValues.h"

// Kind of a state parameter. Attributes and variables behave alike; positional parameters are
// snapped to the grid of dots, free parameters are what the futures vary and the decision picks.
enum TParamKind : uint8_t { pkAttribute = 0, pkVariable = 1, pkPositional = 2, pkFree = 3 };

// One named parameter: its values and what it is. A kind's schema lists its parameters as these,
// with the values a new player starts from; a state keeps only the values.
class TStateParam : public TParamValues {
public:
  TParamKind Kind = pkAttribute;

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

  // Trimmed, upper case.
  const std::string& Name() const { return *FName; }
  void SetName(const std::string& Text);
  // Copies everything but Macro.
  void Assign(const TStateParam& Source) {
    const int32_t macro = Macro;
    *this = Source;
    Macro = macro;
  }
  bool IsFree() const { return Kind == pkFree; }
  bool IsPositional() const { return Kind == pkPositional; }
  int32_t CellOf() const { return TParamValues::CellOf(Name()); }
  // Snaps Value to the centre of its grid cell and records the cell in Macro.
  void ConvertToMacro() { SetCell(CellOf()); }

private:
  // One stored text per distinct name, for the life of the program: names are few (a kind's
  // parameters) and set only when parameters are made.
  static const std::string* Interned(std::string Text);
  static const std::string* NoName();

  const std::string* FName = NoName();
};
