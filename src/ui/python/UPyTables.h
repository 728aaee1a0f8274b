#pragma once

#include <pybind11/pybind11.h>

#include <string>

class TPyWorld;
class TQtPicture;

// What a world shows a script, as pandas and numpy hold it. Called with the world held and the
// interpreter's lock taken.
class TPyTables {
public:
  // Every player in the world, one row each: its number, kind, team, whether alive, the step it
  // joined at, then its state by the state's own names (those of a scene file).
  static pybind11::object Players(const TPyWorld& World);
  // The goals of a player or a team: index, kind, value, then the catalogue's fields of each.
  static pybind11::object Goals(const TPyWorld& World, pybind11::object Player,
                                pybind11::object Team);
  // A player's last decision, one row per option as the batch runner's decisions CSV has them;
  // the free parameters' blend and the decision's counts in the frame's attrs.
  static pybind11::object LastDecision(const TPyWorld& World, int32_t Player);
  // The rows of the batch runner's CSV, read back as a frame.
  static pybind11::object Rows(const std::string& Csv);
  // A copy of the picture: height x width x 3, red first.
  static pybind11::object Pixels(const TQtPicture& Picture);
};
