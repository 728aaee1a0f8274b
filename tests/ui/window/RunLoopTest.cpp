#include <QComboBox>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "goals/UGoalHealth.h"
#include "goals/UTeam.h"
#include "ui/window/URunLoop.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

class TWindowRun : public TWindowTest {
protected:
  void SetUp() override {
    TWindowTest::SetUp();
    // Short futures: the passes stay quick, the loop is the same.
    Slide("EdSeconds", 1);
  }
  // Frame saving switched on with the given file name.
  void SaveFramesAs(const QString& Name) {
    Dialogs->SaveAnswers.push_back(Name);
    Trigger("Saveimagestofolder");
    ASSERT_TRUE(Find<QAction>("Saveimagestofolder").isChecked());
  }
  bool Exists(const QString& Name) const { return QFile::exists(Dir.filePath(Name)); }

  QTemporaryDir Dir;
};

} // namespace

TEST_F(TWindowRun, PauseEndsTheLoopAfterThePassInProgressItsFrameIncluded) {
  SaveFramesAs(Dir.filePath("run"));
  RunPasses(1);
  EXPECT_EQ(Form->RunLoop().PassCount(), 1);
  EXPECT_FALSE(Form->RunLoop().Running());
  EXPECT_FALSE(Find<QPushButton>("StartBtn").isChecked());
  EXPECT_TRUE(Find<QPushButton>("PauseBtn").isChecked());
  EXPECT_TRUE(Exists("run_00001.bmp"));
  EXPECT_EQ(Form->RunLoop().FrameCounter(), 2);
  EXPECT_GT(Form->Track().LastFutureCount(), Form->Track().Settings().FMinFutures);
  EXPECT_TRUE(Dialogs->Reports.empty());
}

TEST_F(TWindowRun, FramesAreNumberedAcrossRunsUntilReset) {
  SaveFramesAs(Dir.filePath("frame.bmp"));
  RunPasses(2);
  EXPECT_TRUE(Exists("frame.bmp_00001.bmp"));
  EXPECT_TRUE(Exists("frame.bmp_00002.bmp"));
  Click("BtnReset");
  QFile::remove(Dir.filePath("frame.bmp_00001.bmp"));
  RunPasses(1);
  EXPECT_TRUE(Exists("frame.bmp_00001.bmp"));
  EXPECT_EQ(Form->RunLoop().FrameCounter(), 2);

  // Off, then on again without "Reset": nothing is saved meanwhile and the numbering goes on.
  Trigger("Saveimagestofolder");
  RunPasses(1);
  EXPECT_EQ(Form->RunLoop().FrameCounter(), 2);
  SaveFramesAs(Dir.filePath("other"));
  RunPasses(1);
  EXPECT_TRUE(Exists("other_00002.bmp"));

  // A cancelled dialog switches saving off again.
  Trigger("Saveimagestofolder");
  Trigger("Saveimagestofolder");
  EXPECT_FALSE(Find<QAction>("Saveimagestofolder").isChecked());
}

TEST_F(TWindowRun, ChangesClickedInsideAStepAreAppliedAfterIt) {
  int32_t membersInside = -1;
  bool runningInside = false;
  RunWhile([&] {
    // "Run" clicked again while it runs starts no second loop inside the first.
    Click("StartBtn");
    Click("BtnAddPlayer");
    Trigger("Runfast1");
    Trigger("DeleteallTeamsGoals1");
    Trigger("Keephealth1");
    membersInside = Find<QComboBox>("EdPlayerId").count();
    runningInside = Form->RunLoop().InStep();
    return false;
  });
  EXPECT_TRUE(runningInside);
  EXPECT_EQ(membersInside, 1);
  EXPECT_EQ(Form->RunLoop().PassCount(), 1);
  ASSERT_EQ(Members(), 2);
  EXPECT_TRUE(Member(1).IsKart());
  // In the order clicked: the goal added first was deleted before the last one came.
  ASSERT_EQ(Form->CurrentTeam().GoalCount(), 1);
  EXPECT_NE(dynamic_cast<TGoalHealth*>(Form->CurrentTeam().Goals(0)), nullptr);
  EXPECT_EQ(Find<QComboBox>("EdPlayerId").count(), 2);
  EXPECT_EQ(Form->SelectedPlayer(), &Member(1));
}

TEST_F(TWindowRun, TheWindowAnswersDuringALongStepAndItsChangesWaitForTheStepsEnd) {
  // Long futures, many, of five players: a step of a second or more on the simulation thread.
  for (int i = 0; i < 4; ++i)
    Click("BtnAddPlayer");
  Find<QSlider>("EdSeconds").setValue(20);
  Find<QSlider>("EdMinFutures").setValue(2000);
  int32_t delivered = 0, deliveredInStep = 0;
  QString secondsInside;
  bool runUpInStep = false;
  RunWhile([&] {
    // Events posted now are delivered while the step still runs.
    for (int i = 0; i < 5; ++i)
      QMetaObject::invokeMethod(
          Form.get(),
          [&] {
            ++delivered;
            deliveredInStep += Form->RunLoop().InStep() ? 1 : 0;
          },
          Qt::QueuedConnection);
    Find<QSlider>("EdSeconds").setValue(3);
    Click("SpeedButton3"); // ">"
    secondsInside = Text("LbSeconds");
    for (int i = 0; i < 5; ++i)
      QCoreApplication::processEvents();
    // "Pause" is answered at once; the step in progress ends as it would.
    Click("PauseBtn");
    runUpInStep = !Find<QPushButton>("StartBtn").isChecked() && Form->RunLoop().InStep();
    return true;
  });
  EXPECT_EQ(delivered, 5);
  EXPECT_EQ(deliveredInStep, 5);
  EXPECT_TRUE(runUpInStep);
  EXPECT_EQ(secondsInside, "20 s."); // the world took the new length only after the step
  EXPECT_EQ(Form->Track().Settings().FFutureMs, 3000);
  EXPECT_EQ(Text("LbSeconds"), "3 s.");
  EXPECT_EQ(Form->RunLoop().PassCount(), 1);
  EXPECT_GT(Form->SelectedPlayer()->Futures().FutureCount(), 2000);
}

