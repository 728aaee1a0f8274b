#include <QCheckBox>
#include <QGroupBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QToolButton>
#include <QWheelEvent>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "ui/window/UMonitorsWindow.h"

namespace {

class TWindowLayout : public TWindowTest {
protected:
  // The control's rectangle in the window's coordinates.
  QRect InWindow(const QWidget& Control) const {
    return {Control.mapTo(Form.get(), QPoint(0, 0)), Control.size()};
  }
  // Shown, inside the window, and not scrolled out of its part of the panel.
  void ExpectSeen(const char* Name) const {
    const QWidget& control = Find<QWidget>(Name);
    EXPECT_TRUE(control.isVisible()) << Name;
    EXPECT_TRUE(Form->rect().contains(InWindow(control))) << Name;
    EXPECT_FALSE(control.visibleRegion().isEmpty()) << Name;
  }
};

} // namespace

TEST_F(TWindowLayout, EveryBoxAndTwentyGoalsScrollWhileTheWindowKeepsItsSize) {
  const QSize designed(1060, 703);
  ASSERT_EQ(Form->size(), designed);
  for (const char* item : {"menuPlayerParams", "MenuTrackParams"})
    Trigger(item);
  for (int32_t i = 0; i < 20; ++i)
    Trigger("Runfast1");
  ASSERT_EQ(Form->CurrentTeam().GoalCount(), 20);
  QCoreApplication::processEvents();
  EXPECT_EQ(Form->size(), designed);
  for (const char* box : {"edChoosePlayer", "EdAIParams", "EdTrackParams", "EdPlayerParams",
                          "EdGoals", "EdHandMove", "GroupBox3"})
    EXPECT_TRUE(Find<QGroupBox>(box).isVisible()) << box;
  for (const char* control :
       {"StartBtn", "PauseBtn", "BtnReset", "EdEvolution", "SpeedButton1", "SpeedButton9"})
    ExpectSeen(control);
  ExpectSeen("BtnSubPlayer"); // not under the scroll bar
  // The upper boxes scroll, and every goal row can be scrolled to.
  QScrollBar& scroll = *Find<QScrollArea>("Panel4Scroll").verticalScrollBar();
  EXPECT_TRUE(scroll.isVisible());
  scroll.setValue(scroll.maximum());
  QCoreApplication::processEvents();
  const QList<QSlider*> rows = Find<QGroupBox>("EdGoals").findChildren<QSlider*>();
  ASSERT_GE(rows.size(), 20); // and the first player's own goals
  EXPECT_FALSE(rows.back()->visibleRegion().isEmpty());

  // Hidden again, the boxes need no scrolling, and the window is as it was.
  for (const char* item : {"menuPlayerParams", "MenuTrackParams"})
    Trigger(item);
  Trigger("DeleteallTeamsGoals1");
  // The nested layouts settle over a few rounds of posted events.
  for (int i = 0; i < 5; ++i)
    QCoreApplication::processEvents();
  EXPECT_EQ(Form->size(), designed);
  EXPECT_FALSE(scroll.isVisible())
      << scroll.maximum() << " " << Find<QGroupBox>("EdGoals").height();
}

TEST_F(TWindowLayout, MonitorsOpenBesideTheWindowOrOverTheCircuitNeverOverThePanel) {
  const QSize size(860, 703);
  const QRect main(270, 100, 1060, 703), panel(1089, 120, 241, 660);
  // Room on the right, then only on the left.
  EXPECT_EQ(TMonitorsWindow::PlaceBeside(main, panel, QRect(0, 0, 2200, 1000), size),
            QRect(QPoint(1330, 100), size));
  EXPECT_EQ(TMonitorsWindow::PlaceBeside(main.translated(880, 0), panel.translated(880, 0),
                                         QRect(0, 0, 2200, 1000), size),
            QRect(QPoint(290, 100), size));
  // A 1600-pixel screen: over the circuit, never over the panel.
  const QRect over = TMonitorsWindow::PlaceBeside(main, panel, QRect(0, 0, 1600, 1000), size);
  EXPECT_FALSE(over.intersects(panel)) << over.x() << " " << over.width();
  EXPECT_EQ(over.size(), size);
  // A narrow screen: narrowed to the room left of the panel.
  const QRect narrow = TMonitorsWindow::PlaceBeside(
      main.translated(-270, 0), panel.translated(-270, 0), QRect(0, 0, 1100, 800), size);
  EXPECT_FALSE(narrow.intersects(panel.translated(-270, 0)));
  EXPECT_EQ(narrow.left(), 0);

  // The window opens them so.
  Trigger("MenuMonitors");
  const QWidget& monitors = *Form->findChild<TMonitorsWindow*>();
  const QWidget& panel4 = Find<QWidget>("Panel4");
  const QRect panelOnScreen(panel4.mapToGlobal(QPoint(0, 0)), panel4.size());
  EXPECT_FALSE(monitors.frameGeometry().intersects(panelOnScreen));
}

