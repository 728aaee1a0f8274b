#pragma once

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <cstdint>

class QWidget;
class QSlider;
class TFormTest2D;
class TGoal;

// The rows of the "Player and Team goals" box, one per goal of the chosen player and of the
// current team, and the pop-up menu of a row. Each of a row's three controls carries the row's
// tag: i + 1 for personal goal i of the chosen player, -(j + 1) for goal j of the team. The tag is
// the only link back to the goal and is resolved again, range-checked, at every use.
class TGoalRows : public QObject {
  Q_OBJECT
public:
  static constexpr int32_t GoalRowHeight = 34; // pixels
  static constexpr int32_t FirstRowTop = 24;   // pixels

  explicit TGoalRows(TFormTest2D& Form);

  // Rebuilds the rows from the goals.
  void UpdateGoals();
  // The goal a tag stands for now; null when it names none.
  TGoal* GoalOfTag(int32_t Tag) const;
  QMenu& PopupGoalParam() { return FPopup; }

public slots:
  // A row's slider moved: its goal takes the new share of its maximum value.
  void GoalSliderChange();
  // The pop-up opens at the screen position: its items act on the row found there, and are
  // disabled when there is none.
  void PopupGoalParamPopup(const QPoint& GlobalPos);
  void menuBetterSooerClick();
  void menuIndividualClick();
  void menuCooperativeClick();
  void menuCompetitiveClick();

private:
  void AddGoalRow(int32_t Tag, const TGoal& Goal, int32_t& Top);
  // Every control of a row, and the box itself, opens the pop-up on a right click.
  void AttachPopup(QWidget* Control);
  // The mode of the goal the item's row stands for; after the step in progress, if any.
  void SetModeOfItemGoal(const char* Handler, const QObject* Item, uint8_t Mode);
  // The value of the goal the slider's row stands for, and its label.
  void SetGoalFromSlider(const QSlider& Slider);

  TFormTest2D& FForm;
  QMenu FPopup;
};
