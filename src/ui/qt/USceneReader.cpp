#include "ui/qt/USceneReader.h"

#include <QImage>
#include <cmath>
#include <limits>

#include "agents/UKart.h"
#include "agents/URocket.h"
#include "goals/UGoal.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UGoalCatalogue.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/USceneFile.h"
#include "world/USettingsTable.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

QString Join(const QString& Path, const QString& Key) {
  return Path.isEmpty() ? Key : Path + "." + Key;
}

QString At(const QString& Path, int32_t Index) {
  return Path + "[" + QString::number(Index) + "]";
}

// "-5 to 805"
std::string Span(double Min, double Max) {
  const auto text = [](double X) {
    return QString::number(X, 'f', QLocale::FloatingPointShortest).toStdString();
  };
  return text(Min) + " to " + text(Max);
}

std::string Range(double Min, double Max) {
  return "out of range (" + Span(Min, Max) + ")";
}

// By the exact name a scene writes: the kind's own, in capitals.
bool HasParam(const TState& State, const QString& Name) {
  const TStateSchema& schema = State.Schema();
  for (int32_t i = 0; i < schema.Count(); ++i)
    if (schema.Name(i) == Name.toStdString())
      return true;
  return false;
}

// What the world can hold of the parameters a body's state leaves unbounded. A body leaves the
// picture only to die and, shrinking, be removed within a minute: with these bounds no value it
// reaches on the way outgrows what the state holds (below).
// A dead body falls on outside the picture while it shrinks: pixels beyond each edge.
constexpr double PictureMargin = 100000;
// Pixels per second: a hundred times what the vehicles reach on their own.
constexpr double MaxSpeed = 10000;
// Radians per second, and radians of the heading, which grows as a body turns round and round.
constexpr double MaxTurnRate = 1000;
constexpr double MaxHeading = 1000000;
// The whole degrees of the heading, as the state keeps them (the remainder of 360).
constexpr double MaxHeadingDegrees = 359;
// Any other value: the state keeps every value in thousandths of 32 bits as well.
constexpr double LargestValue = std::numeric_limits<decltype(TParamValues::Milli)>::max() / 1000.0;

// The range a parameter without bounds of its own may take in a world of the picture's size.
std::pair<double, double> UnboundedRange(const std::string& Name, int32_t Width, int32_t Height) {
  if (Name == "POSX")
    return {-PictureMargin, Width + PictureMargin};
  if (Name == "POSY")
    return {-PictureMargin, Height + PictureMargin};
  if (Name == "VELX" || Name == "VELY")
    return {-MaxSpeed, MaxSpeed};
  if (Name == "VELROT")
    return {-MaxTurnRate, MaxTurnRate};
  if (Name == "ANGLE")
    return {-MaxHeading, MaxHeading};
  if (Name == "ANGLE2")
    return {-MaxHeadingDegrees, MaxHeadingDegrees};
  return {-LargestValue, LargestValue};
}

// Contacts a drop holds: many times the 2 to 6 it is placed with. Each is a pixel of the radius it
// is drawn with, and a drop of a million made every step take a second.
constexpr double MaxDropContacts = 100;

} // namespace

void TSceneReader::Fail(const QString& Path, const std::string& What) {
  throw EError((Path.isEmpty() ? std::string() : Path.toStdString() + ": ") + What);
}

QJsonValue TSceneReader::Member(const QJsonObject& Object, const QString& Path,
                                const QString& Key) {
  const QJsonValue value = Object.value(Key);
  if (value.isUndefined())
    Fail(Join(Path, Key), "missing");
  return value;
}

double TSceneReader::Number(const QJsonObject& Object, const QString& Path, const QString& Key,
                            double Min, double Max) {
  const QJsonValue value = Member(Object, Path, Key);
  // JSON has no infinities: Qt reads a number too large for a double as one.
  if (!value.isDouble() || !std::isfinite(value.toDouble()))
    Fail(Join(Path, Key), "not a number");
  const double x = value.toDouble();
  if (x < Min || x > Max)
    Fail(Join(Path, Key), Range(Min, Max));
  return x;
}

