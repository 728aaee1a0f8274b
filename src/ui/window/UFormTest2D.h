#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class TFormTest2D;
}
class QLabel;
class TDialogs;
class TErrorReport;
class TGoalMenu;
class TGoalRows;
class TMonitorsWindow;
class TPlayer2D;
class TQtPicture;
class TRunLoop;
class TTeam;
class TTrack2D;
class TWorld;

// The main window: the circuit picture on which the world draws itself and, on the right, the
// panel from which the user builds and tunes the world while it runs. Its handlers translate the
// controls into calls on the world, the current team and the chosen player; the window keeps no
// simulation state of its own. The goal rows, the goal menu and the run loop are its parts.
class TFormTest2D : public QMainWindow {
  Q_OBJECT
public:
  // Builds the window and its world: the built-in circuit with the first rocket, with the
  // toolkit's dialogs.
  TFormTest2D();
  // The same, asking the user through the given dialogs.
  explicit TFormTest2D(std::unique_ptr<TDialogs> Dialogs, QWidget* Parent = nullptr);
  ~TFormTest2D() override;

  // ---- what the parts and handlers work on ----
  Ui::TFormTest2D& Controls() const { return *FUi; }
  TWorld& World() const { return *FWorld; }
  TTrack2D& Track() const;
  TTeam& CurrentTeam() const;
  // The chosen player; null while the current team has no member.
  TPlayer2D* SelectedPlayer() const;
  TQtPicture& Picture() const;
  TDialogs& Dialogs() const { return *FDialogs; }
  TRunLoop& RunLoop() const { return *FRunLoop; }
  TGoalRows& GoalRows() const { return *FGoalRows; }
  // The folder the file dialogs open in: the one last used, the user's home at first.
  const QString& StartFolder() const { return FStartFolder; }
  // The file chosen in a dialog: its folder is where the next dialog opens.
  void UseFolderOf(const QString& FileName);

  // ---- operations ----
  // Replaces the world by another one (an opened scene): re-wired to the window, shown whole in
  // the panel, its values as they are rather than as the sliders would round them.
  void ReplaceWorld(std::unique_ptr<TWorld> World);
  // The world's scene written to the file; the title names it.
  void SaveScene(const QString& FileName);
  // Opens a scene file in place of the world; a bad file changes nothing and raises.
  void OpenScene(const QString& FileName);
  // The program's arguments after its name: a scene file given there is opened as the window
  // starts. A bad one is reported like any error, and the window goes on with the world it has.
  void OpenFromCommandLine(const QStringList& Arguments);
  // Adds a player of the kind (0 the selected player's, 1 kart, 2 rocket), names its entry in
  // the list, chooses it and shows its values. Null for an unknown kind.
  TPlayer2D* AddPlayer(int32_t Kind);
  // World and chosen player to screen, then CopyParamsFromScreen.
  void CopyParamsFromPlayer();
  // Screen to world and chosen player, by running the change handlers.
  void CopyParamsFromScreen();
  void UpdateGoals();
  // The values that change while the world runs: the grid size.
  void UpdateRealTimeParams();
  // What the agents did in the last step: futures, the step's time, players, counted dots, grid.
  void UpdateStatusBar();
  // The monitors, when shown, after a step (a point on every plot) or after a single action.
  void UpdateMonitors(bool AfterStep);
  // Frees every member of the current team and empties the player list.
  void ClearPlayers();
  // The player list rebuilt from the members ("Player #0", ...), the chosen player's entry
  // chosen (the first when it has none).
  void FillPlayerEntries();
  // The world drawn afresh on the clean circuit: the players as they stand.
  void Redraw();
  // The picture of the step just ended: everything the step left to be seen.
  void PaintStep();
  // Shows the report of the exception being handled; to be called inside a catch block.
  void ReportCurrentError(const std::string& Where);
  // Shows a report with the replay of what the window did up to it.
  void ShowReport(TErrorReport Report);

public slots:
  void BtnAddPlayerClick();
  void BtnSubPlayerClick();
  void Addacircleofkarts1Click();
  void EdPlayerIdChange();
  void EdPlayerIdEnter();
  void EdColorClick();
  void EdSecondsChange();
  void EdMinFuturesChange();
  void EdFrictionChange();
  void EdSideFrictionChange();
  void EdCollisionsClick();
  void EdEvolutionClick();
  void EdSizeChange();
  void EdRadioChange();
  void EdAutoRadioClick();
  void EdAI_LevelChange();
  void EdDebugChange();
  void menuPlayerParamsClick();
  void MenuMonitorsClick();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void SpeedButton3Click();
  void SpeedButton4Click();
  void SpeedButton5Click();
  void SpeedButton6Click();
  void SpeedButton8Click();
  void FormResize();
  void OpenSceneClick();
  void SaveSceneAsClick();

protected:
  // Closing while the world runs abandons the step in progress and closes at once.
  void closeEvent(QCloseEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void FormCreate();
  // Captions that the toolkit's font makes wider than the design's are fitted to their room.
  void FitCaptions();
  void ConnectHandlers();
  // A setting of the world, by its key, changed through the run loop (and so kept in the replay).
  void SetWorld(const char* Key, double Value);
  void AddPlayerAhead(int32_t Kind);
  void AddCircleOfKarts();
  void RemoveSelectedPlayer();
  // Moves the chosen player by hand; the new place is where "Reset" returns unless it runs.
  void MoveSelected(double DX, double DY, double DAngle);
  // "+E" (tag 0) and "+H" (tag 1).
  void GiveLevel(int32_t Tag);
  void AddPlayerEntry();
  // What CopyParamsFromPlayer does.
  void ShowChosenPlayer();
  QColor ColorPanel() const;
  void SetColorPanel(int32_t Color);
  // The world's settings shown as they are, beside sliders placed as near as they go.
  void ShowSceneName(const QString& FileName);
  void Paint(bool AfterStep);

  std::unique_ptr<Ui::TFormTest2D> FUi;
  std::unique_ptr<TDialogs> FDialogs;
  QLabel* FStatus = nullptr;
  QString FStartFolder;
  QString FDesignTitle; // the title before a scene was named in it
  std::unique_ptr<TRunLoop> FRunLoop;
  std::unique_ptr<TGoalRows> FGoalRows;
  std::unique_ptr<TGoalMenu> FGoalMenu;
  TMonitorsWindow* FMonitors = nullptr; // made when first shown; a window of its own, our child
  std::unique_ptr<TWorld> FWorld;
  // What the circuit view shows: the world painted after its last step or change. Only this
  // window's thread paints or reads it.
  std::unique_ptr<TQtPicture> FPicture;
};
