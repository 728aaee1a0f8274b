#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <memory>
#include <string>
#include <vector>

#include "ui/experiment/UExperiment.h"

class TExperimentWorld;

// The variables of an experiment file, each checked where it stands (Path) against the scenes
// it will run in; EExperimentInput "PATH: why" for a fault.
class TVariableReader {
public:
  // A setting with its "values" or "first"/"step"/"last", within what the settings table offers
  // and what every player of every scene (Worlds) holds.
  static TExperiment::TVariable
  Setting(const QJsonValue& Value, const std::string& Path, const std::vector<std::string>& Scenes,
          const std::vector<std::unique_ptr<TExperimentWorld>>& Worlds);
  // The "scene" variable: each scene opened once into Worlds.
  static TExperiment::TVariable Scenes(const QJsonObject& O, const std::string& Path,
                                       std::vector<std::unique_ptr<TExperimentWorld>>& Worlds);
  // The "circuit" variable: each circuit file read once.
  static TExperiment::TVariable Circuits(const QJsonObject& O, const std::string& Path);

  // What every reader of the file shares: the fault at Path, a number where one must stand, and
  // a number as the messages print it.
  [[noreturn]] static void Fail(const std::string& Path, const std::string& Why);
  static double NumberAt(const QJsonValue& Value, const std::string& Path);
  static std::string Num(double X);
};
