#include <QCheckBox>
#include <QFile>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <sstream>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "goals/UGoalCatalogue.h"
#include "goals/UTeam.h"
#include "ui/qt/USceneFile.h"
#include "ui/window/UKartsimApp.h"
#include "ui_UFormTest2D.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"
#include "world/UWorldDefaults.h"

using TWindowScene = TWindowTest;

TEST_F(TWindowScene, TheFormsStartValuesAreTheWorldsDefaults) {
  // What the form shows once it has started, and the designed ranges and check boxes.
  const Ui::TFormTest2D& ui = Form->Controls();
  const TWorldSettings d = TWorldDefaults::Settings();
  EXPECT_EQ(ui.EdSeconds->value() * 1000, d.FFutureMs);
  EXPECT_EQ(ui.EdMinFutures->value(), d.FMinFutures);
  EXPECT_EQ(ui.EdFriction->value() / 1000.0, d.FFriction);
  EXPECT_EQ(ui.EdSideFriction->value() / 100.0, d.FSideFriction);
  EXPECT_EQ(Form->Track().Settings(), d);
  Ui::TFormTest2D designed;
  QMainWindow bare;
  designed.setupUi(&bare);
  EXPECT_EQ(designed.EdCollisions->isChecked(), d.FCollisions);
  EXPECT_EQ(designed.EdEvolution->isChecked(), d.FEvolution);
  EXPECT_EQ(designed.EdAI_Level->count(), TWorldDefaults::AILevel);
  // The ranges are the settings table's, whatever the form was designed with.
  EXPECT_EQ(ui.EdSeconds->minimum(), 1);
  EXPECT_EQ(ui.EdSeconds->maximum(), 20);
  EXPECT_EQ(ui.EdMinFutures->maximum(), 2000);
  EXPECT_EQ(ui.EdFriction->maximum(), 300);
  EXPECT_EQ(ui.EdSideFriction->maximum(), 100);
  EXPECT_EQ(ui.EdSize->maximum(), 25);
}

TEST_F(TWindowScene, AWorldBuiltByClicksIsSavedAndOpenedWithItsPlayersAndGoals) {
  QTemporaryDir dir;
  const QString file = dir.filePath("built.kartsim.json");
  Click("BtnAddPlayer");
  Trigger("Addateamgoalforstoringcollecteddrops1");
  Trigger("Runfast1");
  Dialogs->SaveAnswers.push_back(file);
  Trigger("SaveSceneAs");
  ASSERT_TRUE(QFile::exists(file));
  EXPECT_EQ(Dialogs->SaveFilters.back(), "kartsim scene (*.kartsim.json)");
  EXPECT_TRUE(Form->windowTitle().startsWith("built.kartsim.json"));

  const std::unique_ptr<TWorld> opened = TSceneFile::Open(file);
  const TTeam& team = Form->CurrentTeam();
  ASSERT_EQ(opened->Track().PlayerCount(), Members());
  for (int32_t i = 0; i < Members(); ++i) {
    EXPECT_EQ(opened->Track().Player2D(i).PosX(), Member(i).PosX());
    EXPECT_EQ(opened->Track().Player2D(i).PosY(), Member(i).PosY());
    EXPECT_EQ(opened->Track().Player2D(i).IsKart(), Member(i).IsKart());
  }
  ASSERT_EQ(opened->CurrentTeam().GoalCount(), team.GoalCount());
  for (int32_t g = 0; g < team.GoalCount(); ++g)
    EXPECT_EQ(TGoalCatalogue::NameOf(*opened->CurrentTeam().Goals(g)),
              TGoalCatalogue::NameOf(*team.Goals(g)));
  EXPECT_EQ(TSceneFile::Encode(*opened), TSceneFile::Encode(Form->World()));

  // Opened again in the window: the same world, a future of 4.5 s shown as it is.
  QByteArray text;
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    text = f.readAll().replace("\"future_ms\": 5000", "\"future_ms\": 4500");
  }
  ASSERT_TRUE(WriteFile(file, text));
  Dialogs->OpenAnswers.push_back(file);
  Trigger("OpenScene");
  EXPECT_EQ(Form->Track().Settings().FFutureMs, 4500);
  EXPECT_EQ(Text("LbSeconds"), "4.5 s.");
  EXPECT_EQ(Members(), 2);
  // The panel shown again ("Reset" does so) leaves it; moving the slider sets it.
  Click("BtnReset");
  EXPECT_EQ(Form->Track().Settings().FFutureMs, 4500);
  Find<QSlider>("EdSeconds").setValue(7);
  EXPECT_EQ(Form->Track().Settings().FFutureMs, 7000);
  EXPECT_EQ(Text("LbSeconds"), "7 s.");
}

