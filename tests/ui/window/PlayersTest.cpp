#include <QComboBox>
#include <QGroupBox>
#include <cmath>
#include <numbers>

#include "WindowKit.h"
#include "agents/UKart.h"
#include "agents/UUtils.h"
#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "ui/window/UGoalRows.h"
#include "world/UTrack2D.h"

using TWindowPlayers = TWindowTest;

TEST_F(TWindowPlayers, AddedKartsStandAheadInARowAndStayThereAfterReset) {
  Click("BtnAddPlayer");
  ASSERT_EQ(Members(), 2);
  const TPlayer2D& second = Member(1);
  EXPECT_TRUE(second.IsKart());
  // 30 pixels ahead of the rocket, along its heading (up the screen).
  EXPECT_NEAR(second.PosX(), 330, 1e-9);
  EXPECT_NEAR(second.PosY(), 420, 1e-9);
  EXPECT_DOUBLE_EQ(second.Angle(), -std::numbers::pi / 2);
  EXPECT_EQ(second.Color(), MakeColor(255, 255, 0));
  EXPECT_EQ(&second, Form->SelectedPlayer());
  EXPECT_EQ(Find<QComboBox>("EdPlayerId").currentText(), "Player #2");

  // The third keeps the row's spacing.
  Click("BtnAddPlayer");
  ASSERT_EQ(Members(), 3);
  EXPECT_NEAR(Member(2).PosX(), 330, 1e-9);
  EXPECT_NEAR(Member(2).PosY(), 390, 1e-9);
  EXPECT_EQ(Member(2).Color(), MakeColor(255, 150, 100));

  Click("BtnReset");
  EXPECT_NEAR(Member(1).PosY(), 420, 1e-3);
  EXPECT_NEAR(Member(2).PosY(), 390, 1e-3);

  Click("SpeedButton7");
  EXPECT_TRUE(Member(3).IsRocket());
  EXPECT_EQ(Member(3).Color(), MakeColor(255, 0, 0));
}

TEST_F(TWindowPlayers, RemovingNeedsTwoPlayersAndChoosesTheFirst) {
  Click("BtnSubPlayer");
  EXPECT_EQ(Members(), 1);
  Click("BtnAddPlayer");
  Click("BtnSubPlayer");
  ASSERT_EQ(Members(), 1);
  EXPECT_TRUE(Member(0).IsRocket());
  EXPECT_EQ(Form->SelectedPlayer(), &Member(0));
  const QComboBox& players = Find<QComboBox>("EdPlayerId");
  EXPECT_EQ(players.count(), 1);
  EXPECT_EQ(players.currentIndex(), 0);
  EXPECT_EQ(Find<QSlider>("EdSize").value(), 12);
}

TEST_F(TWindowPlayers, CircleOfKartsReplacesTheMembers) {
  Click("BtnAddPlayer");
  Trigger("Addacircleofkarts1");
  ASSERT_EQ(Members(), 18);
  const int32_t colors[] = {MakeColor(255, 255, 255), MakeColor(255, 255, 0),
                            MakeColor(255, 150, 100), MakeColor(255, 0, 0),
                            MakeColor(150, 150, 150)};
  for (int32_t i = 0; i < 18; ++i) {
    const TPlayer2D& kart = Member(i);
    ASSERT_TRUE(kart.IsKart());
    EXPECT_NEAR(kart.PosX(), 400 + 90 * std::cos(2 * std::numbers::pi * i / 18), 1e-9);
    EXPECT_EQ(kart.Size(), 8);
    if (i < 5) {
      EXPECT_EQ(kart.Color(), colors[i]) << "member " << i;
    }
  }
  EXPECT_EQ(Find<QComboBox>("EdPlayerId").count(), 18);
  EXPECT_EQ(Find<QComboBox>("EdPlayerId").currentText(), "Player #18");
  EXPECT_EQ(Find<QSlider>("EdSize").value(), 8);
}

