#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <numbers>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "ui/qt/UQtCanvas.h"
#include "world/UTrack2D.h"

using TWindowSettings = TWindowTest;

TEST_F(TWindowSettings, EverySliderAndCheckBoxReachesTheWorldWithItsLabel) {
  TTrack2D& track = Form->Track();
  Slide("EdSeconds", 7);
  EXPECT_EQ(track.Settings().FFutureMs, 7000);
  EXPECT_EQ(Text("LbSeconds"), "7 s.");
  Slide("EdMinFutures", 250);
  EXPECT_EQ(track.Settings().FMinFutures, 250);
  EXPECT_EQ(Text("LbMinFutures"), "250");
  Slide("EdFriction", 20);
  EXPECT_DOUBLE_EQ(track.Settings().FFriction, 0.02);
  EXPECT_EQ(Text("LbFriction"), "0.02");
  Slide("EdSideFriction", 55);
  EXPECT_DOUBLE_EQ(track.Settings().FSideFriction, 0.55);
  EXPECT_EQ(Text("LbSideFriction"), "0.55");

  TPlayer2D& rocket = *Form->SelectedPlayer();
  Slide("EdSize", 20);
  EXPECT_EQ(rocket.Size(), 20);
  EXPECT_EQ(Text("LbSize"), "20px");
  Slide("EdRadio", 16);
  EXPECT_EQ(rocket.GridSize(), 16);
  EXPECT_EQ(Text("LbRadio"), "16px");

  for (const char* box : {"EdAutoRadio", "EdCollisions", "EdEvolution"})
    Click(box);
  EXPECT_FALSE(rocket.AutoGrid());
  EXPECT_FALSE(track.Settings().FCollisions);
  EXPECT_TRUE(track.Evolution());

  auto& levels = Find<QComboBox>("EdAI_Level");
  levels.setCurrentIndex(3);
  emit levels.activated(3);
  EXPECT_EQ(rocket.AILevel(), 4);

  Trigger("MenuDebugTraces");
  Trigger("MenuDebugOptions");
  Trigger("MenuDebugLevels");
  Trigger("MenuDebugGoals");
  Trigger("MenuDebugTeamGoals");
  EXPECT_TRUE(rocket.DrawsTraces() && rocket.DrawsEndPoints() && rocket.DrawsLevels() &&
              rocket.DrawsGoals());
  EXPECT_TRUE(Form->CurrentTeam().FDrawGoals);

  Trigger("menuHandMove");
  Trigger("menuGoals");
  Trigger("menuBasicAIparams");
  EXPECT_TRUE(Find<QGroupBox>("EdHandMove").isHidden());
  EXPECT_TRUE(Find<QGroupBox>("EdGoals").isHidden());
  EXPECT_TRUE(Find<QGroupBox>("EdAIParams").isHidden());
}

TEST_F(TWindowSettings, HandMovesSetTheResetPlaceOnlyWhileStopped) {
  TPlayer2D& rocket = *Form->SelectedPlayer();
  Click("SpeedButton1");
  Click("SpeedButton4");
  Click("SpeedButton6");
  EXPECT_DOUBLE_EQ(rocket.PosX(), 325);
  EXPECT_DOUBLE_EQ(rocket.PosY(), 455);
  EXPECT_NEAR(rocket.Angle(), -std::numbers::pi / 2 - std::numbers::pi / 12, 1e-12);
  Click("BtnReset");
  EXPECT_NEAR(rocket.PosX(), 325, 1e-3);
  EXPECT_NEAR(rocket.PosY(), 455, 1e-3);

  // With "Run" down the moves are the player's, but "Reset" returns to the place before them.
  Find<QPushButton>("StartBtn").setChecked(true);
  Click("SpeedButton3");
  Click("SpeedButton3");
  Click("SpeedButton2");
  Click("SpeedButton5");
  EXPECT_DOUBLE_EQ(rocket.PosX(), 335);
  EXPECT_DOUBLE_EQ(rocket.PosY(), 450);
  Click("BtnReset");
  EXPECT_NEAR(rocket.PosX(), 325, 1e-3);
  EXPECT_NEAR(rocket.PosY(), 455, 1e-3);
}

TEST_F(TWindowSettings, LevelsAndColourAreGivenToTheChosenPlayer) {
  TPlayer2D& rocket = *Form->SelectedPlayer();
  rocket.SetEnergy(80);
  rocket.SetHealth(0);
  Click("SpeedButton8");
  Click("SpeedButton9");
  EXPECT_EQ(rocket.Energy(), 10);
  EXPECT_EQ(rocket.Health(), 10);
  EXPECT_FALSE(rocket.IsDead());

  const int32_t before = rocket.Color();
  Click("EdColor");
  EXPECT_EQ(rocket.Color(), before);
  Dialogs->ColorAnswer = QColor(10, 20, 30);
  Click("EdColor");
  EXPECT_EQ(rocket.Color(), TQtCanvas::FromQColor(QColor(10, 20, 30)));
  EXPECT_EQ(Find<QPushButton>("EdColor").palette().color(QPalette::Button), QColor(10, 20, 30));
}