int32_t TSceneReader::Whole(const QJsonObject& Object, const QString& Path, const QString& Key,
                            int32_t Min, int32_t Max) {
  const double x = Number(Object, Path, Key, Min, Max);
  if (x != std::floor(x))
    Fail(Join(Path, Key), "not a whole number");
  return static_cast<int32_t>(x);
}

bool TSceneReader::Flag(const QJsonObject& Object, const QString& Path, const QString& Key) {
  const QJsonValue value = Member(Object, Path, Key);
  if (!value.isBool())
    Fail(Join(Path, Key), "not true or false");
  return value.toBool();
}

QString TSceneReader::Text(const QJsonObject& Object, const QString& Path, const QString& Key) {
  const QJsonValue value = Member(Object, Path, Key);
  if (!value.isString())
    Fail(Join(Path, Key), "not a text");
  return value.toString();
}

QJsonObject TSceneReader::Object(const QJsonObject& Object, const QString& Path,
                                 const QString& Key) {
  const QJsonValue value = Member(Object, Path, Key);
  if (!value.isObject())
    Fail(Join(Path, Key), "not an object");
  return value.toObject();
}

QJsonArray TSceneReader::Array(const QJsonObject& Object, const QString& Path, const QString& Key) {
  const QJsonValue value = Member(Object, Path, Key);
  if (!value.isArray())
    Fail(Join(Path, Key), "not a list");
  return value.toArray();
}

QJsonObject TSceneReader::ObjectAt(const QJsonArray& Array, const QString& Path, int32_t Index) {
  if (!Array.at(Index).isObject())
    Fail(At(Path, Index), "not an object");
  return Array.at(Index).toObject();
}

std::unique_ptr<TWorld> TSceneReader::World(const QJsonObject& Scene) {
  if (Scene.value("format") != QJsonValue("kartsim-scene"))
    Fail("format", "not a kartsim scene (expected \"kartsim-scene\")");
  const int32_t version = Whole(Scene, "", "version", 1, std::numeric_limits<int32_t>::max());
  if (version > TSceneFile::Version)
    Fail("version", "version " + std::to_string(version) + " is newer than this program reads (" +
                        std::to_string(TSceneFile::Version) + ")");
  std::unique_ptr<TWorld> world = Circuit(Scene);
  // Whatever a scene's goals and players draw while they are made comes from the new world's
  // own stream, never from another world's.
  const TRandom::TUse use = world->UseRandom();
  Settings(*world, Scene);

  const QJsonArray teams = Array(Scene, "", "teams");
  if (teams.isEmpty())
    Fail("teams", "a scene needs at least one team");
  const QJsonArray players = Array(Scene, "", "players");
  std::vector<TPlayer*> made;
  for (int32_t t = 0; t < teams.size(); ++t) {
    const QString path = At("teams", t);
    const QJsonObject entry = ObjectAt(teams, "teams", t);
    TTeam& team = t == 0 ? world->Teams(0) : world->AddTeam();
    team.FDrawGoals = Flag(entry, path, "draw_goals");
    const QJsonArray goals = Array(entry, path, "goals");
    for (int32_t g = 0; g < goals.size(); ++g)
      team.AddGoal(Goal(ObjectAt(goals, path + ".goals", g), At(path + ".goals", g)));
  }
  for (int32_t p = 0; p < players.size(); ++p) {
    const QString path = At("players", p);
    const QJsonObject entry = ObjectAt(players, "players", p);
    const int32_t team = Whole(entry, path, "team", 0, static_cast<int32_t>(teams.size()) - 1);
    made.push_back(world->Teams(team).AddMember(Player(entry, path, *world)));
  }
  for (int32_t t = 0; t < teams.size(); ++t) {
    const QString path = At("teams", t);
    const QJsonObject entry = teams.at(t).toObject();
    TTeam& team = world->Teams(t);
    if (Member(entry, path, "chosen_player").isNull()) {
      if (team.MemberCount() > 0)
        Fail(Join(path, "chosen_player"), "a team with members must have one chosen");
      continue;
    }
    const int32_t chosen =
        Whole(entry, path, "chosen_player", 0, std::max<int32_t>(0, players.size() - 1));
    if (chosen >= static_cast<int32_t>(made.size()) || made[chosen]->FTeam != &team)
      Fail(Join(path, "chosen_player"), "not a player of this team");
    team.Select(made[chosen]);
  }
  world->SetCurrentTeam(
      Whole(Scene, "", "current_team", 0, static_cast<int32_t>(teams.size()) - 1));
  // Last: what making the players drew is not the run's.
  Run(*world, Scene);
  return world;
}

