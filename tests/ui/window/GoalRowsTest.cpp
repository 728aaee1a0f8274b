#include <QAction>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QTemporaryDir>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "goals/UGoal.h"
#include "goals/UGoal2DRaced.h"
#include "goals/UGoal2DStorage.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UGoal2DTeamAway.h"
#include "goals/UGoalBurnOut.h"
#include "goals/UGoalEnergy.h"
#include "goals/UGoalHealth.h"
#include "goals/UGoalMouse.h"
#include "goals/UTeam.h"
#include "ui/qt/UQtPicture.h"

namespace {

class TWindowGoals : public TWindowTest {
protected:
  // The controls of the goal rows whose tag is the given one.
  template <class T> std::vector<T*> Row(int32_t Tag) const {
    std::vector<T*> found;
    for (T* control : Find<QGroupBox>("EdGoals").findChildren<T*>())
      if (control->property("tag").toInt() == Tag)
        found.push_back(control);
    return found;
  }
  // A right click on a control of the goals box, as the toolkit delivers it.
  void RightClick(QWidget& Control) const {
    const QPoint pos = Control.rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, Control.mapToGlobal(pos));
    QApplication::sendEvent(&Control, &event);
  }
  bool Enabled(const char* Item) const { return Find<QAction>(Item).isEnabled(); }
  bool Checked(const char* Item) const { return Find<QAction>(Item).isChecked(); }
};

} // namespace

TEST_F(TWindowGoals, RowSliderGivesTheGoalItsShareOfTheMaximum) {
  Trigger("Runfast1");
  const std::vector<QSlider*> sliders = Row<QSlider>(-1);
  ASSERT_EQ(sliders.size(), 1u);
  EXPECT_EQ(sliders[0]->value(), 10);
  sliders[0]->setValue(50);
  const TGoal& goal = *Form->CurrentTeam().Goals(0);
  EXPECT_DOUBLE_EQ(goal.FValue, 5);
  QLabel* value = nullptr;
  for (QLabel* label : Row<QLabel>(-1))
    if (label->alignment() & Qt::AlignRight)
      value = label;
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->text(), "5.00");

  // Personal rows come first, tagged from 1.
  const TPlayer2D& rocket = *Form->SelectedPlayer();
  ASSERT_EQ(Row<QSlider>(1).size(), 1u);
  Row<QSlider>(1)[0]->setValue(30);
  EXPECT_DOUBLE_EQ(rocket.Goals(0)->FValue, 0.3 * rocket.Goals(0)->FMaxValue);
}

TEST_F(TWindowGoals, PopUpActsOnTheRowItOpenedOn) {
  Trigger("AvoidOtherPlayers");
  Form->CurrentTeam().Goals(0)->FMode = gmCooperative;
  RightClick(*Row<QSlider>(1)[0]);
  EXPECT_EQ(Dialogs->Popups, 1);
  EXPECT_TRUE(Enabled("menuBetterSooner"));
  EXPECT_FALSE(Enabled("menuIndividual") || Enabled("menuCooperative") ||
               Enabled("menuCompetitive"));

  RightClick(*Row<QSlider>(-1)[0]);
  EXPECT_TRUE(Enabled("menuIndividual") && Enabled("menuCooperative") &&
              Enabled("menuCompetitive"));
  EXPECT_TRUE(Checked("menuCooperative"));
  EXPECT_FALSE(Checked("menuIndividual") || Checked("menuCompetitive"));
  Trigger("menuCompetitive");
  Trigger("menuBetterSooner");
  EXPECT_EQ(Form->CurrentTeam().Goals(0)->FMode, gmCompetitive);
  EXPECT_TRUE(Form->CurrentTeam().Goals(0)->FSoonerBetter);

  // A tag that no longer names a goal does nothing.
  Trigger("DeleteallTeamsGoals1");
  Trigger("menuIndividual");
  EXPECT_EQ(Form->CurrentTeam().GoalCount(), 0);

  // Below the rows there is no goal to act on.
  auto& box = Find<QGroupBox>("EdGoals");
  const QPoint below(box.width() / 2, box.height() - 3);
  QContextMenuEvent event(QContextMenuEvent::Mouse, below, box.mapToGlobal(below));
  QApplication::sendEvent(&box, &event);
  EXPECT_EQ(Dialogs->Popups, 3);
  for (const char* item :
       {"menuBetterSooner", "menuIndividual", "menuCooperative", "menuCompetitive"})
    EXPECT_FALSE(Enabled(item)) << item;
}

