#include "ui/qt/USceneWriter.h"

#include <cmath>

#include <QBuffer>
#include <QJsonArray>

#include "agents/UKart.h"
#include "agents/URocket.h"
#include "goals/UGoal.h"
#include "goals/UGoalCatalogue.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/USceneFile.h"
#include "world/USettingsTable.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

const char* ModeName(uint8_t Mode) {
  switch (Mode) {
  case gmCompetitive:
    return "competitive";
  case gmCooperative:
    return "cooperative";
  default:
    return "individual";
  }
}

QString ColorName(int32_t Color) {
  // Packed with red in the low byte; written as the "#rrggbb" everyone reads.
  return QString::asprintf("#%02x%02x%02x", Color & 0xFF, (Color >> 8) & 0xFF,
                           (Color >> 16) & 0xFF);
}

// As the setting is: on or off, a whole number or any number.
QJsonValue Value(const TSettingRow& Row, double X) {
  if (Row.Flag)
    return X != 0;
  if (Row.Whole)
    return static_cast<qint64>(X);
  return X;
}

// A fresh player of the same kind, for the bounds it starts with.
std::unique_ptr<TPlayer> Fresh(const TPlayer& Player) {
  if (Player.IsKart())
    return TKart::New(0, 0, 0);
  if (Player.IsRocket())
    return TRocket::New(0, 0, 0);
  throw EError("A player of a kind no scene can hold.");
}

} // namespace

QJsonObject TSceneWriter::Scene(const TWorld& World) {
  QJsonObject scene;
  scene["format"] = "kartsim-scene";
  // The run's block only where there is a run to go on with: a world that never ran is the
  // version 1 scene it always was, readable by every program that reads scenes.
  const bool run = World.StepCount() > 0 || World.StreamKept();
  scene["version"] = run ? TSceneFile::Version : 1;
  scene["circuit"] = Circuit(World);
  scene["settings"] = Settings(World);
  QJsonArray teams, players;
  for (int32_t t = 0; t < World.TeamCount(); ++t) {
    const TTeam& team = World.Teams(t);
    QJsonArray goals;
    for (int32_t g = 0; g < team.GoalCount(); ++g)
      goals.append(Goal(*team.Goals(g)));
    QJsonValue chosen = QJsonValue::Null;
    for (int32_t m = 0; m < team.MemberCount(); ++m) {
      if (team.Members(m) == team.Selected())
        chosen = players.size();
      players.append(Player(*team.Members(m), t));
    }
    QJsonObject entry;
    entry["goals"] = goals;
    entry["draw_goals"] = team.FDrawGoals;
    entry["chosen_player"] = chosen;
    teams.append(entry);
  }
  scene["teams"] = teams;
  scene["current_team"] = World.CurrentTeamIndex();
  scene["players"] = players;
  if (run)
    scene["run"] = Run(World);
  return scene;
}

QJsonObject TSceneWriter::Run(const TWorld& World) {
  QJsonObject run;
  run["stream"] = StreamText(const_cast<TWorld&>(World).RandomStream().State());
  run["step"] = static_cast<qint64>(World.StepCount());
  return run;
}

QJsonObject TSceneWriter::Circuit(const TWorld& World) {
  QJsonObject circuit;
  if (!World.CircuitName().empty()) {
    circuit["builtin"] = QString::fromStdString(World.CircuitName());
    return circuit;
  }
  const auto* picture = dynamic_cast<const TQtPicture*>(&World.Circuit());
  if (picture == nullptr)
    throw EError("The circuit is not a picture that a scene can hold.");
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!picture->Image().save(&buffer, "PNG"))
    throw EError("The circuit could not be encoded as a PNG picture.");
  circuit["png"] = QString::fromLatin1(png.toBase64());
  return circuit;
}

QJsonObject TSceneWriter::Settings(const TWorld& World) {
  const TWorldSettings& s = World.Track().Settings();
  QJsonObject settings;
  for (const TSettingRow& row : TSettingsTable::Rows())
    if (row.Holder == TSettingHolder::World)
      settings[QString::fromStdString(row.Key)] = Value(row, row.Of(s));
  return settings;
}

QJsonObject TSceneWriter::Goal(const TGoal& Goal) {
  QJsonObject goal;
  goal["kind"] = QString::fromStdString(TGoalCatalogue::NameOf(Goal));
  for (const TSettingRow& row : TSettingsTable::Rows())
    if (row.Holder == TSettingHolder::Goal)
      goal[QString::fromStdString(row.Key)] = Value(row, row.Of(Goal));
  goal["mode"] = ModeName(Goal.FMode);
  goal["sooner_better"] = Goal.FSoonerBetter;
  for (const TGoalField& field : TGoalCatalogue::Fields(Goal)) {
    const QString name = QString::fromStdString(field.Name);
    if (field.Columns == 0) {
      goal[name] = field.Values.at(0);
      continue;
    }
    QJsonArray rows;
    for (size_t i = 0; i + field.Columns <= field.Values.size(); i += field.Columns) {
      QJsonArray row;
      for (int32_t c = 0; c < field.Columns; ++c)
        row.append(field.Values[i + c]);
      rows.append(row);
    }
    goal[name] = rows;
  }
  return goal;
}

QJsonObject TSceneWriter::Player(const TPlayer& Player, int32_t Team) {
  QJsonObject player;
  player["kind"] = Player.IsKart() ? "kart" : "rocket";
  player["team"] = Team;
  const std::unique_ptr<TPlayer> fresh = Fresh(Player);
  const TState& state = const_cast<TPlayer&>(Player).RealState();
  const TState& start = fresh->RealState();
  QJsonObject values, reset, limits, sensitivity, clear;
  for (int32_t i = 0; i < state.ParamCount(); ++i) {
    const TParamValues& p = state.Param(i);
    const QString name = QString::fromStdString(state.ParamName(i));
    values[name] = p.Value;
    // What "Reset" returns to: the value of the last commit, in thousandths.
    reset[name] = p.Milli / 1000.0;
    const TParamValues& q = start.Param(i);
    if (p.MinValue != q.MinValue || p.MaxValue != q.MaxValue)
      limits[name] = QJsonArray{p.MinValue, p.MaxValue};
    // What the player learnt while it ran, where it differs from a new player's: the scale of
    // its pushes (adapted at AI level 8) and the last pose it found clear of the walls.
    if (p.Sensitivity != q.Sensitivity)
      sensitivity[name] = p.Sensitivity;
    if (std::isfinite(p.SavedValue) && !(p.SavedValue == q.SavedValue))
      clear[name] = p.SavedValue;
  }
  player["state"] = values;
  player["reset"] = reset;
  if (!limits.isEmpty())
    player["limits"] = limits;
  if (!sensitivity.isEmpty())
    player["sensitivity"] = sensitivity;
  if (!clear.isEmpty())
    player["clear_pose"] = clear;
  player["color"] = ColorName(Player.Settings().FColor);
  // The size is a parameter of the state, written with it.
  for (const TSettingRow& row : TSettingsTable::Rows())
    if (row.Holder == TSettingHolder::Player)
      player[QString::fromStdString(row.Key)] = Value(row, row.Of(Player));
  QJsonArray goals;
  for (int32_t g = 0; g < Player.GoalCount(); ++g)
    goals.append(Goal(*Player.Goals(g)));
  player["goals"] = goals;
  return player;
}

QString TSceneWriter::StreamText(const TRandom::TState& State) {
  QString text;
  for (const uint64_t word : State)
    text += QString::asprintf("%016llx", static_cast<unsigned long long>(word));
  return text;
}
