#include <QAbstractButton>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QSlider>
#include <QTemporaryDir>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "ui/batch/UBatchRun.h"
#include "ui/experiment/UExperiment.h"
#include "ui/experiment/UExperimentRun.h"
#include "ui/experiment/UExperimentWorld.h"
#include "ui/qt/USceneFile.h"
#include "world/USettingsTable.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

using H = TSettingHolder;

// Where a world keeps a row: its settings, its chosen player, that player's first goal.
double Held(const TSettingRow& Row, TTrack& Track, TPlayer& Player) {
  switch (Row.Holder) {
  case H::World:
    return Row.Of(Track.Settings());
  case H::Goal:
    return Row.Of(*Player.Goals(0));
  default:
    return Row.Of(Player);
  }
}

void Hold(const TSettingRow& Row, TTrack& Track, TPlayer& Player, double X) {
  if (Row.Holder == H::World) {
    TWorldSettings settings = Track.Settings();
    Row.Set(settings, X);
    Track.SetSettings(settings);
  } else if (Row.Holder == H::Goal) {
    Row.Set(*Player.Goals(0), X);
  } else {
    Row.Set(Player, X);
  }
}

// The first of the control range's ends, in Scale's unit, that the holder takes and does not
// hold already: what a reader is proven with.
double Probe(const TSettingRow& Row, double Scale, TTrack& Track, TPlayer& Player) {
  const double now = Held(Row, Track, Player);
  for (const double x : {Row.Control.Max, Row.Control.Min}) {
    if (x == now)
      continue;
    try {
      Hold(Row, Track, Player, x);
      Hold(Row, Track, Player, now);
      return x / Scale;
    } catch (const EError&) {
    }
  }
  ADD_FAILURE() << Row.Key << ": no end of the control range to prove it with";
  return now / Scale;
}

TPlayer& Chosen(TWorld& World) {
  return *World.CurrentTeam().Selected();
}

QJsonObject Experiment(const std::string& Setting, double Value) {
  return QJsonObject{
      {"format", "kartsim-experiment"},
      {"version", 1},
      {"scene", "rocket"},
      {"steps", 1},
      {"futures", 10},
      {"repetitions", 1},
      {"seed", 1},
      {"variables", QJsonArray{QJsonObject{{"setting", QString::fromStdString(Setting)},
                                           {"values", QJsonArray{Value}}}}}};
}

std::string Refusal(const QJsonObject& Json) {
  try {
    TExperiment::FromJson(Json);
  } catch (const EExperimentInput& e) {
    return e.what();
  }
  return "accepted";
}

} // namespace

using TSettingsTableTest = TWindowTest;

