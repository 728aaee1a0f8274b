#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <sys/stat.h>

#include "agents/UKart.h"
#include "agents/URocket.h"
#include "goals/UGoal.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UGoalCatalogue.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/USceneFile.h"
#include "world/URoster.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

// Every goal kind, two teams, both vehicles, an embedded circuit and values that no slider gives.
std::unique_ptr<TWorld> HandBuiltWorld() {
  auto world = std::make_unique<TWorld>(TQtPicture::LoadDefaultCircuit(), "", 7);
  const TRandom::TUse use = world->UseRandom();
  TWorldSettings s = world->Track().Settings();
  s.FFutureMs = 4500;
  s.FFriction = 0.1 + 0.05; // not the shortest decimal of itself
  world->Track().SetSettings(s);
  TRoster roster(world->Track());
  roster.AddPlayer(TRoster::pkRocket);
  roster.AddPlayerAhead(TRoster::pkKart);
  TTeam& first = world->CurrentTeam();
  for (const std::string& kind : TGoalCatalogue::Names()) {
    std::unique_ptr<TGoal> goal = TGoalCatalogue::NewOnTrack(kind, 0.7, world->Track());
    goal->FMode = gmCooperative;
    goal->FSoonerBetter = true;
    first.AddGoal(std::move(goal));
  }
  world->AddTeam();
  roster.AddPlayer(TRoster::pkKart)->SetAILevel(3);
  world->CurrentTeam().Members(0)->AddGoal(TGoalCatalogue::New("follow-mouse", 2));
  world->SetCurrentTeam(0);
  return world;
}

std::string DecodeError(const QByteArray& Bytes) {
  try {
    TSceneFile::Decode(Bytes, "bad.kartsim.json");
  } catch (const EError& e) {
    return e.what();
  }
  return "opened";
}

QByteArray Edited(const QByteArray& Scene, const std::function<void(QJsonObject&)>& Edit) {
  QJsonObject json = QJsonDocument::fromJson(Scene).object();
  Edit(json);
  return QJsonDocument(json).toJson();
}

// The scene with one value of its first player replaced; Object names the object it lies in
// ("state"), empty for the player itself.
QByteArray EditedPlayer(const QByteArray& Scene, const QString& Object, const QString& Key,
                        double Value) {
  return Edited(Scene, [&](QJsonObject& j) {
    QJsonArray players = j["players"].toArray();
    QJsonObject p = players[0].toObject();
    if (Object.isEmpty()) {
      p[Key] = Value;
    } else {
      QJsonObject o = p[Object].toObject();
      o[Key] = Value;
      p[Object] = o;
    }
    players[0] = p;
    j["players"] = players;
  });
}

std::string Csv(TWorld& World, int32_t Steps) {
  std::string rows;
  World.Track().SetThreads(1);
  World.Track().SetFixedFutures(30);
  for (int32_t step = 0; step < Steps; ++step) {
    World.Step(100);
    for (int32_t i = 0; i < World.Track().PlayerCount(); ++i) {
      const TPlayer2D& p = World.Track().Player2D(i);
      rows += std::to_string(p.PosX()) + "," + std::to_string(p.PosY()) + "," +
              std::to_string(p.Energy()) + "," + std::to_string(p.Health()) + "\n";
    }
  }
  for (int32_t g = 0; g < World.CurrentTeam().GoalCount(); ++g)
    if (auto* drops = dynamic_cast<TGoal2DSweets*>(World.CurrentTeam().Goals(g)))
      rows += "drops " + std::to_string(drops->FConsumedUnits) + "\n";
  return rows;
}

} // namespace

TEST(SceneFile, EveryScenarioAndAHandBuiltWorldReadBackToTheSameBytes) {
  for (const QString& name : TSceneFile::ScenarioNames()) {
    const std::unique_ptr<TWorld> world = TSceneFile::OpenScenario(name.toStdString());
    const QByteArray saved = TSceneFile::Encode(*world);
    QFile resource(":/kartsim/scenes/" + name + ".kartsim.json");
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved, resource.readAll()) << name.toStdString();
  }
  const std::unique_ptr<TWorld> world = HandBuiltWorld();
  const QByteArray saved = TSceneFile::Encode(*world);
  const std::unique_ptr<TWorld> opened = TSceneFile::Decode(saved, "hand");
  EXPECT_EQ(TSceneFile::Encode(*opened), saved);
  EXPECT_EQ(opened->TeamCount(), 2);
  EXPECT_EQ(opened->Track().Settings().FFriction, 0.1 + 0.05);
  EXPECT_EQ(opened->Track().Settings().FFutureMs, 4500);
  EXPECT_EQ(opened->Teams(0).GoalCount(), static_cast<int32_t>(TGoalCatalogue::Names().size()));
  EXPECT_EQ(opened->Teams(1).Members(0)->AILevel(), 3);
  EXPECT_TRUE(opened->Teams(0).Members(1)->IsKart());
  EXPECT_TRUE(QJsonDocument::fromJson(saved).object()["circuit"].toObject().contains("png"));
}

