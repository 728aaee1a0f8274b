import math

import numpy
import pandas
import pytest

import kartsim


def test_steps_write_the_batch_runners_csv_byte_for_byte(batch, tmp_path):
    batch("--scenario", "drops", "--seed", 5, "--futures", 30, "--steps", 4,
          "--csv", tmp_path / "batch.csv", "--decisions", tmp_path / "decisions.csv")
    world = kartsim.World.scenario("drops", seed=5)
    # Two calls, the second on other threads: the rows go on as one run's.
    first = world.step(3, futures=30, csv=tmp_path / "a.csv")
    last = world.step(1, futures=30, threads=2, csv=tmp_path / "b.csv")
    rows = (tmp_path / "a.csv").read_bytes() + (tmp_path / "b.csv").read_bytes().split(b"\n", 1)[1]
    assert rows == (tmp_path / "batch.csv").read_bytes()
    expected = pandas.read_csv(tmp_path / "batch.csv", float_precision="round_trip")
    pandas.testing.assert_frame_equal(pandas.concat([first, last], ignore_index=True), expected)
    assert world.step_number == 4
    # The last decision is the one the decisions table has for that step.
    decisions = pandas.read_csv(tmp_path / "decisions.csv", keep_default_na=False)
    mine = decisions[(decisions.step == 4) & (decisions.player == 1)]
    decision = world.last_decision(1)
    assert list(decision.param) == list(mine.param)
    assert numpy.allclose(decision.weight, mine.weight, rtol=1e-9)
    assert decision.futures.sum() == decision.attrs["dot_count"]

    # A scene saved mid-run goes on with its stream and step numbers, as the whole run did.
    world.save_scene(tmp_path / "mid.kartsim.json")
    rest = world.step(2, futures=30)
    resumed = kartsim.World.open(tmp_path / "mid.kartsim.json")
    assert resumed.seed is None and resumed.step_number == 4
    pandas.testing.assert_frame_equal(resumed.step(2, futures=30), rest)


def test_settings_by_key_keep_to_the_tables_ranges(tmp_path):
    world = kartsim.World(seed=1)
    world.settings["friction"] = 0.05
    assert world.settings["friction"] == 0.05
    assert set(world.settings) >= {"future_ms", "min_futures", "collisions", "friction"}
    with pytest.raises(ValueError, match=r'^"friction" of 5: it must be from 0.001 to 0.3.$'):
        world.settings["friction"] = 5
    with pytest.raises(KeyError, match="ai_level"):
        world.settings["ai_level"] = 3  # a player's, not the world's
    player = world.player_settings(0)
    player["ai_level"] = 6
    with pytest.raises(ValueError, match=r'"ai_level" of 9: it must be a whole number from 1 to 8'):
        player["ai_level"] = 9
    assert (world.settings["friction"], player["ai_level"]) == (0.05, 6)
    # What a scene keeps comes back when it is opened.
    world.save_scene(tmp_path / "w.kartsim.json")
    again = kartsim.World.open(tmp_path / "w.kartsim.json", seed=1)
    assert again.settings.to_dict() == world.settings.to_dict()
    assert again.player_settings(0)["ai_level"] == 6
    with pytest.raises(kartsim.Error, match="Cannot open the scene"):
        kartsim.World.open(tmp_path / "none.kartsim.json")


def test_players_and_goals_change_between_steps():
    world = kartsim.World.scenario("drops", seed=2)
    world.step(2, futures=10)
    born = world.add_player("kart", 330, 475, math.pi, team=0)
    players = world.players().set_index("player")
    assert born == players.index.max()
    assert (players.loc[born, "kind"], players.loc[born, "born_step"]) == ("kart", 2)
    # At rest where it was put, whatever the selected player was doing.
    assert players.loc[born, ["POSX", "POSY", "VELX", "VELY"]].tolist() == [330, 475, 0, 0]
    world.remove_player(0)
    rows = world.step(1, futures=10)
    assert born in set(rows.player) and 0 not in set(rows.player)
    with pytest.raises(kartsim.RangeError, match="No player 0"):
        world.remove_player(0)

    goals = world.goals(team=0)
    storage = int(goals.index[goals.kind == "storage"][0])
    world.set_goal(storage, 4, team=0)
    index = world.add_goal("storage", 2, player=born, box_x=100, box_y=120, capacity=50)
    mine = world.goals(player=born).iloc[index]
    assert (mine.kind, mine.value, mine.box_x, mine.box_y, mine.capacity) == (
        "storage", 2, 100, 120, 50)
    assert world.goals(team=0).value[storage] == 4
    with pytest.raises(ValueError, match=r'^"value" of 11: it must be from 0 to 10.$'):
        world.set_goal(storage, 11, team=0)
    with pytest.raises(kartsim.Error, match='^Unknown goal kind "sweets".$'):
        world.add_goal("sweets", 1)
    with pytest.raises(KeyError, match="no field"):
        world.add_goal("storage", 1, size=3)
    world.step(1, futures=10)
    assert world.goals(player=born).value[index] == 2


def test_the_picture_is_the_frame_with_a_body_where_it_stands():
    world = kartsim.World(seed=1)
    empty = world.picture()
    assert (empty.shape, empty.dtype) == ((600, 800, 3), numpy.uint8)
    assert tuple(empty[300, 193]) == (255, 255, 255)  # road
    # The second player of a team is yellow: its body at (200, 300) heading right.
    world.add_player("kart", 200, 300, 0)
    picture = world.picture()
    assert tuple(picture[300, 193]) == (255, 255, 0)
    assert tuple(picture[300, 208]) == (255, 255, 0)
    # Nothing else changed but around the body.
    changed = numpy.argwhere((picture != empty).any(axis=2))
    assert changed.min(axis=0).tolist() >= [280, 180] and changed.max(axis=0).tolist() <= [320, 230]
