#pragma once

#include <QJsonObject>

class TGoal;
class TPlayer;
class TWorld;

// The JSON of a scene, from a world (see TSceneFile for what it holds).
class TSceneWriter {
public:
  // WithRun: the run's block whether or not the world has run (the start of a replay).
  static QJsonObject Scene(const TWorld& World, bool WithRun = false);

private:
  static QJsonObject Circuit(const TWorld& World);
  static QJsonObject Settings(const TWorld& World);
  // The stream as 64 hexadecimal digits, its four words in order, and the steps done.
  static QJsonObject Run(const TWorld& World);
  static QJsonObject Goal(const TGoal& Goal);
  static QJsonObject Player(const TPlayer& Player, int32_t Team);
};
