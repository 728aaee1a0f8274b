#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <memory>
#include <string>

#include "platform/URandom.h"

class TGoal;
class TPlayer;
class TWorld;
struct TSettingRange;
struct TSettingRow;

// A world from the JSON of a scene (see TSceneFile). Every value is checked where it is read;
// the first one that is missing, of the wrong type, not finite or out of range raises EError
// "PATH: WHAT" with its JSON path (players[2].state.PosX: not a number). The world is built
// apart and handed over only when whole, so that a bad scene changes nothing.
class TSceneReader {
public:
  static std::unique_ptr<TWorld> World(const QJsonObject& Scene);
  // A stream's state from its 64 hexadecimal digits; false when Text is not one.
  static bool StreamState(const QString& Text, TRandom::TState& State);

private:
  [[noreturn]] static void Fail(const QString& Path, const std::string& What);
  static QJsonValue Member(const QJsonObject& Object, const QString& Path, const QString& Key);
  static double Number(const QJsonObject& Object, const QString& Path, const QString& Key,
                       double Min, double Max);
  static int32_t Whole(const QJsonObject& Object, const QString& Path, const QString& Key,
                       int32_t Min, int32_t Max);
  static bool Flag(const QJsonObject& Object, const QString& Path, const QString& Key);
  // A setting of the table by its key, within Range; a flag reads as 0 or 1.
  static double Setting(const QJsonObject& Object, const QString& Path, const TSettingRow& Row,
                        const TSettingRange& Range);
  static QString Text(const QJsonObject& Object, const QString& Path, const QString& Key);
  static QJsonObject Object(const QJsonObject& Object, const QString& Path, const QString& Key);
  static QJsonArray Array(const QJsonObject& Object, const QString& Path, const QString& Key);
  static QJsonObject ObjectAt(const QJsonArray& Array, const QString& Path, int32_t Index);

  static std::unique_ptr<TWorld> Circuit(const QJsonObject& Scene);
  static void Settings(TWorld& World, const QJsonObject& Scene);
  // The stream and the steps of a run, when the scene keeps them.
  static void Run(TWorld& World, const QJsonObject& Scene);
  static std::unique_ptr<TGoal> Goal(const QJsonObject& Goal, const QString& Path);
  // Values are checked against what the world can hold: a body's unbounded parameters (its
  // place, speeds and heading) against the picture and bounds that keep a run in range.
  static std::unique_ptr<TPlayer> Player(const QJsonObject& Player, const QString& Path,
                                         const TWorld& World);
};
