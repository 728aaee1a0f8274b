import json
import os
import signal
import subprocess
import threading
import time

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


def test_ctrl_c_starts_no_further_run_and_the_same_call_goes_on(tmp_path):
    many = dict(EXPERIMENT, steps=3, futures=5, repetitions=150)
    out = tmp_path / "out"

    def interrupt_once_a_run_is_written():
        table = out / "runs.csv"
        while not (table.exists() and table.read_text().count("\n") >= 2):
            time.sleep(0.01)
        os.kill(os.getpid(), signal.SIGINT)

    helper = threading.Thread(target=interrupt_once_a_run_is_written)
    helper.start()
    with pytest.raises(KeyboardInterrupt):
        kartsim.run_experiment(many, jobs=1, out=out)
    helper.join()
    assert 1 <= len(pandas.read_csv(out / "runs.csv")) < 300
    runs, _ = kartsim.run_experiment(many, jobs=1, out=out)
    assert list(runs.run) == list(range(300))