void TSceneReader::Run(TWorld& World, const QJsonObject& Scene) {
  if (!Scene.contains("run"))
    return;
  const QJsonObject run = Object(Scene, "", "run");
  TRandom::TState state{};
  if (!StreamState(Text(run, "run", "stream"), state))
    Fail("run.stream", "expected the 64 hexadecimal digits of a stream, not all zeros");
  World.Resume(state, Whole(run, "run", "step", 0, std::numeric_limits<int32_t>::max()));
}

std::unique_ptr<TWorld> TSceneReader::Circuit(const QJsonObject& Scene) {
  const QJsonObject circuit = Object(Scene, "", "circuit");
  if (circuit.contains("builtin")) {
    const QString name = Text(circuit, "circuit", "builtin");
    if (name != "default")
      Fail("circuit.builtin", "no built-in circuit is called \"" + name.toStdString() + "\"");
    return std::make_unique<TWorld>(TQtPicture::LoadDefaultCircuit(), "default");
  }
  const QByteArray text = Text(circuit, "circuit", "png").toLatin1();
  const auto decoded =
      QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded)
    Fail("circuit.png", "not base64");
  if (decoded.decoded.isEmpty())
    Fail("circuit.png", "an empty picture");
  const QImage image = QImage::fromData(decoded.decoded, "PNG");
  if (image.isNull())
    Fail("circuit.png", "not a PNG picture");
  if (image.width() < 2 || image.height() < 2)
    Fail("circuit.png", "an empty picture");
  return std::make_unique<TWorld>(std::make_unique<TQtPicture>(image), "");
}

double TSceneReader::Setting(const QJsonObject& Object, const QString& Path, const TSettingRow& Row,
                             const TSettingRange& Range) {
  const QString key = QString::fromStdString(Row.Key);
  if (Row.Flag)
    return Flag(Object, Path, key) ? 1 : 0;
  const double x = Number(Object, Path, key, Range.Min, Range.Max);
  if (Row.Whole && x != std::floor(x))
    Fail(Join(Path, key), "not a whole number");
  return x;
}

void TSceneReader::Settings(TWorld& World, const QJsonObject& Scene) {
  const QJsonObject json = Object(Scene, "", "settings");
  TWorldSettings s = World.Track().Settings();
  for (const TSettingRow& row : TSettingsTable::Rows())
    if (row.Holder == TSettingHolder::World)
      row.Set(s, Setting(json, "settings", row, row.Simulation));
  World.Track().SetSettings(s);
}