TEST_F(TWindowGoals, GoalMenuAddsEveryTeamGoalAndDeletesThemAll) {
  Click("BtnAddPlayer");
  const char* items[] = {"Runfast1",
                         "Keepenergyhunger1",
                         "Keephealth1",
                         "Addateamgoalforcollectingdrops1",
                         "Addateamgoalforstoringcollecteddrops1",
                         "Suckenergyfromplayersinfrontofyou1",
                         "AvoidOtherPlayers",
                         "FollowMouse",
                         "AvoidMouse"};
  for (const char* item : items)
    Trigger(item);
  const TTeam& team = Form->CurrentTeam();
  ASSERT_EQ(team.GoalCount(), 9);
  EXPECT_NE(dynamic_cast<TGoal2DRaced*>(team.Goals(0)), nullptr);
  EXPECT_NE(dynamic_cast<TGoalEnergy*>(team.Goals(1)), nullptr);
  EXPECT_NE(dynamic_cast<TGoalHealth*>(team.Goals(2)), nullptr);
  EXPECT_NE(dynamic_cast<TGoal2DSweets*>(team.Goals(3)), nullptr);
  const auto* box = dynamic_cast<TGoal2DStorage*>(team.Goals(4));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->FBoxHalfSize, 6);
  EXPECT_EQ(box->FCapacity, 500);
  EXPECT_NE(dynamic_cast<TGoalBurnOut*>(team.Goals(5)), nullptr);
  EXPECT_NE(dynamic_cast<TGoal2DTeamAway*>(team.Goals(6)), nullptr);
  EXPECT_FALSE(dynamic_cast<TGoalMouse*>(team.Goals(7))->FAvoid);
  EXPECT_TRUE(dynamic_cast<TGoalMouse*>(team.Goals(8))->FAvoid);
  EXPECT_DOUBLE_EQ(team.Goals(0)->FValue, 1);
  EXPECT_DOUBLE_EQ(team.Goals(8)->FValue, 0.1);
  EXPECT_TRUE(Find<QAction>("MenuDebugTeamGoals").isChecked());
  EXPECT_TRUE(team.FDrawGoals);
  EXPECT_EQ(Row<QSlider>(-9).size(), 1u);

  Trigger("DeleteallTeamsGoals1");
  const int height = Find<QGroupBox>("EdGoals").height();
  Trigger("Deleteallplayerspersonalgoals1");
  EXPECT_EQ(team.GoalCount(), 0);
  EXPECT_EQ(Member(0).GoalCount(), 0);
  EXPECT_EQ(Member(1).GoalCount(), 0);
  // No goal at all: the box is empty and as high as before.
  EXPECT_TRUE(Find<QGroupBox>("EdGoals").findChildren<QWidget*>().isEmpty());
  EXPECT_EQ(Find<QGroupBox>("EdGoals").height(), height);
}

TEST_F(TWindowGoals, StorageBoxWithoutRoadIsReportedAndAddsNothing) {
  QTemporaryDir dir;
  const QString black = dir.filePath("black.bmp");
  TQtPicture(800, 600, 0).SaveBmp(black);
  Dialogs->OpenAnswers.push_back(black);
  Trigger("Loadcircuit800x600BMP1");
  Choose("Addateamgoalforstoringcollecteddrops1");
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  EXPECT_EQ(Dialogs->Reports[0].Message, "No place on the road for a storage box.");
  EXPECT_EQ(Form->CurrentTeam().GoalCount(), 0);
  EXPECT_TRUE(Row<QSlider>(-1).empty());
}

// Once a goal at strength 0 kept the player of its last evaluation, and the futures' copies of
// it reached the real world's picture from the futures' threads: the duplication goal's row set
// to 0 after one step, then many steps on two threads (the sanitizers' builds watch them).
TEST_F(TWindowGoals, AGoalSetToNothingAfterAStepRunsOnOnTwoThreads) {
  RunPasses(1);
  const TPlayer2D& player = *Form->SelectedPlayer();
  int32_t tag = 0;
  for (int32_t i = 0; i < player.GoalCount(); ++i)
    if (player.Goals(i)->FDescription == "Duplicating is sexy")
      tag = i + 1;
  const std::vector<QSlider*> sliders = Row<QSlider>(tag);
  ASSERT_EQ(sliders.size(), 1u);
  sliders[0]->setValue(0);
  ASSERT_EQ(Form->SelectedPlayer()->Goals(tag - 1)->FValue, 0);
  ExpectPassesWithoutError(30);
}
