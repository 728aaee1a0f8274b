import _thread
import sys
import threading
import time

import pytest

import kartsim


@pytest.fixture
def no_forced_switches():
    # Python then hands its lock to another thread only when the holder lets it go: a thread
    # runs during a step only if the step let it.
    interval = sys.getswitchinterval()
    sys.setswitchinterval(100)
    yield
    sys.setswitchinterval(interval)


def test_other_threads_run_during_steps_and_ctrl_c_ends_them_between_two(no_forced_switches):
    world = kartsim.World.scenario("circle", seed=3)
    world.step(2, futures=10)
    state = {"armed": False, "count": 0, "stop": False, "seen": None}

    def helper():
        while not state["stop"]:
            if state["armed"]:
                state["count"] += 1
                # A thousand turns of this loop while the steps run, then Ctrl-C.
                if state["count"] == 1000:
                    _thread.interrupt_main()
                    # Touching the world waits for the steps in progress rather than racing them.
                    state["seen"] = world.step_number
            time.sleep(0)  # lets the main thread take Python's lock back

    thread = threading.Thread(target=helper)
    thread.start()
    try:
        state["armed"] = True
        with pytest.raises(KeyboardInterrupt):
            world.step(1000, futures=50, threads=1)
        assert 2 < world.step_number < 1002
    finally:
        state["stop"] = True
        thread.join()
    assert state["seen"] == world.step_number
    # The world goes on from the last step it finished.
    rows = world.step(1, futures=10)
    assert set(rows.step) == {world.step_number}