TEST_F(TWindowRun, OpeningASceneDuringALongStepAbandonsItAndRunsTheScene) {
  const QString scene = Dir.filePath("two.kartsim.json");
  Click("BtnAddPlayer");
  Form->SaveScene(scene);
  Find<QSlider>("EdSeconds").setValue(20);
  Find<QSlider>("EdMinFutures").setValue(2000);
  const TWorld* before = &Form->World();
  const TWorld* inside = nullptr;
  bool opened = false;
  RunWhile([&] {
    // The scene's own first pass stops the run.
    if (std::exchange(opened, true))
      return false;
    Dialogs->OpenAnswers.push_back(scene);
    Trigger("OpenScene");
    inside = &Form->World();
    return true;
  });
  EXPECT_EQ(Form->RunLoop().PassCount(), 2);
  EXPECT_NE(inside, before);
  EXPECT_EQ(&Form->World(), inside);
  EXPECT_TRUE(Form->windowTitle().startsWith("two.kartsim.json"));
  EXPECT_EQ(Members(), 2);
  EXPECT_TRUE(Dialogs->Reports.empty());
}

TEST_F(TWindowRun, PanelFollowsAChildChosenDuringAStep) {
  Click("EdEvolution");
  TPlayer2D& rocket = *Form->SelectedPlayer();
  rocket.SetEnergy(100);
  RunPasses(1);
  ASSERT_EQ(Members(), 2);
  EXPECT_EQ(Form->SelectedPlayer(), &Member(1));
  const QComboBox& players = Find<QComboBox>("EdPlayerId");
  EXPECT_EQ(players.count(), 2);
  EXPECT_EQ(players.currentIndex(), 1);
  EXPECT_EQ(Find<QSlider>("EdRadio").value(), Member(1).GridSize());
}

TEST_F(TWindowRun, AnErrorEndsTheLoopIsReportedAndRunStartsItAgain) {
  // Flung out of the 32-bit range of the pixel tests.
  Form->SelectedPlayer()->SetPosX(1e12);
  Click("StartBtn");
  WaitForRunEnd();
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  const TErrorReport& report = Dialogs->Reports[0];
  EXPECT_EQ(report.Message, "Range check error");
  EXPECT_EQ(report.Type, "ERangeError");
  EXPECT_EQ(report.Origin, "step 1 of the run");
  EXPECT_FALSE(Form->RunLoop().Running());
  EXPECT_TRUE(Find<QPushButton>("StartBtn").isChecked());

  Form->SelectedPlayer()->SetPosX(330);
  RunPasses(1);
  EXPECT_EQ(Form->RunLoop().PassCount(), 2);
  EXPECT_EQ(Dialogs->Reports.size(), 1u);
}

TEST_F(TWindowRun, AFrameThatCannotBeWrittenIsReported) {
  SaveFramesAs(Dir.filePath("missing/run"));
  Click("StartBtn");
  WaitForRunEnd();
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  EXPECT_NE(Dialogs->Reports[0].Message.find("missing/run_00001.bmp"), std::string::npos);
  EXPECT_EQ(Dialogs->Reports[0].Origin, "pass 1 of the run, saving its frame");
  EXPECT_EQ(Form->RunLoop().FrameCounter(), 1);
  EXPECT_FALSE(Form->RunLoop().Running());
}

TEST_F(TWindowRun, ClosingWhileRunningClosesAtOnceAndLeavesTheWorldAsBeforeTheStep) {
  // A long step: twenty seconds of future, two thousand futures at least.
  Find<QSlider>("EdSeconds").setValue(20);
  Find<QSlider>("EdMinFutures").setValue(2000);
  RunPasses(1);
  const double x = Form->SelectedPlayer()->PosX();
  const int32_t futures = Form->SelectedPlayer()->Futures().FutureCount();
  RunWhile([&] {
    Form->close();
    return true;
  });
  EXPECT_FALSE(Form->isVisible());
  EXPECT_FALSE(Form->RunLoop().Running());
  EXPECT_EQ(Form->RunLoop().PassCount(), 2);
  EXPECT_EQ(Form->SelectedPlayer()->PosX(), x);
  EXPECT_EQ(Form->SelectedPlayer()->Futures().FutureCount(), futures);
}

TEST_F(TWindowRun, AClickAfterAStepWaitsForTheChangesClickedInIt) {
  // The rocket duplicates in the step, so the panel follows its child after it.
  Click("EdEvolution");
  Form->SelectedPlayer()->SetEnergy(100);
  RunWhile([&] {
    Click("BtnAddPlayer");
    // "-" clicked next, handled at the next message processing.
    QMetaObject::invokeMethod(&Find<QAbstractButton>("BtnSubPlayer"), "click",
                              Qt::QueuedConnection);
    return false;
  });
  // In the order clicked: the kart came, was chosen, and "-" removed it.
  ASSERT_EQ(Members(), 2);
  EXPECT_FALSE(Member(0).IsKart());
  EXPECT_FALSE(Member(1).IsKart());
  EXPECT_TRUE(Dialogs->Reports.empty());
}
