#pragma once

#include <cstdint>
#include <string>

// The values of one parameter in one state: plain numbers, which every future copies as they
// stand. What the parameter is, its name and kind, belongs to the kind's schema, not to each copy.
class TParamValues {
public:
  // The fields the sub-steps read and write come first, together in the parameter's first cache
  // line.
  double Value = 0;      // current value
  double StartValue = 0; // value at the start of the current sub-step
  double MaxValue = 0;   // the bounds apply only while MaxValue > MinValue
  double MinValue = 0;
  double SavedValue = 0;    // copy taken by SaveValue (the last pose clear of walls, for bodies)
  double Precision = 0;     // grid size of a positional parameter, pixels; 0 for the others
  double Sensitivity = 0.5; // scale of the option pushes of a free parameter
  int32_t Milli = 0;        // Value x 1000, rounded; refreshed only by UpdateMilli
  int32_t Macro = 0;        // index of the grid cell, set by SetCell
  bool Gaussian = true;     // Randomize draws from a normal distribution when set

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
  // Copies everything but Macro.
  void Assign(const TParamValues& Source) {
    const int32_t macro = Macro;
    *this = Source;
    Macro = macro;
  }
  void SaveValue() { SavedValue = Value; }
  double LargePush() const { return 2 * Sensitivity * MaxValue; }
  double SmallPush() const { return 2 * Sensitivity * (MaxValue / 3); }
  // First action of a future: one of +large, -large, +small, -small push, at random.
  void ChooseOption();
  // A later action: a random push within +-SmallPush.
  void Randomize();
  // Index of the grid cell Value lies in; raises, naming the parameter (Name), without precision.
  int32_t CellOf(const std::string& Name) const;
  // Value at the centre of the given grid cell, and the cell in Macro.
  void SetCell(int32_t Cell) {
    Macro = Cell;
    SetValue(Cell * Precision);
  }
};
