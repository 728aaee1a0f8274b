#include "ui/window/UMonitorsWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "agents/UPlayer2D.h"
#include "decision/UListOfFutures.h"
#include "ui/window/UDecisionPanel.h"
#include "ui/window/UStepPlot.h"

TMonitorsWindow::TMonitorsWindow(QWidget* Parent)
    : QWidget(Parent, Qt::Window),
      FWorld(new TStepPlot("Futures and step time", {"Futures per step", "futures"},
                           {"Step time", "ms"})),
      FLevels(new TStepPlot("Energy and health", {"Energy", "0 to 100"}, {"Health", "0 to 100"})),
      FDots(new TStepPlot("Counted dots and grid size", {"Counted dots", "dots"},
                          {"Grid size", "px"})),
      FInspector(new TDecisionPanel) {
  setWindowTitle("Monitors");
  FWorld->setObjectName("PlotWorld");
  FLevels->setObjectName("PlotLevels");
  FDots->setObjectName("PlotDots");
  FInspector->setObjectName("Inspector");
  auto* plots = new QVBoxLayout;
  for (TStepPlot* plot : {FWorld, FLevels, FDots})
    plots->addWidget(plot);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(plots, 1);
  layout->addWidget(FInspector, 1);
  resize(860, 703);
}

void TMonitorsWindow::AfterStep(int64_t Step, int32_t Futures, double StepMs, TPlayer2D* Chosen,
                                const QString& Name) {
  FLastStep = Step;
  Follow(Chosen, Name);
  FWorld->Append(Step, Futures, StepMs);
  if (Chosen == nullptr)
    return;
  FLevels->Append(Step, Chosen->Energy(), Chosen->Health());
  FDots->Append(Step, Chosen->Futures().DotCount(), Chosen->GridSize());
}

void TMonitorsWindow::Follow(TPlayer2D* Chosen, const QString& Name) {
  if (!FFollowing || Chosen != FFollowed) {
    const QString note =
        Chosen == nullptr ? QString("No player chosen.")
        : FFollowing ? QString("%1, chosen after step %2: started afresh.").arg(Name).arg(FLastStep)
                     : Name;
    FLevels->Restart(note);
    FDots->Restart(note);
    FFollowing = true;
    FFollowed = Chosen;
  }
  FInspector->Show(Chosen, Name);
}

void TMonitorsWindow::Restart() {
  FWorld->Restart(QString());
  FFollowing = false;
  FFollowed = nullptr;
}

QRect TMonitorsWindow::PlaceBeside(const QRect& Main, const QRect& Panel, const QRect& Room,
                                   const QSize& Size) {
  const int32_t top = std::max(Room.top(), std::min(Main.top(), Room.bottom() + 1 - Size.height()));
  if (Room.right() - Main.right() >= Size.width())
    return {QPoint(Main.right() + 1, top), Size};
  if (Main.left() - Room.left() >= Size.width())
    return {QPoint(Main.left() - Size.width(), top), Size};
  // Over the circuit: from the window's left edge (or the screen's) up to the panel at most.
  const int32_t width = std::max(1, std::min(Size.width(), Panel.left() - Room.left()));
  const int32_t left = std::max(Room.left(), std::min(Main.left(), Panel.left() - width));
  return {QPoint(left, top), QSize(width, Size.height())};
}

void TMonitorsWindow::closeEvent(QCloseEvent* Event) {
  QWidget::closeEvent(Event);
  emit Closed();
}
