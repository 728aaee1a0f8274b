// kartsim for Python: worlds stepped, changed, drawn and saved from a script or a notebook, and
// experiments run as kartsim-experiment runs them. The package's __init__.py completes it.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fstream>
#include <memory>
#include <mutex>

#include "platform/UErrors.h"
#include "ui/python/UPyApplication.h"
#include "ui/python/UPyExperiment.h"
#include "ui/python/UPyTables.h"
#include "ui/python/UPyWorld.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

#ifndef KARTSIM_VERSION
#define KARTSIM_VERSION "unknown"
#endif

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

using TWorldPtr = std::shared_ptr<TPyWorld>;

std::atomic<bool> GInterrupted{false};

extern "C" void CatchInterrupt(int) {
  GInterrupted.store(true);
}

// An experiment runs with the interpreter let go, and Python's own handler of Ctrl-C would act
// only once it ended. On the main thread (the only one that handler runs on) SIGINT is caught
// here for that time instead, so that no further run starts; the caller hands the signal back to
// Python afterwards. A SIGINT the script ignores stays ignored.
class TInterruptCatcher {
public:
  TInterruptCatcher() {
    static_assert(std::atomic<bool>::is_always_lock_free);
    const py::module_ threading = py::module_::import("threading");
    if (!threading.attr("current_thread")().is(threading.attr("main_thread")()))
      return;
    struct sigaction catching {};
    catching.sa_handler = CatchInterrupt;
    sigemptyset(&catching.sa_mask);
    if (sigaction(SIGINT, nullptr, &FBefore) != 0 || FBefore.sa_handler == SIG_IGN)
      return;
    GInterrupted = false;
    FInstalled = sigaction(SIGINT, &catching, nullptr) == 0;
  }
  ~TInterruptCatcher() {
    if (FInstalled)
      sigaction(SIGINT, &FBefore, nullptr);
  }
  TInterruptCatcher(const TInterruptCatcher&) = delete;
  TInterruptCatcher& operator=(const TInterruptCatcher&) = delete;

  const std::atomic<bool>& Interrupted() const { return FInstalled ? GInterrupted : FNever; }

private:
  struct sigaction FBefore {};
  bool FInstalled = false;
  std::atomic<bool> FNever{false};
};

// The world for this thread alone. Another thread that holds it (stepping) is waited for without
// the interpreter's lock, so that it can go on meanwhile.
std::unique_lock<std::mutex> Hold(TPyWorld& World) {
  std::unique_lock<std::mutex> lock(World.Mutex(), std::try_to_lock);
  if (!lock.owns_lock()) {
    py::gil_scoped_release release;
    lock.lock();
  }
  return lock;
}

// Builds a world without the interpreter's lock: opening a scene reads a file.
template <class F> TWorldPtr Made(F Make) {
  TPyApplication::Ensure();
  py::gil_scoped_release release;
  return TWorldPtr(Make());
}

std::optional<int32_t> Optional(const py::object& X) {
  return X.is_none() ? std::nullopt : std::optional<int32_t>(X.cast<int32_t>());
}

TPyWorld::TGoalOwner Owner(const py::object& Player, const py::object& Team) {
  return {Optional(Player), Optional(Team)};
}

// A goal's fields as keywords: a number, or a table as a list of rows.
std::map<std::string, std::vector<double>> Fields(const py::kwargs& Given) {
  std::map<std::string, std::vector<double>> fields;
  for (const auto& [key, value] : Given) {
    std::vector<double>& values = fields[key.cast<std::string>()];
    if (!py::isinstance<py::sequence>(value) || py::isinstance<py::str>(value)) {
      values.push_back(value.cast<double>());
      continue;
    }
    for (const py::handle row : value.cast<py::sequence>()) {
      if (py::isinstance<py::sequence>(row))
        for (const py::handle x : row.cast<py::sequence>())
          values.push_back(x.cast<double>());
      else
        values.push_back(row.cast<double>());
    }
  }
  return fields;
}

// The settings of the world, or of one player, as a mapping by the settings table's keys.
struct TSettingsView {
  TWorldPtr World;
  std::optional<int32_t> Player;

  std::vector<std::string> Keys() const {
    return Player ? TPyWorld::PlayerKeys() : TPyWorld::WorldKeys();
  }
  double Get(const std::string& Key) const {
    const auto lock = Hold(*World);
    return Player ? World->PlayerSetting(*Player, Key) : World->Setting(Key);
  }
  void Set(const std::string& Key, double X) const {
    const auto lock = Hold(*World);
    if (Player)
      World->SetPlayerSetting(*Player, Key, X);
    else
      World->SetSetting(Key, X);
  }
  py::dict Dict() const {
    py::dict all;
    for (const std::string& key : Keys())
      all[py::str(key)] = Get(key);
    return all;
  }
};

