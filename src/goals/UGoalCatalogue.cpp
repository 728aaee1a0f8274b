#include "goals/UGoalCatalogue.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "goals/UGoal2DRaced.h"
#include "goals/UGoal2DStorage.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UGoal2DTeamAway.h"
#include "goals/UGoalBurnOut.h"
#include "goals/UGoalDuplicate.h"
#include "goals/UGoalEnergy.h"
#include "goals/UGoalHealth.h"
#include "goals/UGoalMouse.h"
#include "platform/UErrors.h"
#include "world/UWorldDefaults.h"

namespace {

struct TKind {
  const char* Name;
  double StartValue;
  bool ShowsWhenAdded;
  std::function<std::unique_ptr<TGoal>(double)> Make;
  std::function<bool(const TGoal&)> Is;
};

template <class T> bool IsA(const TGoal& Goal) {
  return dynamic_cast<const T*>(&Goal) != nullptr;
}

bool IsMouse(const TGoal& Goal, bool Avoid) {
  const auto* mouse = dynamic_cast<const TGoalMouse*>(&Goal);
  return mouse != nullptr && mouse->FAvoid == Avoid;
}

constexpr double GoalValue = TWorldDefaults::GoalValue;

const std::vector<TKind>& Kinds() {
  static const std::vector<TKind> kinds = {
      {"speed", GoalValue, false, [](double V) { return std::make_unique<TGoal2DRaced>(V); },
       IsA<TGoal2DRaced>},
      {"energy", GoalValue, false, [](double V) { return std::make_unique<TGoalEnergy>(V); },
       IsA<TGoalEnergy>},
      {"health", GoalValue, false, [](double V) { return std::make_unique<TGoalHealth>(V); },
       IsA<TGoalHealth>},
      {"duplicate", GoalValue, false, [](double V) { return std::make_unique<TGoalDuplicate>(V); },
       IsA<TGoalDuplicate>},
      {"avoid-others", GoalValue, false,
       [](double V) { return std::make_unique<TGoal2DTeamAway>(V); }, IsA<TGoal2DTeamAway>},
      {"follow-mouse", TWorldDefaults::MouseGoalValue, true,
       [](double V) { return std::make_unique<TGoalMouse>(false, V); },
       [](const TGoal& G) { return IsMouse(G, false); }},
      {"avoid-mouse", TWorldDefaults::MouseGoalValue, true,
       [](double V) { return std::make_unique<TGoalMouse>(true, V); },
       [](const TGoal& G) { return IsMouse(G, true); }},
      {"drops", GoalValue, true, [](double V) { return std::make_unique<TGoal2DSweets>(V); },
       IsA<TGoal2DSweets>},
      {"storage", GoalValue, true,
       [](double V) {
         return std::make_unique<TGoal2DStorage>(0, 0, TGoal2DStorage::BoxHalfSize,
                                                 TGoal2DStorage::BoxCapacity, V);
       },
       IsA<TGoal2DStorage>},
      {"burn-out", GoalValue, false, [](double V) { return std::make_unique<TGoalBurnOut>(V); },
       IsA<TGoalBurnOut>},
  };
  return kinds;
}

const TKind& KindNamed(const std::string& Name) {
  for (const TKind& kind : Kinds())
    if (Name == kind.Name)
      return kind;
  throw EError("Unknown goal kind \"" + Name + "\".");
}

// Far beyond any circuit, but small enough that a pixel count never overflows.
constexpr double MaxPixel = 1e6;
constexpr double MaxEnergy = 1e12;

TGoalField Number(const char* Name, double Value, double Min, double Max, bool Whole) {
  return {Name, Min, Max, Whole, 0, {Value}};
}

double CheckedNumber(const std::vector<TGoalField>& Fields, size_t I, const char* Name) {
  if (I >= Fields.size() || Fields[I].Name != Name || Fields[I].Columns != 0 ||
      Fields[I].Values.size() != 1)
    throw EError(std::string(Name) + ": missing");
  const TGoalField& f = Fields[I];
  const double v = f.Values[0];
  if (!std::isfinite(v) || v < f.Min || v > f.Max)
    throw EError(f.Name + ": out of range (" + std::to_string(f.Min) + " to " +
                 std::to_string(f.Max) + ")");
  if (f.Whole && v != std::floor(v))
    throw EError(f.Name + ": not a whole number");
  return v;
}

} // namespace

std::vector<std::string> TGoalCatalogue::Names() {
  std::vector<std::string> names;
  for (const TKind& kind : Kinds())
    names.push_back(kind.Name);
  return names;
}

bool TGoalCatalogue::Knows(const std::string& Name) {
  return std::any_of(Kinds().begin(), Kinds().end(),
                     [&](const TKind& Kind) { return Name == Kind.Name; });
}

