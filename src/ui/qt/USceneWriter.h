#pragma once

#include <QJsonObject>
#include <QString>

#include "platform/URandom.h"

class TGoal;
class TPlayer;
class TWorld;

// The JSON of a scene, from a world (see TSceneFile for what it holds).
class TSceneWriter {
public:
  static QJsonObject Scene(const TWorld& World);
  // The stream's state as 64 hexadecimal digits, its four words in order.
  static QString StreamText(const TRandom::TState& State);

private:
  static QJsonObject Circuit(const TWorld& World);
  static QJsonObject Settings(const TWorld& World);
  // The stream (StreamText) and the steps done.
  static QJsonObject Run(const TWorld& World);
  static QJsonObject Goal(const TGoal& Goal);
  static QJsonObject Player(const TPlayer& Player, int32_t Team);
};