TEST(SceneFile, AnOpenedWorldRunsAsTheOneItWasSavedFrom) {
  // Drops and a storage box, both vehicles, one thread, a fixed number of futures.
  const std::unique_ptr<TWorld> original = TSceneFile::OpenScenario("drops");
  const std::unique_ptr<TWorld> opened = TSceneFile::Decode(TSceneFile::Encode(*original), "s");
  original->Reseed(11);
  opened->Reseed(11);
  const std::string a = Csv(*original, 20), b = Csv(*opened, 20);
  EXPECT_EQ(a, b);
  EXPECT_NE(a.find("drops"), std::string::npos);
}

TEST(SceneFile, ABadSceneNamesTheFileAndWhereAndOpensNothing) {
  const QByteArray good = TSceneFile::Encode(*TSceneFile::OpenScenario("drops"));
  const std::string file = "Cannot open the scene \"bad.kartsim.json\": ";
  const std::pair<QByteArray, std::string> cases[] = {
      {"{\"format\": ", "not JSON"},
      {"[1, 2]", "not a kartsim scene"},
      {Edited(good, [](QJsonObject& j) { j["format"] = "kartsim-world"; }), "format: not a"},
      {Edited(good, [](QJsonObject& j) { j["version"] = 3; }), "version: version 3 is newer"},
      {Edited(good,
              [](QJsonObject& j) {
                j["run"] = QJsonObject{{"stream", "0"}, {"step", 4}};
              }),
       "run.stream: expected the 64 hexadecimal digits"},
      {Edited(good,
              [](QJsonObject& j) {
                j["run"] = QJsonObject{{"stream", QString(64, '7')}, {"step", -1}};
              }),
       "run.step: out of range"},
      {Edited(good, [](QJsonObject& j) { j.remove("settings"); }), "settings: missing"},
      {Edited(good,
              [](QJsonObject& j) {
                QJsonObject s = j["settings"].toObject();
                s["future_ms"] = 60000;
                j["settings"] = s;
              }),
       "settings.future_ms: out of range (1000 to 20000)"},
      // What a player holds: refused, never clamped.
      {EditedPlayer(good, "state", "SIZE", 40), "players[0].state.SIZE: out of range (3 to 25)"},
      {EditedPlayer(good, "", "grid_size", 25), "players[0].grid_size: out of range (2 to 20)"},
      {EditedPlayer(good, "", "ai_level", 9), "players[0].ai_level: out of range (1 to 8)"},
      {Edited(good,
              [](QJsonObject& j) {
                QJsonArray players = j["players"].toArray();
                QJsonObject p = players[2].toObject(), state = p["state"].toObject();
                state["POSX"] = "far";
                p["state"] = state;
                players[2] = p;
                j["players"] = players;
              }),
       "players[2].state.POSX: not a number"},
      {Edited(good,
              [](QJsonObject& j) {
                QJsonArray players = j["players"].toArray();
                QJsonObject p = players[0].toObject();
                p["kind"] = "boat";
                players[0] = p;
                j["players"] = players;
              }),
       "players[0].kind: unknown player kind \"boat\""},
      {Edited(good,
              [](QJsonObject& j) {
                QJsonArray teams = j["teams"].toArray();
                QJsonObject t = teams[0].toObject();
                QJsonArray goals = t["goals"].toArray();
                QJsonObject g = goals[0].toObject();
                g["kind"] = "fly";
                goals[0] = g;
                t["goals"] = goals;
                teams[0] = t;
                j["teams"] = teams;
              }),
       "teams[0].goals[0].kind: unknown goal kind \"fly\""},
      {Edited(good,
              [](QJsonObject& j) {
                j["circuit"] = QJsonObject{{"png", "@@@"}};
              }),
       "circuit.png: not base64"},
      {Edited(good,
              [](QJsonObject& j) {
                j["circuit"] = QJsonObject{{"png", ""}};
              }),
       "circuit.png: an empty picture"},
      {Edited(good,
              [](QJsonObject& j) {
                j["circuit"] = QJsonObject{{"png", "aGVsbG8="}};
              }),
       "circuit.png: not a PNG picture"},
  };
  for (const auto& [bytes, where] : cases) {
    const std::string error = DecodeError(bytes);
    EXPECT_EQ(error.rfind(file, 0), 0u) << error;
    EXPECT_NE(error.find(where), std::string::npos) << error;
  }
}