TEST_F(TWindowPlayers, PlayerListFollowsTheMembers) {
  Click("BtnAddPlayer");
  Click("BtnAddPlayer");
  auto& players = Find<QComboBox>("EdPlayerId");
  // Dropping the list down renumbers it from the members.
  players.showPopup();
  players.hidePopup();
  ASSERT_EQ(players.count(), 3);
  EXPECT_EQ(players.itemText(0), "Player #0");
  EXPECT_EQ(players.currentIndex(), 2);

  players.setCurrentIndex(0);
  emit players.activated(0);
  EXPECT_EQ(Form->SelectedPlayer(), &Member(0));
  EXPECT_EQ(Find<QSlider>("EdSize").value(), 12);

  // Clearing the list chooses nobody; an entry beyond the members is ignored.
  players.clear();
  EXPECT_EQ(Form->SelectedPlayer(), &Member(0));
  players.addItems({"a", "b", "c", "d"});
  players.setCurrentIndex(3);
  emit players.activated(3);
  EXPECT_EQ(Form->SelectedPlayer(), &Member(0));
}

TEST_F(TWindowPlayers, WithoutMembersThePanelActsOnNobodyAndAddingStillWorks) {
  TTeam& team = Form->CurrentTeam();
  team.RemoveMember(team.Members(0), true);
  Form->FillPlayerEntries();
  EXPECT_EQ(Find<QComboBox>("EdPlayerId").count(), 0);
  Dialogs->ColorAnswer = Qt::red;
  for (const char* button :
       {"SpeedButton1", "SpeedButton5", "SpeedButton8", "SpeedButton9", "EdColor", "BtnSubPlayer"})
    Click(button);
  Slide("EdSize", 30);
  Slide("EdRadio", 7);
  Trigger("MenuDebugTraces");
  Trigger("Deleteallplayerspersonalgoals1");
  Form->CopyParamsFromPlayer();
  EXPECT_TRUE(Dialogs->Reports.empty());

  Click("BtnAddPlayer");
  ASSERT_EQ(Members(), 1);
  EXPECT_TRUE(Member(0).IsKart());
  // The kart's start place, moved 30 pixels ahead along its heading (to the right).
  EXPECT_NEAR(Member(0).PosX(), 360, 1e-9);
  EXPECT_NEAR(Member(0).PosY(), 475, 1e-9);
  EXPECT_EQ(Form->SelectedPlayer(), &Member(0));
}

TEST_F(TWindowPlayers, AClickWaitsUntilThePanelShowsTheNewlyChosenPlayer) {
  Click("BtnAddPlayer");
  // The kart, bigger than the rocket and without a goal of its own; the rocket shows its goal.
  TPlayer2D& kart = Member(1);
  kart.SetSize(20);
  while (kart.GoalCount() > 0)
    kart.DeleteGoal(0);
  auto& players = Find<QComboBox>("EdPlayerId");
  QTest::keyClick(&players, Qt::Key_Up);
  ASSERT_EQ(Form->SelectedPlayer(), &Member(0));
  ASSERT_GT(Member(0).GoalCount(), 0);

  // A click the user made just before choosing the kart; the panel's new size redraws the world,
  // which handles the window's messages.
  bool handled = false;
  bool rowsNameGoals = true;
  QMetaObject::invokeMethod(
      Form.get(),
      [&] {
        handled = true;
        for (const QWidget* row : Find<QGroupBox>("EdGoals").findChildren<QWidget*>())
          rowsNameGoals &= Form->GoalRows().GoalOfTag(row->property("tag").toInt()) != nullptr;
      },
      Qt::QueuedConnection);
  QTest::keyClick(&players, Qt::Key_Down);
  ASSERT_EQ(Form->SelectedPlayer(), &kart);
  QCoreApplication::processEvents();
  EXPECT_TRUE(handled);
  EXPECT_TRUE(rowsNameGoals);
}