std::string TGoalCatalogue::NameOf(const TGoal& Goal) {
  for (const TKind& kind : Kinds())
    if (kind.Is(Goal))
      return kind.Name;
  throw EError("A goal \"" + Goal.FDescription + "\" of a kind no scene can hold.");
}

double TGoalCatalogue::StartValue(const std::string& Name) {
  return KindNamed(Name).StartValue;
}

bool TGoalCatalogue::ShowsWhenAdded(const std::string& Name) {
  return KindNamed(Name).ShowsWhenAdded;
}

std::unique_ptr<TGoal> TGoalCatalogue::New(const std::string& Name, double Value) {
  return KindNamed(Name).Make(Value);
}

std::unique_ptr<TGoal> TGoalCatalogue::NewOnTrack(const std::string& Name, double Value,
                                                  const TTrack2D& Track) {
  std::unique_ptr<TGoal> goal = New(Name, Value);
  if (auto* box = dynamic_cast<TGoal2DStorage*>(goal.get())) {
    const TPoint place = TGoal2DStorage::PlaceBox(Track, box->FBoxHalfSize);
    box->FBoxX = place.X;
    box->FBoxY = place.Y;
  }
  return goal;
}

std::vector<TGoalField> TGoalCatalogue::Fields(const TGoal& Goal) {
  if (const auto* box = dynamic_cast<const TGoal2DStorage*>(&Goal))
    return {Number("box_x", box->FBoxX, -MaxPixel, MaxPixel, true),
            Number("box_y", box->FBoxY, -MaxPixel, MaxPixel, true),
            Number("box_half_size", box->FBoxHalfSize, 1, MaxPixel, true),
            Number("capacity", box->FCapacity, 0, MaxEnergy, false),
            Number("stored", box->FStored, 0, MaxEnergy, false)};
  if (const auto* drops = dynamic_cast<const TGoal2DSweets*>(&Goal)) {
    // Not placed yet: the first evaluation places them, from the stream of the run.
    TGoalField rows{"drops", -MaxPixel, MaxPixel, true, 3, {}};
    if (!drops->FNeedsPlacing)
      for (int32_t i = 0; i < TGoal2DSweets::MaxDrops; ++i)
        rows.Values.insert(rows.Values.end(),
                           {static_cast<double>(drops->FDropX[i]),
                            static_cast<double>(drops->FDropY[i]),
                            static_cast<double>(std::max(drops->FDropAmount[i], 0))});
    return {rows};
  }
  return {};
}

void TGoalCatalogue::SetFields(TGoal& Goal, const std::vector<TGoalField>& Fields) {
  if (auto* box = dynamic_cast<TGoal2DStorage*>(&Goal)) {
    const auto x = static_cast<int32_t>(CheckedNumber(Fields, 0, "box_x"));
    const auto y = static_cast<int32_t>(CheckedNumber(Fields, 1, "box_y"));
    const auto half = static_cast<int32_t>(CheckedNumber(Fields, 2, "box_half_size"));
    const double capacity = CheckedNumber(Fields, 3, "capacity");
    const double stored = CheckedNumber(Fields, 4, "stored");
    box->FBoxX = x;
    box->FBoxY = y;
    box->FBoxHalfSize = half;
    box->FCapacity = capacity;
    box->FStored = stored;
  } else if (auto* drops = dynamic_cast<TGoal2DSweets*>(&Goal)) {
    if (Fields.size() != 1 || Fields[0].Name != "drops" || Fields[0].Columns != 3)
      throw EError("drops: missing");
    const std::vector<double>& v = Fields[0].Values;
    if (!v.empty() && v.size() != 3 * static_cast<size_t>(TGoal2DSweets::MaxDrops))
      throw EError("drops: expected none or " + std::to_string(TGoal2DSweets::MaxDrops) +
                   " rows of x, y and amount");
    for (size_t i = 0; i < v.size(); ++i)
      if (!std::isfinite(v[i]) || v[i] != std::floor(v[i]) || std::abs(v[i]) > MaxPixel)
        throw EError("drops[" + std::to_string(i / 3) + "]: not a whole number within " +
                     std::to_string(static_cast<int64_t>(MaxPixel)));
    bool anyEmpty = v.empty();
    for (size_t i = 0; 3 * i < v.size(); ++i) {
      drops->FDropX[i] = static_cast<int32_t>(v[3 * i]);
      drops->FDropY[i] = static_cast<int32_t>(v[3 * i + 1]);
      drops->FDropAmount[i] = std::max(static_cast<int32_t>(v[3 * i + 2]), 0);
      drops->FFutureAmount[i] = drops->FDropAmount[i];
      anyEmpty = anyEmpty || drops->FDropAmount[i] == 0;
    }
    // Slots left empty are filled at the next evaluation, as a world that found no room retries.
    drops->FNeedsPlacing = anyEmpty;
  }
}
