// Takes the README's picture of the window: every box of the panel shown, a goal of every kind in
// the team, four players with the traces and ending points of their futures, and the monitors
// beside it, after a few steps. Needs a display large enough for both windows:
//   xvfb-run -s "-screen 0 1960x760x24" build/tools/screenshot/kartsim_screenshot docs/window.png
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "agents/UPlayer.h"
#include "goals/UTeam.h"
#include "ui/window/UFormTest2D.h"
#include "ui/window/UKartsimApp.h"
#include "ui/window/URunLoop.h"
#include "ui_UFormTest2D.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kartsim_screenshot FILE.png\n");
    return 2;
  }
  TKartsimApp app(argc, argv);
  TFormTest2D form;
  form.move(0, 0);
  form.show();
  Ui::TFormTest2D& ui = form.Controls();
  for (QAction* item : {ui.menuPlayerParams, ui.MenuTrackParams})
    item->trigger();
  for (QAction* goal :
       {ui.Runfast1, ui.Keepenergyhunger1, ui.Keephealth1, ui.Addateamgoalforcollectingdrops1,
        ui.Addateamgoalforstoringcollecteddrops1, ui.Suckenergyfromplayersinfrontofyou1,
        ui.AvoidOtherPlayers, ui.FollowMouse, ui.AvoidMouse})
    goal->trigger();
  for (int i = 0; i < 3; ++i)
    ui.BtnAddPlayer->click();
  for (QAction* item : {ui.MenuDebugTraces, ui.MenuDebugOptions, ui.MenuDebugTeamGoals})
    if (!item->isChecked())
      item->trigger();
  // Every player, not only the chosen one, shows what it imagined.
  TTeam& team = form.CurrentTeam();
  for (int32_t i = 0; i < team.MemberCount(); ++i) {
    team.Members(i)->SetDrawTraces(true);
    team.Members(i)->SetDrawEndPoints(true);
  }
  ui.MenuMonitors->trigger();
  // Without a window manager the monitors do not know where the window ends: put them beside it.
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != &form && window->isVisible())
      window->move(form.frameGeometry().right() + 1, 0);
  int status = 1;
  // Takes the picture once the run has ended, both windows painted with the last step.
  const auto capture = [&] {
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    QRect shown = form.frameGeometry();
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible())
        shown = shown.united(window->frameGeometry());
    const QPixmap picture =
        form.screen()->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height());
    std::fprintf(stderr, "window %dx%d\n", form.width(), form.height());
    status = picture.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    QApplication::quit();
  };
  QTimer pause;
  bool taken = false;
  QObject::connect(&pause, &QTimer::timeout, [&] {
    if (form.RunLoop().PassCount() < 25 || taken)
      return;
    ui.PauseBtn->click();
    if (!form.RunLoop().Running()) {
      taken = true;
      capture();
    }
  });
  pause.start(1);
  QTimer::singleShot(0, [&] { ui.StartBtn->click(); });
  QApplication::exec();
  return status;
}