TEST_F(TWindowScene, ABadSceneIsReportedAndChangesNothing) {
  QTemporaryDir dir;
  const QString file = dir.filePath("bad.kartsim.json");
  ASSERT_TRUE(WriteFile(file, "{\"format\": \"kartsim-scene\", \"version\": 1}"));
  Click("BtnAddPlayer");
  const QByteArray before = TSceneFile::Encode(Form->World());
  // And a scene the world cannot hold, refused before it replaces anything.
  const QString far = QString::fromUtf8(TSceneFile::Encode(Form->World()))
                          .replace(QRegularExpression("\"POSX\": [-0-9.e]+"), "\"POSX\": 1e20");
  const QString farFile = dir.filePath("far.kartsim.json");
  ASSERT_TRUE(WriteFile(farFile, far.toUtf8()));
  for (const QString& name : {file, dir.path(), farFile}) {
    Dialogs->OpenAnswers.push_back(name);
    Choose("OpenScene");
    ASSERT_FALSE(Dialogs->Reports.empty());
    EXPECT_EQ(TSceneFile::Encode(Form->World()), before);
    if (name == farFile) {
      EXPECT_NE(Dialogs->Reports[0].Message.find(".POSX: out of range"), std::string::npos);
    }
    Dialogs->Reports.clear();
  }
}

TEST(KartsimApp, AnswersHelpAndVersionBeforeAnyWindowAndOpensTheWindowForTheRest) {
  std::ostringstream out;
  EXPECT_EQ(TKartsimApp::AnswerCommandLine({"--help"}, out), 0);
  EXPECT_EQ(out.str().rfind("Usage: kartsim [FILE.kartsim.json]\n", 0), 0u) << out.str();
  out.str("");
  EXPECT_EQ(TKartsimApp::AnswerCommandLine({"my.kartsim.json", "--version"}, out), 0);
  EXPECT_EQ(out.str().rfind("kartsim ", 0), 0u);
  out.str("");
  EXPECT_FALSE(TKartsimApp::AnswerCommandLine({"my.kartsim.json"}, out));
  EXPECT_EQ(out.str(), "");
}

TEST_F(TWindowScene, ASceneGivenOnTheCommandLineOpensAtStartAndABadOneIsReported) {
  QTemporaryDir dir;
  const QString good = dir.filePath("two.kartsim.json"), bad = dir.filePath("bad.kartsim.json");
  Click("BtnAddPlayer");
  Form->SaveScene(good);
  ASSERT_TRUE(WriteFile(bad, "not json"));
  TearDown();
  SetUp();
  const QByteArray start = TSceneFile::Encode(Form->World());
  Form->OpenFromCommandLine({bad});
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  EXPECT_NE(Dialogs->Reports[0].Message.find("bad.kartsim.json"), std::string::npos);
  EXPECT_EQ(TSceneFile::Encode(Form->World()), start);
  Form->OpenFromCommandLine({good});
  EXPECT_EQ(Members(), 2);
  EXPECT_TRUE(Form->windowTitle().startsWith("two.kartsim.json"));
}