py::object Step(TPyWorld& World, int32_t N, const py::object& Futures, const py::object& BudgetMs,
                const py::object& Threads, const py::object& Csv) {
  if (N < 0)
    throw py::value_error("n of " + std::to_string(N) + ": it must be 0 or more.");
  TPyWorld::TStepOptions options;
  options.Futures = Optional(Futures);
  options.Threads = Optional(Threads);
  if (!BudgetMs.is_none())
    options.BudgetMs = BudgetMs.cast<int32_t>();
  if (options.BudgetMs < 1)
    throw py::value_error("budget_ms of " + std::to_string(options.BudgetMs) +
                          ": it must be 1 or more.");
  std::string rows;
  {
    const auto lock = Hold(World);
    const TPyWorld::TStepOptions before = World.Prepare(options);
    try {
      for (int32_t i = 0; i < N; ++i) {
        {
          py::gil_scoped_release release;
          World.Step(options.BudgetMs, &rows);
        }
        // Ctrl-C ends the call between two steps: the world stays as the last one left it.
        if (PyErr_CheckSignals() != 0)
          throw py::error_already_set();
      }
    } catch (...) {
      World.Restore(before);
      throw;
    }
    World.Restore(before);
  }
  if (!Csv.is_none()) {
    const std::string text = std::string(TBatchRecords::CsvHeader()) + "\n" + rows;
    if (py::hasattr(Csv, "write")) {
      Csv.attr("write")(text);
    } else {
      const std::string name = py::module_::import("os").attr("fsencode")(Csv).cast<std::string>();
      std::ofstream file(name, std::ios::binary | std::ios::trunc);
      file << text;
      file.close();
      if (!file)
        throw EError("Cannot write the CSV file \"" + name + "\".");
    }
  }
  return TPyTables::Rows(rows);
}

} // namespace

