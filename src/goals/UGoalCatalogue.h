#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TGoal;
class TTrack2D;

// A number, or a table of numbers, that a goal of one kind keeps as its own beyond the fields
// every goal has (value, mode, "Better sooner than later"): what a scene must hold to make the
// same goal again.
struct TGoalField {
  std::string Name; // its key in a scene
  double Min = 0;   // every number must lie within Min .. Max
  double Max = 0;
  bool Whole = false;  // whole numbers only
  int32_t Columns = 0; // 0: one number, Values[0]; otherwise rows of Columns numbers
  std::vector<double> Values;
};

// Every kind of goal under a stable name, in the order the window's menu lists them: adding a
// kind touches this list only. Makes goals by name and reads and sets the fields they keep.
class TGoalCatalogue {
public:
  // The names, in order: speed, energy, health, duplicate, avoid-others, follow-mouse,
  // avoid-mouse, drops, storage, burn-out.
  static std::vector<std::string> Names();
  static bool Knows(const std::string& Name);
  // The kind of a goal; raises EError for a goal of a class the catalogue does not list.
  static std::string NameOf(const TGoal& Goal);
  // The strength a goal of the kind gets when the user adds it from the menu.
  static double StartValue(const std::string& Name);
  // Whether adding it from the menu switches the drawing of the team's goals on: the goals
  // whose place on the circuit is the point of them.
  static bool ShowsWhenAdded(const std::string& Name);

  // A goal of the kind with the value and its own fields at their plain start (a storage box of
  // the usual size and capacity at 0, 0; drops not placed yet). Raises EError "Unknown goal
  // kind "x"." for a name not listed.
  static std::unique_ptr<TGoal> New(const std::string& Name, double Value);
  // The same, ready on the circuit as the menu adds it: a storage box placed at random on its
  // road, drawing from the calling thread's stream. Raises as TGoal2DStorage::PlaceBox does.
  static std::unique_ptr<TGoal> NewOnTrack(const std::string& Name, double Value,
                                           const TTrack2D& Track);

  // The fields the goal keeps as its own, with their values and the ranges they accept.
  static std::vector<TGoalField> Fields(const TGoal& Goal);
  // Sets them, as Fields lists them for that goal (same names, in the same order). Raises
  // EError naming the field for one that is missing, out of range or not whole.
  static void SetFields(TGoal& Goal, const std::vector<TGoalField>& Fields);
};
