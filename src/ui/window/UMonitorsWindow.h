#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>

class TDecisionPanel;
class TPlayer2D;
class TStepPlot;

// The "Monitors" window: how hard the world thinks and how the chosen player fares, one point
// per step, and the chosen player's last decision. It keeps no simulation state: the main window
// hands it what the world and the chosen player hold after each step, on the window's thread,
// and it draws that. The player it follows is remembered only to see that another is chosen.
class TMonitorsWindow : public QWidget {
  Q_OBJECT
public:
  explicit TMonitorsWindow(QWidget* Parent = nullptr);

  // After step Step, which ran Futures futures in StepMs milliseconds: as Follow, then one point
  // on every plot.
  void AfterStep(int64_t Step, int32_t Futures, double StepMs, TPlayer2D* Chosen,
                 const QString& Name);
  // Follows the chosen player, called Name (null for none): its plots start afresh when it is
  // another than the one followed; the inspector shows its last decision.
  void Follow(TPlayer2D* Chosen, const QString& Name);
  // Every plot empty, following nobody yet.
  void Restart();

  // Where monitors of the given size go, in screen coordinates, beside a main window (its frame)
  // whose control panel covers Panel, on a screen whose free room is Room: right of the window
  // where the room allows, else left of it, else over the circuit's side of the window, narrowed
  // if need be; never over the panel, whose clicks they would take.
  static QRect PlaceBeside(const QRect& Main, const QRect& Panel, const QRect& Room,
                           const QSize& Size);

signals:
  void Closed();

protected:
  void closeEvent(QCloseEvent* Event) override;

private:
  TStepPlot* FWorld;
  TStepPlot* FLevels;
  TStepPlot* FDots;
  TDecisionPanel* FInspector;
  bool FFollowing = false;
  const TPlayer2D* FFollowed = nullptr; // compared only, never read
  int64_t FLastStep = 0;
};
