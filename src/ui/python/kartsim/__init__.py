"""kartsim from Python: worlds stepped, changed, drawn and saved, and experiments run.

    world = kartsim.World.scenario("drops", seed=1)
    rows = world.step(300)                 # the batch runner's CSV rows, as a DataFrame
    world.settings["friction"] = 0.05      # by the settings table's keys
    world.add_goal("storage", 2, team=0)   # by the goal catalogue's kinds
    frame = world.picture()                # height x width x 3, uint8

    runs, summary = kartsim.run_experiment("ai-levels.experiment.json", out="results")
"""

import json
import os
import tempfile

import pandas

from ._kartsim import Error, RangeError, Settings, World, __version__, _run_experiment

__all__ = ["Error", "RangeError", "Settings", "World", "run_experiment", "ExperimentResult"]


class ExperimentResult(tuple):
    """(runs, summary), as kartsim-experiment's runs.csv and summary.csv; the other tables the
    experiment wrote (steps, players) as attributes, None when it wrote none."""

    def __new__(cls, runs, summary, tables, printed):
        result = super().__new__(cls, (runs, summary))
        result.tables = tables
        result.printed = printed
        return result

    runs = property(lambda self: self[0])
    summary = property(lambda self: self[1])
    steps = property(lambda self: self.tables.get("steps"))
    players = property(lambda self: self.tables.get("players"))


def _read_tables(folder):
    tables = {}
    for name in sorted(os.listdir(folder)):
        if name.endswith(".csv"):
            tables[name[:-4]] = pandas.read_csv(os.path.join(folder, name),
                                                float_precision="round_trip")
    return tables


def run_experiment(path_or_dict, jobs=None, out=None, every_step=False):
    """Runs an experiment as kartsim-experiment does, with the same runner, and answers
    (runs, summary) DataFrames with the rows of its runs.csv and summary.csv.

    path_or_dict: an experiment file, or its document as a dict (a scene file named relative to
    the current folder). jobs: runs at once, every hardware thread by default. out: the results'
    folder, kept with the plots; without it the results go to a temporary folder that is removed,
    and no plots are drawn. Ctrl-C starts no further run and raises KeyboardInterrupt; with out=,
    the runs finished are kept and the same call goes on from them. every_step: steps.csv as well. Raises ValueError for a fault of the experiment or of the
    folder, with the program's message, and kartsim.Error when a run fails."""
    jobs = 0 if jobs is None else int(jobs)
    with tempfile.TemporaryDirectory(prefix="kartsim-") as work:
        if isinstance(path_or_dict, dict):
            document = dict(path_or_dict)
            scene = document.get("scene")
            if isinstance(scene, str) and os.path.exists(scene):
                document["scene"] = os.path.abspath(scene)
            file = os.path.join(work, "experiment.json")
            with open(file, "w", encoding="utf-8") as f:
                json.dump(document, f)
        else:
            file = os.fspath(path_or_dict)
        folder = os.fspath(out) if out is not None else os.path.join(work, "results")
        try:
            printed = _run_experiment(file, folder, jobs, bool(every_step), out is not None)
        except ValueError as e:
            # A document given as a dict has no file of its own to name.
            named = f'The experiment file "{file}": '
            if isinstance(path_or_dict, dict) and str(e).startswith(named):
                raise ValueError(str(e)[len(named):]) from None
            raise
        tables = _read_tables(folder)
        return ExperimentResult(tables.pop("runs"), tables.pop("summary"), tables, printed)
