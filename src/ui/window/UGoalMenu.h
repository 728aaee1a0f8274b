#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class TFormTest2D;
class TGoal;

// The "Add a team goals" menu: each item gives the current team one goal; the last two delete
// goals. Goals come and go only between steps: an item chosen during a step acts when it ends.
class TGoalMenu : public QObject {
  Q_OBJECT
public:
  explicit TGoalMenu(TFormTest2D& Form);

public slots:
  void Runfast1Click();
  void Keepenergyhunger1Click();
  void Keephealth1Click();
  void Addateamgoalforcollectingdrops1Click();
  void Addateamgoalforstoringcollecteddrops1Click();
  void Suckenergyfromplayersinfrontofyou1Click();
  void AvoidOtherPlayersClick();
  void FollowMouseClick();
  void DeleteallTeamsGoals1Click();
  void Deleteallplayerspersonalgoals1Click();

private:
  // Adds a goal of the catalogue's kind when the change is applied (after the step in
  // progress), then shows the rows; the goals placed on the circuit switch the drawing of the
  // team's goals on.
  void AddTeamGoal(const char* Handler, const std::string& Kind);

  TFormTest2D& FForm;
};