PYBIND11_MODULE(_kartsim, m) {
  m.doc() = "Worlds, steps and experiments of kartsim";
  m.attr("__version__") = KARTSIM_VERSION;

  // Every error carries the program's own message.
  static py::exception<EError> error(m, "Error", PyExc_RuntimeError);
  static py::exception<ERangeError> rangeError(m, "RangeError", PyExc_ValueError);
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p)
        std::rethrow_exception(p);
    } catch (const ESettingKey& e) {
      PyErr_SetString(PyExc_KeyError, e.what());
    } catch (const ESettingValue& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const ERangeError& e) {
      rangeError(e.what());
    } catch (const EError& e) {
      error(e.what());
    }
  });

  py::class_<TSettingsView>(m, "Settings")
      .def("__getitem__", &TSettingsView::Get)
      .def("__setitem__", &TSettingsView::Set)
      .def("__iter__", [](const TSettingsView& S) { return py::iter(py::cast(S.Keys())); })
      .def("__len__", [](const TSettingsView& S) { return S.Keys().size(); })
      .def("__contains__",
           [](const TSettingsView& S, const std::string& Key) {
             const auto keys = S.Keys();
             return std::find(keys.begin(), keys.end(), Key) != keys.end();
           })
      .def("keys", &TSettingsView::Keys)
      .def("items", [](const TSettingsView& S) { return S.Dict().attr("items")(); })
      .def(
          "get",
          [](const TSettingsView& S, const std::string& Key, py::object Default) -> py::object {
            const auto keys = S.Keys();
            if (std::find(keys.begin(), keys.end(), Key) == keys.end())
              return Default;
            return py::float_(S.Get(Key));
          },
          "key"_a, "default"_a = py::none())
      .def("update",
           [](const TSettingsView& S, const py::dict& Values) {
             for (const auto& [key, value] : Values)
               S.Set(key.cast<std::string>(), value.cast<double>());
           })
      .def("to_dict", &TSettingsView::Dict)
      .def("__repr__", [](const TSettingsView& S) { return py::repr(S.Dict()); });

  py::class_<TPyWorld, TWorldPtr>(m, "World")
      .def(py::init([](const py::object& Seed) {
             const std::optional<uint64_t> seed =
                 Seed.is_none() ? std::nullopt : std::optional(Seed.cast<uint64_t>());
             return Made([&] { return TPyWorld::Start(seed); });
           }),
           py::kw_only(), "seed"_a = py::none(),
           "The start world of the window: the built-in circuit and one rocket.")
      .def_static(
          "open",
          [](const py::object& Path, std::optional<uint64_t> Seed) {
            const std::string name =
                py::module_::import("os").attr("fsencode")(Path).cast<std::string>();
            return Made([&] { return TPyWorld::Open(name, Seed); });
          },
          "path"_a, py::kw_only(), "seed"_a = py::none(), "A world from a scene file.")
      .def_static(
          "scenario",
          [](const std::string& Name, std::optional<uint64_t> Seed) {
            return Made([&] { return TPyWorld::Scenario(Name, Seed); });
          },
          "name"_a, py::kw_only(), "seed"_a = py::none(),
          "A world from a built-in scene: rocket, kart, circle or drops.")
      .def_property_readonly("seed", &TPyWorld::Seed)
      .def_property_readonly("step_number",
                             [](TPyWorld& W) {
                               const auto lock = Hold(W);
                               return W.StepNumber();
                             })
      .def_property_readonly("team_count",
                             [](TPyWorld& W) {
                               const auto lock = Hold(W);
                               return W.World().TeamCount();
                             })
      .def(
          "save_scene",
          [](TPyWorld& W, const py::object& Path) {
            const std::string name =
                py::module_::import("os").attr("fsencode")(Path).cast<std::string>();
            const auto lock = Hold(W);
            W.SaveScene(name);
          },
          "path"_a)
      .def_property_readonly("settings",
                             [](const TWorldPtr& W) {
                               return TSettingsView{W, std::nullopt};
                             })
      .def(
          "player_settings",
          [](const TWorldPtr& W, int32_t Player) {
            const auto lock = Hold(*W);
            W->Player(Player); // raises for no such player
            return TSettingsView{W, Player};
          },
          "player"_a)
      .def("step", &Step, "n"_a = 1, py::kw_only(), "futures"_a = py::none(),
           "budget_ms"_a = py::none(), "threads"_a = py::none(), "csv"_a = py::none(),
           "Runs n steps; answers their rows of the batch runner's CSV as a DataFrame.")
      .def("players",
           [](TPyWorld& W) {
             const auto lock = Hold(W);
             return TPyTables::Players(W);
           })
      .def(
          "add_player",
          [](TPyWorld& W, const std::string& Kind, double X, double Y, double Angle,
             const py::object& Team) {
            const auto lock = Hold(W);
            return W.AddPlayer(Kind, X, Y, Angle, Optional(Team));
          },
          "kind"_a, "x"_a, "y"_a, "angle"_a = 0.0, py::kw_only(), "team"_a = py::none())
      .def(
          "remove_player",
          [](TPyWorld& W, int32_t Player) {
            const auto lock = Hold(W);
            W.RemovePlayer(Player);
          },
          "player"_a)
      .def(
          "goals",
          [](TPyWorld& W, const py::object& Player, const py::object& Team) {
            const auto lock = Hold(W);
            return TPyTables::Goals(W, Player, Team);
          },
          py::kw_only(), "player"_a = py::none(), "team"_a = py::none())
      .def(
          "add_goal",
          [](TPyWorld& W, const std::string& Kind, double Value, const py::object& Player,
             const py::object& Team, const py::kwargs& Given) {
            const auto fields = Fields(Given);
            const auto lock = Hold(W);
            return W.AddGoal(Kind, Value, Owner(Player, Team), fields);
          },
          "kind"_a, "value"_a, py::kw_only(), "player"_a = py::none(), "team"_a = py::none())
      .def(
          "set_goal",
          [](TPyWorld& W, int32_t Index, std::optional<double> Value, const py::object& Player,
             const py::object& Team, const py::kwargs& Given) {
            const auto fields = Fields(Given);
            const auto lock = Hold(W);
            W.SetGoal(Index, Value, Owner(Player, Team), fields);
          },
          "goal"_a, "value"_a = py::none(), py::kw_only(), "player"_a = py::none(),
          "team"_a = py::none())
      .def("picture",
           [](TPyWorld& W) {
             const auto lock = Hold(W);
             return TPyTables::Pixels(W.Picture());
           })
      .def(
          "last_decision",
          [](TPyWorld& W, int32_t Player) {
            const auto lock = Hold(W);
            return TPyTables::LastDecision(W, Player);
          },
          "player"_a)
      .def("__repr__", [](TPyWorld& W) {
        const auto lock = Hold(W);
        return "<kartsim.World seed=" +
               (W.Seed() ? std::to_string(*W.Seed()) : std::string("kept")) + ", step " +
               std::to_string(W.StepNumber()) + ", " +
               std::to_string(W.World().Track().PlayerCount()) + " players>";
      });

  m.def(
      "_run_experiment",
      [](const std::string& File, const std::string& Out, int32_t Jobs, bool EveryStep,
         bool Plots) {
        TPyApplication::Ensure();
        TPyExperiment::TResult result;
        bool interrupted = false;
        {
          const TInterruptCatcher catcher;
          py::gil_scoped_release release;
          result = TPyExperiment::Run(File, Out, Jobs, EveryStep, Plots, &catcher.Interrupted());
          interrupted = catcher.Interrupted();
        }
        if (interrupted) {
          // Handed to Python's own handler, as if it had come now: KeyboardInterrupt, or
          // whatever the script put in its place.
          PyErr_SetInterruptEx(SIGINT);
          if (PyErr_CheckSignals() != 0)
            throw py::error_already_set();
        }
        if (result.Status == 2)
          throw py::value_error(result.Error);
        if (result.Status != 0)
          throw EError(result.Error);
        return result.Printed;
      },
      "file"_a, "out"_a, "jobs"_a, "every_step"_a, "plots"_a);
}
