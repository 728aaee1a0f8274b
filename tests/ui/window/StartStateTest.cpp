#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <numbers>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "agents/UUtils.h"
#include "ui/window/UPictureView.h"
#include "world/UTrack2D.h"

using TWindowStart = TWindowTest;

TEST_F(TWindowStart, ShowsTheWorldsOwnDefaultsForTheFirstRocket) {
  EXPECT_EQ(Form->windowTitle(), "Kart simulation using \"Causal Entropic Forces\" V1.2");
  EXPECT_EQ(Form->size(), QSize(1060, 703));

  EXPECT_EQ(Find<QSlider>("EdSeconds").value(), 5);
  EXPECT_EQ(Text("LbSeconds"), "5 s.");
  EXPECT_EQ(Find<QSlider>("EdMinFutures").value(), 100);
  EXPECT_EQ(Text("LbMinFutures"), "100");
  EXPECT_EQ(Find<QSlider>("EdFriction").value(), 15);
  EXPECT_EQ(Text("LbFriction"), "0.015");
  EXPECT_EQ(Find<QSlider>("EdSideFriction").value(), 20);
  EXPECT_EQ(Text("LbSideFriction"), "0.2");
  EXPECT_EQ(Find<QSlider>("EdSize").value(), 12);
  EXPECT_EQ(Text("LbSize"), "12px");
  const QSlider& grid = Find<QSlider>("EdRadio");
  EXPECT_EQ(grid.value(), 10);
  EXPECT_EQ(grid.minimum(), 2);
  EXPECT_EQ(grid.maximum(), 20);
  EXPECT_EQ(Text("LbRadio"), "10px");
  EXPECT_TRUE(Find<QCheckBox>("EdAutoRadio").isChecked());
  EXPECT_EQ(Find<QComboBox>("EdAI_Level").currentIndex(), 7);
  EXPECT_TRUE(Find<QCheckBox>("EdCollisions").isChecked());
  EXPECT_FALSE(Find<QCheckBox>("EdEvolution").isChecked());

  const TTrack2D& track = Form->Track();
  EXPECT_EQ(track.Settings().FFutureMs, 5000);
  EXPECT_EQ(track.Settings().FMinFutures, 100);
  EXPECT_TRUE(track.Settings().FCollisions);
  EXPECT_FALSE(track.Evolution());
  EXPECT_EQ(track.FWidth, 800);
  EXPECT_EQ(track.FHeight, 600);

  ASSERT_EQ(Members(), 1);
  const TPlayer2D& rocket = Member(0);
  EXPECT_TRUE(rocket.IsRocket());
  EXPECT_EQ(rocket.PosX(), 330);
  EXPECT_EQ(rocket.PosY(), 450);
  EXPECT_DOUBLE_EQ(rocket.Angle(), -std::numbers::pi / 2);
  EXPECT_EQ(rocket.Color(), MakeColor(255, 255, 255));
  const QComboBox& players = Find<QComboBox>("EdPlayerId");
  ASSERT_EQ(players.count(), 1);
  EXPECT_EQ(players.currentText(), "Player #1");
  EXPECT_FALSE(Find<QPushButton>("StartBtn").isChecked());
  EXPECT_FALSE(Find<QPushButton>("PauseBtn").isChecked());
}

TEST_F(TWindowStart, StacksFiveBoxesFromTheTopAndTwoFromTheBottom) {
  EXPECT_TRUE(Find<QGroupBox>("EdTrackParams").isHidden());
  EXPECT_TRUE(Find<QGroupBox>("EdPlayerParams").isHidden());
  const auto top = [&](const char* Box) { return Find<QGroupBox>(Box).geometry().top(); };
  const auto bottom = [&](const char* Box) { return Find<QGroupBox>(Box).geometry().bottom(); };
  // Hidden boxes take no room: the goals follow the AI parameters.
  EXPECT_EQ(top("EdAIParams"), bottom("edChoosePlayer") + 1);
  EXPECT_EQ(top("EdGoals"), bottom("EdAIParams") + 1);
  EXPECT_EQ(top("GroupBox3"), bottom("EdHandMove") + 1);
  EXPECT_LE(Find<QWidget>("Panel4").height() - bottom("GroupBox3"), 4);

  Trigger("MenuTrackParams");
  Trigger("menuPlayerParams");
  Trigger("menuChoosePlayer");
  EXPECT_TRUE(Find<QGroupBox>("edChoosePlayer").isHidden());
  EXPECT_EQ(top("EdTrackParams"), bottom("EdAIParams") + 1);
  EXPECT_EQ(top("EdPlayerParams"), bottom("EdTrackParams") + 1);
  EXPECT_EQ(top("EdGoals"), bottom("EdPlayerParams") + 1);
}

TEST_F(TWindowStart, PictureKeepsTheCircuitsShapeAndTheMouseAimsInItsPixels) {
  const QWidget& panel = Find<QWidget>("PanelImg");
  auto& view = Find<TPictureView>("ImgRoad");
  for (const QSize size : {QSize(1060, 703), QSize(700, 703), QSize(1060, 400)}) {
    Form->resize(size);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.pos(), QPoint(0, 0));
    EXPECT_NEAR(view.width() * 3.0, view.height() * 4.0, 4.0);
    EXPECT_TRUE(view.width() == panel.width() || view.height() == panel.height());
  }
  // Stretched to half the picture's size, the pointer still names the picture's pixel.
  view.resize(400, 300);
  QCursor::setPos(view.mapToGlobal(QPoint(200, 150)));
  EXPECT_EQ(view.X(), 400);
  EXPECT_EQ(view.Y(), 300);
  // The world takes one reading of it as each step begins.
  EXPECT_FALSE(Form->Track().MouseInside());
  RunPasses(1);
  EXPECT_EQ(Form->Track().MouseX(), 400);
  EXPECT_EQ(Form->Track().MouseY(), 300);
  EXPECT_TRUE(Form->Track().MouseInside());
  QCursor::setPos(view.mapToGlobal(QPoint(-1, 10)));
  RunPasses(1);
  EXPECT_FALSE(Form->Track().MouseInside());
}