TEST_F(TWindowLayout, CaptionsFitBeforeTheirValuesAndFlatButtonsRaiseUnderThePointer) {
  // Each caption with its value label at the widest value it shows.
  const struct {
    const char *Caption, *Value, *Slider;
    int Position;
  } pairs[] = {{"Label2", "LbSeconds", "EdSeconds", 20},
               {"Label1", "LbMinFutures", "EdMinFutures", 2000},
               {"Label5", "LbFriction", "EdFriction", 299},
               {"Label8", "LbSideFriction", "EdSideFriction", 99},
               {"Label3", "LbSize", "EdSize", 25},
               {"EdAutoRadio", "LbRadio", "EdRadio", 20}};
  for (const auto& [caption, value, slider, position] : pairs) {
    Slide(slider, position);
    const QWidget& c = Find<QWidget>(caption);
    const QLabel& v = Find<QLabel>(value);
    const int32_t valueStart = v.x() + v.width() - v.fontMetrics().horizontalAdvance(v.text());
    EXPECT_LT(c.x() + c.sizeHint().width(), valueStart)
        << caption << " runs into " << value << " at " << v.text().toStdString();
    EXPECT_GE(c.width(), c.sizeHint().width()) << caption << " is cut";
  }
  for (const auto& [check, box] :
       {std::pair{"EdCollisions", "EdTrackParams"}, std::pair{"EdEvolution", "GroupBox3"}}) {
    const QWidget& c = Find<QWidget>(check);
    EXPECT_LT(c.x() + c.sizeHint().width(), Find<QWidget>(box).width() - 2) << check;
    EXPECT_GE(c.width(), c.sizeHint().width()) << check << " is cut";
  }
  for (const char* name : {"BtnAddPlayer", "SpeedButton7", "BtnSubPlayer", "SpeedButton6",
                           "SpeedButton5", "SpeedButton8", "SpeedButton9"})
    EXPECT_TRUE(Find<QToolButton>(name).autoRaise()) << name;
  // "+Kart" below the title line of its box.
  const auto& box = Find<QGroupBox>("edChoosePlayer");
  QStyleOptionGroupBox option;
  option.initFrom(&box);
  option.text = box.title();
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  const QRect frame =
      box.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, &box);
  EXPECT_GT(Find<QWidget>("BtnAddPlayer").y(), frame.top());
}

TEST_F(TWindowLayout, TheColourPanelFollowsTheChosenPlayerRecolouredWhileRunning) {
  Slide("EdSeconds", 1);
  // As evolution recolours a player from its goals during a step.
  Form->SelectedPlayer()->SetColor(0x123456);
  RunPasses(1);
  EXPECT_EQ(Find<QPushButton>("EdColor").palette().color(QPalette::Button),
            QColor(0x56, 0x34, 0x12));
}

TEST_F(TWindowLayout, TheWheelScrollsThePanelUnlessASliderHasTheFocus) {
  for (int32_t i = 0; i < 20; ++i)
    Trigger("Runfast1");
  QCoreApplication::processEvents();
  QScrollBar& scroll = *Find<QScrollArea>("Panel4Scroll").verticalScrollBar();
  QSlider& slider = *Find<QGroupBox>("EdGoals").findChildren<QSlider*>().front();
  const int value = slider.value();
  // A notch down, over the slider.
  const auto wheel = [&] {
    const QPointF at(slider.width() / 2.0, slider.height() / 2.0);
    QWheelEvent event(at, slider.mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&slider, &event);
  };
  wheel();
  EXPECT_EQ(slider.value(), value);
  EXPECT_GT(scroll.value(), 0);
  Form->activateWindow();
  slider.setFocus();
  ASSERT_TRUE(slider.hasFocus());
  wheel();
  EXPECT_NE(slider.value(), value);
}