TEST_F(TSettingsTableTest, EveryRowReachesEachOfItsReaders) {
  for (const TSettingRow& row : TSettingsTable::Rows()) {
    SCOPED_TRACE(row.Key);
    EXPECT_TRUE(row.Simulation.Holds(row.Control)) << "the controls offer more than it holds";
    EXPECT_TRUE(row.Simulation.Holds(row.Default));

    // The scene writer writes it and the reader reads it back.
    {
      const std::unique_ptr<TWorld> world = TSceneFile::OpenScenario("rocket");
      TTrack& track = world->Track();
      const double x = Probe(row, 1, track, Chosen(*world));
      Hold(row, track, Chosen(*world), x);
      const std::unique_ptr<TWorld> opened =
          TSceneFile::Decode(TSceneFile::Encode(*world), "probe");
      EXPECT_EQ(Held(row, opened->Track(), Chosen(*opened)), x);
    }

    // The batch runner's option parses it, refuses what lies beyond, and applies it.
    if (const TSettingAlias* alias = row.Alias(TSettingReader::Batch)) {
      const std::string name = "--" + alias->Name;
      std::vector<std::string> args{name};
      double expected = alias->Sets;
      if (!row.Flag) {
        const std::unique_ptr<TWorld> world = TSceneFile::OpenScenario("rocket");
        const double x = Probe(row, alias->Scale, world->Track(), Chosen(*world));
        args.push_back(TSettingsTable::Text(x));
        expected = x * alias->Scale;
        try {
          TBatchOptions::Parse({name, TSettingsTable::Text(row.Offered(*alias).Max + 1)});
          ADD_FAILURE() << name << " beyond its range is accepted";
        } catch (const EBatchUsage& e) {
          EXPECT_EQ(std::string(e.what()).rfind(name + ": ", 0), 0u) << e.what();
        }
      }
      const TBatchRun run(TBatchOptions::Parse(args));
      EXPECT_EQ(Held(row, run.World().Track(), Chosen(run.World())), expected);
    }

    // An experiment's variable takes the control range, refuses what lies beyond, and is set.
    for (const TSettingAlias& alias : row.Aliases) {
      if (alias.Reader != TSettingReader::Experiment)
        continue;
      const bool goal = row.Holder == H::Goal;
      const std::string name = alias.Name + (goal ? "speed" : "");
      const TSettingRange offered = row.Offered(alias);
      const TExperiment::TRange range = TExperiment::RangeOf(name, "$");
      EXPECT_EQ(range.Min, offered.Min);
      EXPECT_EQ(range.Max, offered.Max);
      EXPECT_EQ(Refusal(Experiment(name, offered.Max)), "accepted");
      EXPECT_NE(Refusal(Experiment(name, offered.Max + 1))
                    .find("$.variables[0].values[0]: \"" + name + "\" takes"),
                std::string::npos);
      const std::unique_ptr<TExperimentWorld> world = TExperimentWorld::Open("rocket", 1);
      TPlayer& player = *world->Team().Members(0);
      const double x = goal ? offered.Max : Probe(row, alias.Scale, world->Track(), player);
      TExperimentRun::Apply({.Scene = "rocket", .Values = {{name, x}}}, *world);
      if (!goal) {
        EXPECT_EQ(Held(row, world->Track(), player), x * alias.Scale);
        continue;
      }
      const TGoal* set = nullptr;
      const auto find = [&](auto& Owner) {
        for (int32_t g = 0; g < Owner.GoalCount(); ++g)
          if (TExperimentWorld::IsGoalOfKind(*Owner.Goals(g), "speed"))
            set = Owner.Goals(g);
      };
      if (name.rfind("team_goal.", 0) == 0)
        find(world->Team());
      else
        find(player);
      ASSERT_NE(set, nullptr);
      EXPECT_EQ(row.Of(*set), x * alias.Scale);
    }

    // The window's control offers the control range in the table's steps, and sets it.
    if (row.Form == TSettingControl::None)
      continue;
    TPlayer& player = *Form->SelectedPlayer();
    QWidget* control = nullptr;
    for (QWidget* w : Form->findChildren<QWidget*>())
      if (w->property("setting").toString().toStdString() == row.Key &&
          (row.Holder != H::Goal || w->property("tag").toInt() == 1))
        control = w;
    ASSERT_NE(control, nullptr) << "no control shows it";
    if (auto* slider = qobject_cast<QSlider*>(control)) {
      EXPECT_EQ(row.AtPosition(slider->minimum()), row.Control.Min);
      EXPECT_EQ(row.AtPosition(slider->maximum()), row.Control.Max);
      slider->setValue(slider->maximum() - 1);
      EXPECT_DOUBLE_EQ(Held(row, Form->Track(), player), row.AtPosition(slider->maximum() - 1));
    } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
      const bool was = Held(row, Form->Track(), player) != 0;
      Click(box->objectName().toLatin1().constData());
      EXPECT_EQ(Held(row, Form->Track(), player), was ? 0 : 1);
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      EXPECT_EQ(list->count(), row.Control.Max - row.Control.Min + 1);
      const int32_t index = Held(row, Form->Track(), player) == row.Control.Min ? 1 : 0;
      list->setCurrentIndex(index);
      emit list->activated(index);
      EXPECT_EQ(Held(row, Form->Track(), player), row.Control.Min + index);
    }
  }
}

TEST_F(TSettingsTableTest, AValueNoPlayerOfTheSceneHoldsIsRefusedWithItsPath) {
  // The size slider and the experiments once offered 40 where a player holds 25 at most.
  EXPECT_EQ(Refusal(Experiment("size", 40)),
            "$.variables[0].values[0]: \"size\" takes values from 4 to 25, got 40");
  // A scene's player may hold less than a new one: its own bounds refuse the rest.
  const std::unique_ptr<TWorld> world = TSceneFile::OpenScenario("rocket");
  Chosen(*world).SetGridBounds(2, 12);
  QTemporaryDir dir;
  const QString file = dir.filePath("narrow.kartsim.json");
  TSceneFile::Save(*world, file);
  QJsonObject json = Experiment("grid_size", 15);
  json["scene"] = file;
  EXPECT_EQ(Refusal(json), "$.variables[0].values[0]: \"grid_size\" takes values from 2 to 12 "
                           "for player 0 of the scene, got 15");
  // What a run is given holds: the automatic grid does not replace it.
  const std::unique_ptr<TExperimentWorld> run =
      TExperimentWorld::Open(file.toStdString(), 1);
  TExperimentRun::Apply({.Scene = file.toStdString(), .Values = {{"grid_size", 12}}}, *run);
  EXPECT_EQ(run->Team().Members(0)->GridSize(), 12);
  EXPECT_FALSE(run->Team().Members(0)->AutoGrid());
}