TEST(SceneFile, ValuesTheWorldCannotHoldAreRefusedWithTheirPlace) {
  const QByteArray kart = TSceneFile::Encode(*TSceneFile::OpenScenario("kart"));
  // Player 0's Object (state, reset, limits, clear_pose) with Key set to Value.
  const auto with = [&](const char* Object, const char* Key, const QJsonValue& Value) {
    return Edited(kart, [&](QJsonObject& j) {
      QJsonArray players = j["players"].toArray();
      QJsonObject p = players[0].toObject(), o = p[Object].toObject();
      o[Key] = Value;
      p[Object] = o;
      players[0] = p;
      j["players"] = players;
    });
  };
  const std::pair<QByteArray, std::string> cases[] = {
      {with("state", "POSX", 1e20), "players[0].state.POSX: out of range (-100000 to 100800)"},
      {with("state", "ANGLE", 1e20), "players[0].state.ANGLE: out of range"},
      {with("state", "VELX", -1e20), "players[0].state.VELX: out of range"},
      {with("reset", "VELROT", 1e20), "players[0].reset.VELROT: out of range"},
      {with("clear_pose", "POSY", 1e300), "players[0].clear_pose.POSY: out of range"},
      {with("limits", "ENERGY", QJsonArray{0, 1e300}),
       "players[0].limits.ENERGY: expected the least and the largest value within 0 to 100"},
      {with("limits", "SIZE", QJsonArray{10, 5}), "players[0].limits.SIZE: expected"},
      {Edited(TSceneFile::Encode(*TSceneFile::OpenScenario("drops")),
              [](QJsonObject& j) {
                QJsonArray teams = j["teams"].toArray();
                QJsonObject t = teams[0].toObject();
                QJsonArray goals = t["goals"].toArray();
                for (qsizetype g = 0; g < goals.size(); ++g) {
                  QJsonObject goal = goals[g].toObject();
                  if (goal["kind"] != "drops")
                    continue;
                  // Every drop placed, the first holding a million contacts.
                  QJsonArray drops{QJsonArray{100, 100, 1e6}};
                  while (drops.size() < TGoal2DSweets::MaxDrops)
                    drops.append(QJsonArray{100, 100, 3});
                  goal["drops"] = drops;
                  goals[g] = goal;
                }
                t["goals"] = goals;
                teams[0] = t;
                j["teams"] = teams;
              }),
       ".drops[0][2]: out of range (-1000000 to 100)"}};
  for (const auto& [bytes, where] : cases)
    EXPECT_NE(DecodeError(bytes).find(where), std::string::npos) << DecodeError(bytes);
  // Just off the picture, and bounds within the state's own: a world can hold them.
  EXPECT_EQ(DecodeError(with("state", "POSX", -40)), "opened");
  EXPECT_EQ(DecodeError(with("limits", "ENERGY", QJsonArray{10, 90})), "opened");
}

TEST(SceneFile, EveryScenarioRunFiftyStepsIsReadBack) {
  // Whatever the simulation itself makes of a world, the reader takes back.
  for (const QString& name : TSceneFile::ScenarioNames()) {
    const std::unique_ptr<TWorld> world = TSceneFile::OpenScenario(name.toStdString());
    world->Reseed(3);
    Csv(*world, 50);
    const QByteArray saved = TSceneFile::Encode(*world);
    ASSERT_EQ(DecodeError(saved), "opened") << name.toStdString();
    EXPECT_EQ(TSceneFile::Encode(*TSceneFile::Decode(saved, "s")), saved) << name.toStdString();
  }
}

TEST(SceneFile, FoldersFifosDevicesAndHugeFilesAreRefusedUnread) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath("pipe.kartsim.json");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString huge = dir.filePath("huge.kartsim.json");
  {
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(TSceneFile::MaxBytes + 1));
  }
  const std::pair<QString, std::string> cases[] = {{dir.path(), "it is a folder"},
                                                   {fifo, "not a regular file"},
                                                   {"/dev/zero", "not a regular file"},
                                                   {huge, "larger than 64 MB"},
                                                   {dir.filePath("none"), "does not exist"}};
  for (const auto& [name, why] : cases) {
    try {
      TSceneFile::Open(name);
      ADD_FAILURE() << name.toStdString();
    } catch (const EError& e) {
      EXPECT_NE(std::string(e.what()).find(name.toStdString()), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
    }
  }
}

TEST(SceneFile, AWorldSavedMidRunGoesOnAsTheOneItWasSavedFrom) {
  // After some steps the players have adapted their pushes (AI level 8) and their grids, and
  // know their last pose clear of the walls: all of it goes into the scene.
  const std::unique_ptr<TWorld> original = TSceneFile::OpenScenario("drops");
  original->Reseed(5);
  Csv(*original, 8);
  const std::unique_ptr<TWorld> opened = TSceneFile::Decode(TSceneFile::Encode(*original), "s");
  original->Reseed(12);
  opened->Reseed(12);
  EXPECT_EQ(Csv(*original, 12), Csv(*opened, 12));
}