std::unique_ptr<TGoal> TSceneReader::Goal(const QJsonObject& Json, const QString& Path) {
  const QString kind = Text(Json, Path, "kind");
  if (!TGoalCatalogue::Knows(kind.toStdString()))
    Fail(Join(Path, "kind"), "unknown goal kind \"" + kind.toStdString() + "\"");
  std::unique_ptr<TGoal> goal = TGoalCatalogue::New(kind.toStdString(), 0);
  // As given, as the goal rows keep it: only the slider clamps.
  for (const TSettingRow& row : TSettingsTable::Rows())
    if (row.Holder == TSettingHolder::Goal)
      row.Set(*goal, Setting(Json, Path, row, row.HeldBy(*goal)));
  const QString mode = Text(Json, Path, "mode");
  if (mode == "competitive")
    goal->FMode = gmCompetitive;
  else if (mode == "individual")
    goal->FMode = gmIndividual;
  else if (mode == "cooperative")
    goal->FMode = gmCooperative;
  else
    Fail(Join(Path, "mode"), "expected competitive, individual or cooperative");
  goal->FSoonerBetter = Flag(Json, Path, "sooner_better");
  std::vector<TGoalField> fields = TGoalCatalogue::Fields(*goal);
  for (TGoalField& field : fields) {
    const QString key = QString::fromStdString(field.Name);
    if (field.Columns == 0) {
      field.Values = {Number(Json, Path, key, field.Min, field.Max)};
      if (field.Whole && field.Values[0] != std::floor(field.Values[0]))
        Fail(Join(Path, key), "not a whole number");
      continue;
    }
    const QJsonArray rows = Array(Json, Path, key);
    field.Values.clear();
    for (int32_t r = 0; r < rows.size(); ++r) {
      const QString rowPath = At(Join(Path, key), r);
      const QJsonArray row = rows.at(r).toArray();
      if (!rows.at(r).isArray() || row.size() != field.Columns)
        Fail(rowPath, "expected a list of " + std::to_string(field.Columns) + " numbers");
      for (int32_t c = 0; c < field.Columns; ++c) {
        const QJsonValue v = row.at(c);
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
          Fail(At(rowPath, c), "not a number");
        // A drop's row is its place and its amount (0 or less: empty).
        const bool amount = dynamic_cast<const TGoal2DSweets*>(goal.get()) != nullptr && c == 2;
        const double max = amount ? std::min(field.Max, MaxDropContacts) : field.Max;
        if (v.toDouble() < field.Min || v.toDouble() > max)
          Fail(At(rowPath, c), Range(field.Min, max));
        if (field.Whole && v.toDouble() != std::floor(v.toDouble()))
          Fail(At(rowPath, c), "not a whole number");
        field.Values.push_back(v.toDouble());
      }
    }
  }
  try {
    TGoalCatalogue::SetFields(*goal, fields);
  } catch (const EError& e) {
    Fail(Path, e.what());
  }
  return goal;
}

