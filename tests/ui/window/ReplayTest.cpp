#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <set>
#include <sstream>

#include "WindowKit.h"
#include "goals/UTeam.h"
#include "ui/batch/UBatchRun.h"
#include "ui/qt/UReplayFile.h"
#include "ui/qt/USceneFile.h"
#include "ui/window/UReportDialog.h"
#include "ui/window/URunLoop.h"
#include "world/UWorld.h"

using TWindowReplay = TWindowTest;

namespace {

QByteArray ReadAll(const QString& Name) {
  QFile file(Name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// kartsim-batch --replay FILE [--save-scene SCENE], in this process; the exit status.
int RunReplay(const QString& Replay, const QString& Scene, std::string& Err) {
  TBatchOptions options;
  options.ReplayFile = Replay.toStdString();
  options.SaveSceneFile = Scene.toStdString();
  options.Threads = 3;
  std::ostringstream out, err;
  const int status = TBatchRun::Execute(options, out, err, nullptr);
  Err = err.str();
  return status;
}

} // namespace

TEST_F(TWindowReplay, ARunDrivenInTheWindowEndsHeadlessInTheSameWorld) {
  QTemporaryDir dir;
  const QString drops = dir.filePath("drops.kartsim.json");
  TSceneFile::Save(*TSceneFile::OpenScenario("drops"), drops);
  Slide("EdSeconds", 1);
  Click("BtnAddPlayer");
  int32_t pass = 0;
  // Each change made while a step runs is applied after it, before the next.
  RunWhile([&] {
    switch (++pass) {
    case 1:
      Click("BtnAddPlayer");
      Slide("EdFriction", 40);
      break;
    case 2:
      Trigger("Runfast1");
      Slide("EdSize", 9);
      break;
    case 3: // another world in the middle of the run: the replay starts from it
      Dialogs->OpenAnswers.push_back(drops);
      Trigger("OpenScene");
      break;
    case 4:
      Click("BtnAddPlayer");
      Slide("EdMinFutures", 30);
      Trigger("FollowMouse");
      break;
    case 5:
      Click("SpeedButton1");
      Slide("EdSideFriction", 50);
      break;
    default:
      break;
    }
    return pass < 8;
  });
  ASSERT_TRUE(Dialogs->Reports.empty()) << Dialogs->Reports[0].Message;
  const QString replay = dir.filePath("run.kartsim-replay.json");
  const QString window = dir.filePath("window.kartsim.json");
  Dialogs->SaveAnswers.push_back(replay);
  Trigger("SaveReplay");
  EXPECT_EQ(Dialogs->SaveFilters.back(), "kartsim replay (*.kartsim-replay.json)");
  Dialogs->SaveAnswers.push_back(window);
  Trigger("SaveSceneAs");
  const TReplay& recorded = Form->RunLoop().Replay();
  EXPECT_GE(recorded.Steps.size(), 3u);
  std::set<std::string> kinds;
  for (const TReplay::TStep& step : recorded.Steps)
    for (const TWorldCommand& command : step.Commands)
      kinds.insert(command.Kind);
  // From the opened world on: what was clicked, moved and chosen, and the pointer once a goal
  // follows it.
  EXPECT_EQ(kinds, (std::set<std::string>{"add_player", "add_team_goal", "move", "mouse",
                                          "world_setting"}));

  const QString headless = dir.filePath("headless.kartsim.json");
  std::string err;
  ASSERT_EQ(RunReplay(replay, headless, err), 0) << err;
  EXPECT_EQ(ReadAll(headless), ReadAll(window));

  // A program that computes a step otherwise parts from the record, naming the step.
  TReplayFile::TOpened opened = TReplayFile::OpenBytes(replay.toStdString());
  opened.Replay.Steps[1].Hash = "00000000";
  TReplayFile::Save(opened.Replay, replay);
  EXPECT_EQ(RunReplay(replay, "", err), 1);
  EXPECT_NE(
      err.find("parts from its record at step " + std::to_string(opened.World->StepCount() + 2)),
      std::string::npos)
      << err;
}

TEST_F(TWindowReplay, TheReplayOfAnErrorReportEndsInTheSameError) {
  QTemporaryDir dir;
  const QString black = dir.filePath("black.bmp");
  ASSERT_TRUE(WriteFile(black, HandMadeBmp(8, 800, 600, [](int32_t, int32_t) { return true; })));
  RunPasses(2);
  Dialogs->OpenAnswers.push_back(black);
  Trigger("Loadcircuit800x600BMP1");
  Click("BtnAddPlayer");
  RunPasses(2);
  Choose("Addateamgoalforstoringcollecteddrops1");
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  const TErrorReport& report = Dialogs->Reports[0];
  ASSERT_FALSE(report.Replay.isEmpty());

  TReportDialog dialog(report, *Dialogs);
  const QString replay = dir.filePath("error.kartsim-replay.json");
  Dialogs->SaveAnswers.push_back(replay);
  dialog.findChild<QPushButton*>("BtnSaveReplay")->click();
  std::string err;
  EXPECT_EQ(RunReplay(replay, "", err), 1);
  EXPECT_EQ(err, "kartsim-batch: " + report.Message + "\n");
}
