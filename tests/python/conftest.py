import os
import subprocess

import pytest


def program(variable):
    path = os.environ.get(variable)
    if not path or not os.access(path, os.X_OK):
        pytest.skip(f"{variable} does not name the program (run the tests through ctest)")
    return path


@pytest.fixture
def batch():
    """Runs kartsim-batch with the arguments given; fails on a non-zero status."""
    exe = program("KARTSIM_BATCH")

    def run(*args):
        subprocess.run([exe, *map(str, args)], check=True, capture_output=True)

    return run


@pytest.fixture
def experiment_program():
    return program("KARTSIM_EXPERIMENT")
