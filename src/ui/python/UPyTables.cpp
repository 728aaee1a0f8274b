#include "ui/python/UPyTables.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstring>

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "goals/UGoalCatalogue.h"
#include "ui/python/UPyWorld.h"
#include "ui/qt/UQtPicture.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

py::object Frame(const py::list& Rows, const py::list& Columns) {
  return py::module_::import("pandas").attr("DataFrame")(Rows, "columns"_a = Columns);
}

void AddColumn(py::list& Columns, const std::string& Name) {
  if (!Columns.contains(Name))
    Columns.append(Name);
}

} // namespace

py::object TPyTables::Players(const TPyWorld& World) {
  py::list rows;
  py::list columns;
  for (const char* name : {"player", "kind", "team", "alive", "born_step"})
    columns.append(name);
  for (const TBatchRecords::TPlayerRecord& r : World.Records().Records()) {
    if (r.Player == nullptr)
      continue;
    const TPlayer& p = *r.Player;
    py::dict row("player"_a = r.Index, "kind"_a = r.Kind, "team"_a = World.TeamOf(p),
                 "alive"_a = !p.IsDead(), "born_step"_a = r.BornStep);
    const TState& state = r.Player->RealState();
    for (int32_t i = 0; i < state.ParamCount(); ++i) {
      AddColumn(columns, state.ParamName(i));
      row[py::str(state.ParamName(i))] = state.Param(i).Value;
    }
    rows.append(row);
  }
  return Frame(rows, columns);
}

py::object TPyTables::Goals(const TPyWorld& World, py::object Player, py::object Team) {
  TPyWorld::TGoalOwner owner;
  if (!Player.is_none())
    owner.Player = Player.cast<int32_t>();
  if (!Team.is_none())
    owner.Team = Team.cast<int32_t>();
  py::list rows;
  py::list columns;
  for (const char* name : {"goal", "kind", "value"})
    columns.append(name);
  int32_t index = 0;
  for (const TGoal* goal : World.Goals(owner)) {
    py::dict row("goal"_a = index++, "kind"_a = TGoalCatalogue::NameOf(*goal),
                 "value"_a = goal->FValue);
    for (const TGoalField& field : TGoalCatalogue::Fields(*goal)) {
      AddColumn(columns, field.Name);
      if (field.Columns == 0) {
        row[py::str(field.Name)] = field.Values.empty() ? 0.0 : field.Values[0];
        continue;
      }
      py::list table;
      for (size_t i = 0; i + field.Columns <= field.Values.size(); i += field.Columns)
        table.append(py::cast(std::vector<double>(field.Values.begin() + i,
                                                  field.Values.begin() + i + field.Columns)));
      row[py::str(field.Name)] = table;
    }
    rows.append(row);
  }
  return Frame(rows, columns);
}

py::object TPyTables::LastDecision(const TPyWorld& World, int32_t Player) {
  TPlayer& player = World.Player(Player);
  const TDecisionRecord& decision = player.Futures().LastDecision();
  const auto name = [&](int32_t Param) { return decision.ParamName(Param); };
  py::list rows;
  for (size_t k = 0; k < decision.Options.size(); ++k) {
    const TDecisionRecord::TOption& o = decision.Options[k];
    rows.append(py::dict("option"_a = k, "param"_a = name(o.Param), "push"_a = o.Push,
                         "futures"_a = o.Futures, "score"_a = static_cast<double>(o.Score),
                         "weight"_a = static_cast<double>(o.Weight)));
  }
  py::list columns;
  for (const char* c : {"option", "param", "push", "futures", "score", "weight"})
    columns.append(c);
  py::object frame = Frame(rows, columns);
  py::list params;
  for (size_t i = 0; i < decision.Params.size(); ++i) {
    const TDecisionRecord::TParam& p = decision.Params[i];
    params.append(py::dict("param"_a = name(static_cast<int32_t>(i)), "combined"_a = p.Combined,
                           "y_shape_corrected"_a = p.YShapeCorrected, "action"_a = p.Action,
                           "sensitivity_before"_a = p.SensitivityBefore,
                           "sensitivity"_a = p.Sensitivity));
  }
  py::dict attrs = frame.attr("attrs");
  attrs["ai_level"] = decision.AILevel;
  attrs["future_count"] = decision.FutureCount;
  attrs["dot_count"] = decision.DotCount;
  attrs["params"] = params;
  return frame;
}

py::object TPyTables::Rows(const std::string& Csv) {
  py::object text = py::module_::import("io").attr("StringIO")(
      std::string(TBatchRecords::CsvHeader()) + "\n" + Csv);
  return py::module_::import("pandas").attr("read_csv")(text, "float_precision"_a = "round_trip");
}

py::object TPyTables::Pixels(const TQtPicture& Picture) {
  const QImage& image = Picture.Image();
  const py::ssize_t height = image.height(), width = image.width();
  py::array_t<uint8_t> pixels({height, width, py::ssize_t{3}});
  uint8_t* out = pixels.mutable_data();
  // Rows of the image are padded to 4 bytes; the array's are not.
  for (py::ssize_t y = 0; y < height; ++y)
    std::memcpy(out + y * width * 3, image.constScanLine(static_cast<int>(y)),
                static_cast<size_t>(width) * 3);
  return pixels;
}
