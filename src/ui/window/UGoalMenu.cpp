#include "ui/window/UGoalMenu.h"

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "goals/UGoalCatalogue.h"
#include "goals/UTeam.h"
#include "ui/window/UFormTest2D.h"
#include "ui/window/UHandlerTrace.h"
#include "ui/window/UKartsimApp.h"
#include "ui/window/URunLoop.h"
#include "ui_UFormTest2D.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"
#include "world/UWorldCommand.h"

TGoalMenu::TGoalMenu(TFormTest2D& Form) : FForm(Form) {
  Ui::TFormTest2D& ui = Form.Controls();
  ConnectHandler(ui.Runfast1, &QAction::triggered, this, &TGoalMenu::Runfast1Click);
  ConnectHandler(ui.Keepenergyhunger1, &QAction::triggered, this,
                 &TGoalMenu::Keepenergyhunger1Click);
  ConnectHandler(ui.Keephealth1, &QAction::triggered, this, &TGoalMenu::Keephealth1Click);
  ConnectHandler(ui.Addateamgoalforcollectingdrops1, &QAction::triggered, this,
                 &TGoalMenu::Addateamgoalforcollectingdrops1Click);
  ConnectHandler(ui.Addateamgoalforstoringcollecteddrops1, &QAction::triggered, this,
                 &TGoalMenu::Addateamgoalforstoringcollecteddrops1Click);
  ConnectHandler(ui.Suckenergyfromplayersinfrontofyou1, &QAction::triggered, this,
                 &TGoalMenu::Suckenergyfromplayersinfrontofyou1Click);
  ConnectHandler(ui.AvoidOtherPlayers, &QAction::triggered, this,
                 &TGoalMenu::AvoidOtherPlayersClick);
  ConnectHandler(ui.FollowMouse, &QAction::triggered, this, &TGoalMenu::FollowMouseClick);
  ConnectHandler(ui.AvoidMouse, &QAction::triggered, this, &TGoalMenu::FollowMouseClick);
  ConnectHandler(ui.DeleteallTeamsGoals1, &QAction::triggered, this,
                 &TGoalMenu::DeleteallTeamsGoals1Click);
  ConnectHandler(ui.Deleteallplayerspersonalgoals1, &QAction::triggered, this,
                 &TGoalMenu::Deleteallplayerspersonalgoals1Click);
}

void TGoalMenu::AddTeamGoal(const char* Handler, const std::string& Kind) {
  FForm.RunLoop().RunOrDefer(Handler, [this, Kind] {
    // Made only now, so that a goal that cannot be made (no place for a box) adds nothing; a box
    // is placed from the world's own stream.
    FForm.RunLoop().Command(TWorldCommand("add_team_goal", {}, Kind));
    FForm.UpdateGoals();
    if (TGoalCatalogue::ShowsWhenAdded(Kind)) {
      FForm.Controls().MenuDebugTeamGoals->setChecked(true);
      FForm.EdDebugChange();
    }
  });
}

void TGoalMenu::Runfast1Click() {
  const THandlerTrace trace(__func__);
  AddTeamGoal(__func__, "speed");
}

void TGoalMenu::Keepenergyhunger1Click() {
  const THandlerTrace trace(__func__);
  AddTeamGoal(__func__, "energy");
}

void TGoalMenu::Keephealth1Click() {
  const THandlerTrace trace(__func__);
  AddTeamGoal(__func__, "health");
}

void TGoalMenu::Addateamgoalforcollectingdrops1Click() {
  const THandlerTrace trace(__func__);
  AddTeamGoal(__func__, "drops");
}

void TGoalMenu::Addateamgoalforstoringcollecteddrops1Click() {
  const THandlerTrace trace(__func__);
  // Placed over the picture itself, whatever size it is shown at, with a bounded search.
  AddTeamGoal(__func__, "storage");
}

void TGoalMenu::Suckenergyfromplayersinfrontofyou1Click() {
  const THandlerTrace trace(__func__);
  AddTeamGoal(__func__, "burn-out");
}

void TGoalMenu::AvoidOtherPlayersClick() {
  const THandlerTrace trace(__func__);
  AddTeamGoal(__func__, "avoid-others");
}

void TGoalMenu::FollowMouseClick() {
  const THandlerTrace trace(__func__);
  const bool avoid = sender() != nullptr && sender()->property("tag").toInt() == 1;
  AddTeamGoal(__func__, avoid ? "avoid-mouse" : "follow-mouse");
}

void TGoalMenu::DeleteallTeamsGoals1Click() {
  const THandlerTrace trace(__func__);
  FForm.RunLoop().RunOrDefer(__func__, [this] {
    // Each goal is freed as it leaves the list.
    FForm.RunLoop().Command(TWorldCommand("delete_team_goals"));
    FForm.UpdateGoals();
  });
}

void TGoalMenu::Deleteallplayerspersonalgoals1Click() {
  const THandlerTrace trace(__func__);
  FForm.RunLoop().RunOrDefer(__func__, [this] {
    // The members themselves, whatever the player list shows.
    FForm.RunLoop().Command(TWorldCommand("delete_player_goals"));
    FForm.UpdateGoals();
  });
}