std::unique_ptr<TPlayer> TSceneReader::Player(const QJsonObject& Json, const QString& Path,
                                              const TWorld& World) {
  const QString kind = Text(Json, Path, "kind");
  std::unique_ptr<TPlayer2D> player;
  if (kind == "kart")
    player = TKart::New(0, 0, 0);
  else if (kind == "rocket")
    player = TRocket::New(0, 0, 0);
  else
    Fail(Join(Path, "kind"), "unknown player kind \"" + kind.toStdString() + "\"");

  const QJsonObject values = Object(Json, Path, "state");
  const QJsonObject reset = Object(Json, Path, "reset");
  const QJsonObject limits = Json.contains("limits") ? Object(Json, Path, "limits") : QJsonObject();
  const QJsonObject sensitivity =
      Json.contains("sensitivity") ? Object(Json, Path, "sensitivity") : QJsonObject();
  const QJsonObject clear =
      Json.contains("clear_pose") ? Object(Json, Path, "clear_pose") : QJsonObject();
  TState& state = player->RealState();
  const std::pair<const QJsonObject*, const char*> given[] = {{&values, "state"},
                                                              {&reset, "reset"},
                                                              {&limits, "limits"},
                                                              {&sensitivity, "sensitivity"},
                                                              {&clear, "clear_pose"}};
  for (const auto& [object, key] : given)
    for (const QString& name : object->keys())
      if (!HasParam(state, name))
        Fail(Join(Join(Path, key), name), "no such parameter of a " + kind.toStdString());
  // The range each value may take: the parameter's own bounds, or what the world can hold of it.
  std::vector<std::pair<double, double>> ranges;
  for (int32_t i = 0; i < state.ParamCount(); ++i) {
    const TParamValues& p = state.Param(i);
    ranges.push_back(p.MaxValue > p.MinValue ? std::pair(p.MinValue, p.MaxValue)
                                             : UnboundedRange(state.ParamName(i), World.Circuit().Width(),
                                                              World.Circuit().Height()));
  }
  for (int32_t i = 0; i < state.ParamCount(); ++i) {
    TParamValues& p = state.Param(i);
    const QString name = QString::fromStdString(state.ParamName(i));
    const auto [least, largest] = ranges[i];
    if (limits.contains(name)) {
      const QString at = Join(Join(Path, "limits"), name);
      const QJsonArray bounds = limits.value(name).toArray();
      if (!limits.value(name).isArray() || bounds.size() != 2 || !bounds.at(0).isDouble() ||
          !bounds.at(1).isDouble() || !std::isfinite(bounds.at(0).toDouble()) ||
          !std::isfinite(bounds.at(1).toDouble()))
        Fail(at, "expected a list of the least and the largest value");
      // Within the parameter's own range, and bounds indeed: a largest value at or below the
      // least would leave it unbounded.
      const double lo = bounds.at(0).toDouble(), hi = bounds.at(1).toDouble();
      if (lo < least || hi > largest || !(hi > lo))
        Fail(at, "expected the least and the largest value within " + Span(least, largest) +
                     ", the largest above the least");
      p.MinValue = lo;
      p.MaxValue = hi;
    }
    const bool bounded = p.MaxValue > p.MinValue;
    p.Value = Number(reset, Join(Path, "reset"), name, bounded ? p.MinValue : least,
                     bounded ? p.MaxValue : largest);
  }
  // The reset values become what "Reset" returns to; then the state as it stood.
  state.ResetStartValues();
  for (int32_t i = 0; i < state.ParamCount(); ++i) {
    TParamValues& p = state.Param(i);
    const bool bounded = p.MaxValue > p.MinValue;
    p.Value =
        Number(values, Join(Path, "state"), QString::fromStdString(state.ParamName(i)),
               bounded ? p.MinValue : ranges[i].first, bounded ? p.MaxValue : ranges[i].second);
    p.StartValue = p.Value;
  }
  for (int32_t i = 0; i < state.ParamCount(); ++i) {
    TParamValues& p = state.Param(i);
    const QString name = QString::fromStdString(state.ParamName(i));
    if (sensitivity.contains(name))
      p.Sensitivity = Number(sensitivity, Join(Path, "sensitivity"), name, 0, 1);
    if (clear.contains(name))
      p.SavedValue =
          Number(clear, Join(Path, "clear_pose"), name, ranges[i].first, ranges[i].second);
  }
  player->SetPosX(player->PosX()); // the outline belongs to the old pose

  TPlayerSettings s = player->Settings();
  const QString color = Text(Json, Path, "color");
  bool ok = color.size() == 7 && color.startsWith('#');
  const uint32_t rgb = ok ? color.mid(1).toUInt(&ok, 16) : 0;
  if (!ok)
    Fail(Join(Path, "color"), "expected a colour written #rrggbb");
  s.FColor = static_cast<int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
  // In the table's order, each within what those before it leave (a grid size within its
  // bounds). The size was read with the state.
  for (const TSettingRow& row : TSettingsTable::Rows())
    if (row.Holder == TSettingHolder::Player)
      row.Set(s, Setting(Json, Path, row, row.HeldBy(s)));
  player->SetSettings(s);
  player->SetGridSize(s.FGridSize);

  while (player->GoalCount() > 0)
    player->DeleteGoal(0);
  const QJsonArray goals = Array(Json, Path, "goals");
  for (int32_t g = 0; g < goals.size(); ++g)
    player->AddGoal(Goal(ObjectAt(goals, Join(Path, "goals"), g), At(Join(Path, "goals"), g)));
  return player;
}

bool TSceneReader::StreamState(const QString& Text, TRandom::TState& State) {
  bool ok = Text.size() == 64;
  for (int32_t i = 0; ok && i < 4; ++i)
    State[i] = Text.mid(16 * i, 16).toULongLong(&ok, 16);
  return ok && State != TRandom::TState{};
}
