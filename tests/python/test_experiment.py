import json
import subprocess

import pandas
import pytest

import kartsim

EXPERIMENT = {
    "format": "kartsim-experiment",
    "version": 1,
    "scene": "kart",
    "steps": 4,
    "futures": 20,
    "repetitions": 2,
    "seed": 11,
    "variables": [{"setting": "ai_level", "values": [4, 6]}],
}


def without_time(frame):
    # The machine's time is the one measure two runs of a seed do not share.
    if "measure" in frame:
        return frame[frame.measure != "step_ms_median"].reset_index(drop=True)
    return frame.drop(columns=[c for c in frame if c.startswith("step_ms")])


def test_run_experiment_gives_the_programs_rows(experiment_program, tmp_path):
    file = tmp_path / "e.experiment.json"
    file.write_text(json.dumps(EXPERIMENT))
    subprocess.run([experiment_program, file, "--out", tmp_path / "program", "--jobs", "2"],
                   check=True, capture_output=True)
    runs, summary = kartsim.run_experiment(file, jobs=2, out=tmp_path / "module")
    program = {name: pandas.read_csv(tmp_path / "program" / f"{name}.csv",
                                     float_precision="round_trip")
               for name in ("runs", "summary")}
    pandas.testing.assert_frame_equal(without_time(runs), without_time(program["runs"]))
    pandas.testing.assert_frame_equal(without_time(summary), without_time(program["summary"]))
    assert (tmp_path / "module" / "plots").is_dir()

    # From a dict, into a folder of its own that goes; the same runs.
    result = kartsim.run_experiment(EXPERIMENT, jobs=1, every_step=True)
    pandas.testing.assert_frame_equal(without_time(result.runs), without_time(runs))
    # steps.csv in long form: one row per run, step and measure.
    assert len(result.steps[["run", "step"]].drop_duplicates()) == len(runs) * EXPERIMENT["steps"]

    bad = dict(EXPERIMENT, variables=[{"setting": "ai_level", "values": [4, 9]}])
    with pytest.raises(ValueError, match=r'^\$\.variables\[0\]\.values\[1\]: "ai_level" takes'):
        kartsim.run_experiment(bad)
