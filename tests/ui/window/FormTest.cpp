// The designed form against its description, one table for the controls and one for the menus:
// a change of the form that breaks it fails here and names the control.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QSlider>
#include <QToolButton>
#include <optional>

#include "ui_UFormTest2D.h"

namespace {

struct TControl {
  const char* Name;
  const char* Box; // the group box it lies in
  QRect Place;     // left, top, width, height; a width or height of 0 is not given
  const char* Caption;
  std::optional<std::pair<int, int>> Range;
  std::optional<int> Default; // slider position, or 1/0 for a check box or toggle
  const char* Hint = "";
  int Tag = 0;
};

const QRect Slider(int Left, int Top) {
  return {Left, Top, 209, 17};
}

const TControl Controls[] = {
    {"EdColor", "edChoosePlayer", {8, 16, 41, 25}, "Color"},
    {"EdPlayerId", "edChoosePlayer", {56, 18, 97, 0}, ""},
    {"BtnAddPlayer", "edChoosePlayer", {152, 9, 57, 17}, "+Kart", {}, {}, "Add a new kart.", 1},
    {"SpeedButton7", "edChoosePlayer", {152, 26, 57, 17}, "+Rocket", {}, {}, "Add a new kart.", 2},
    {"BtnSubPlayer", "edChoosePlayer", {210, 8, 23, 35}, "-", {}, {}, "Add a new kart."},
    {"Label2", "EdAIParams", {16, 24, 0, 0}, "Seconds in the future to simulate"},
    {"LbSeconds", "EdAIParams", {176, 24, 49, 0}, "0.001"},
    {"EdSeconds", "EdAIParams", Slider(16, 40), "", std::pair{1, 20}, 10},
    {"Label1", "EdAIParams", {16, 56, 0, 0}, "Min. number of futures"},
    {"LbMinFutures", "EdAIParams", {176, 56, 49, 0}, "0.001"},
    {"EdMinFutures", "EdAIParams", Slider(16, 72), "", std::pair{1, 2000}, 100},
    {"Label5", "EdTrackParams", {16, 24, 0, 0}, "Track friction coef."},
    {"LbFriction", "EdTrackParams", {168, 24, 57, 0}, "0.001"},
    {"EdFriction", "EdTrackParams", Slider(16, 40), "", std::pair{1, 300}, 20},
    {"Label8", "EdTrackParams", {16, 56, 0, 0}, "Slide friction coeficient"},
    {"LbSideFriction", "EdTrackParams", {168, 60, 57, 0}, "x2.0"},
    {"EdSideFriction", "EdTrackParams", Slider(16, 72), "", std::pair{0, 100}, 50},
    {"EdCollisions",
     "EdTrackParams",
     {24, 88, 0, 0},
     "Detect collisions \"player to player\".",
     {},
     1},
    {"Label3", "EdPlayerParams", {16, 24, 0, 0}, "Player size"},
    {"LbSize", "EdPlayerParams", {160, 24, 57, 0}, "1.9"},
    {"EdSize", "EdPlayerParams", Slider(16, 40), "", std::pair{4, 40}, 8},
    {"EdAutoRadio", "EdPlayerParams", {16, 56, 0, 0}, "Auto adjust grid size.", {}, 1},
    {"LbRadio", "EdPlayerParams", {184, 56, 41, 0}, "0.001"},
    {"EdRadio", "EdPlayerParams", Slider(16, 72), "", std::pair{5, 25}, 15},
    {"Label9", "EdPlayerParams", {16, 88, 0, 0}, "AI Level"},
    {"EdAI_Level", "EdPlayerParams", {24, 104, 201, 0}, ""},
    {"SpeedButton1", "EdHandMove", {8, 21, 23, 22}, "<"},
    {"SpeedButton2", "EdHandMove", {32, 16, 23, 17}, "^"},
    {"SpeedButton3", "EdHandMove", {56, 21, 23, 22}, ">"},
    {"SpeedButton4", "EdHandMove", {32, 34, 23, 17}, "v"},
    {"SpeedButton6", "EdHandMove", {88, 24, 49, 25}, "Turn left"},
    {"SpeedButton5", "EdHandMove", {136, 24, 49, 25}, "Turn right"},
    {"SpeedButton8",
     "EdHandMove",
     {208, 8, 23, 22},
     "+E",
     {},
     {},
     "Gives full energy back to player",
     0},
    {"SpeedButton9",
     "EdHandMove",
     {208, 30, 23, 22},
     "+H",
     {},
     {},
     "Gives full health back to player",
     1},
    {"StartBtn", "GroupBox3", {16, 16, 65, 25}, "Run", {}, 0},
    {"PauseBtn", "GroupBox3", {88, 16, 65, 25}, "Pause", {}, 0},
    {"BtnReset", "GroupBox3", {160, 16, 57, 25}, "Reset"},
    {"EdEvolution", "GroupBox3", {40, 48, 0, 0}, "Allow evolution of goal params.", {}, 0},
};

// The flat buttons of the description: raised under the pointer.
const char* const FlatButtons[] = {"BtnAddPlayer", "SpeedButton7", "BtnSubPlayer", "SpeedButton6",
                                   "SpeedButton5", "SpeedButton8", "SpeedButton9"};

struct TBox {
  const char* Name;
  const char* Caption;
  int Height;
};

const TBox Boxes[] = {
    {"edChoosePlayer", "Chose a player", 48}, {"EdAIParams", "Basic AI params", 95},
    {"EdTrackParams", "Track params.", 112},  {"EdPlayerParams", "Player params.", 136},
    {"EdGoals", "Player and Team goals", 70}, {"EdHandMove", "Move and rotate player manually", 56},
    {"GroupBox3", "Start/Stop sim.", 70}};

enum TToggle { tgNone, tgUnchecked, tgChecked };

struct TItem {
  const char* Menu;
  const char* Name;
  const char* Caption;
  TToggle Toggle;
};

const TItem Items[] = {
    {"File1", "Loadcircuit800x600BMP1",
     "Load another circuit (800x600 BMP, pure black is out of track)", tgNone},
    {"File1", "Saveimagestofolder",
     "Chose folder for saving images (give it a file name before pressing OK)", tgUnchecked},
    {"Addaformation1", "Addacircleofkarts1", "Add a circle of karts", tgNone},
    {"Addagoal1", "Runfast1", "Love speeding (aditive)", tgNone},
    {"Addagoal1", "Keepenergyhunger1", "Take care of energy (reduction)", tgNone},
    {"Addagoal1", "Keephealth1", "Take care of health (reduction)", tgNone},
    {"Addagoal1", "Addateamgoalforcollectingdrops1",
     "Collect energy drops (add energy, no scoring)", tgNone},
    {"Addagoal1", "Addateamgoalforstoringcollecteddrops1",
     "Store energy in a box (will keep a 10% for it)", tgNone},
    {"Addagoal1", "Suckenergyfromplayersinfrontofyou1", "Suck energy from players in front of you",
     tgNone},
    {"Addagoal1", "AvoidOtherPlayers", "Avoid other players (reduction)", tgNone},
    {"Addagoal1", "FollowMouse", "Follow mouse", tgNone},
    {"Addagoal1", "AvoidMouse", "Avoid mouse", tgNone},
    {"Addagoal1", "DeleteallTeamsGoals1", "Delete all Team's goals", tgNone},
    {"Addagoal1", "Deleteallplayerspersonalgoals1", "Delete all players' personal goals", tgNone},
    {"PanelView1", "menuBasicAIparams", "Basic AI params.", tgChecked},
    {"PanelView1", "menuGoals", "Player's Goals", tgChecked},
    {"PanelView1", "menuChoosePlayer", "Choose a player", tgChecked},
    {"PanelView1", "menuPlayerParams", "Player's Params", tgUnchecked},
    {"PanelView1", "MenuTrackParams", "Track's params", tgUnchecked},
    {"PanelView1", "menuHandMove", "Hand move/rotate player", tgChecked},
    {"Graphicdebuglevels1", "MenuDebugTraces", "Draw the traces of the futures", tgUnchecked},
    {"Graphicdebuglevels1", "MenuDebugOptions", "Draw the ending points", tgUnchecked},
    {"Graphicdebuglevels1", "MenuDebugLevels", "Draw levels (energy, health)", tgUnchecked},
    {"Graphicdebuglevels1", "MenuDebugGoals", "Draw the \"goals\" of the player", tgUnchecked},
    {"Graphicdebuglevels1", "MenuDebugTeamGoals", "Draw the \"goals\" of the team", tgUnchecked},
};

const char* const Menus[][2] = {{"File1", "File"},
                                {"Addaformation1", "Add a formation"},
                                {"Addagoal1", "Add a team goals"},
                                {"PanelView1", "Panel View"},
                                {"Graphicdebuglevels1", "Debug"}};

QString CaptionOf(const QWidget& Control) {
  if (const auto* label = qobject_cast<const QLabel*>(&Control))
    return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&Control))
    return button->text();
  return {};
}

class TDesignedForm : public ::testing::Test {
protected:
  void SetUp() override { Ui.setupUi(&Window); }
  template <class T> T* Find(const char* Name) const { return Window.findChild<T*>(Name); }

  QMainWindow Window;
  Ui::TFormTest2D Ui;
};

} // namespace

TEST_F(TDesignedForm, EveryControlHasItsCaptionPlaceRangeDefaultAndHint) {
  EXPECT_EQ(Window.size(), QSize(1060, 703));
  EXPECT_EQ(Window.windowTitle(), "Kart simulation using \"Causal Entropic Forces\" V1.2");
  for (const TBox& b : Boxes) {
    const auto* box = Find<QGroupBox>(b.Name);
    ASSERT_NE(box, nullptr) << b.Name;
    EXPECT_EQ(box->title(), b.Caption) << b.Name;
    EXPECT_EQ(box->minimumWidth(), 237) << b.Name;
    EXPECT_EQ(box->minimumHeight(), b.Height) << b.Name;
  }
  EXPECT_EQ(Find<QGroupBox>("EdGoals")->toolTip(), "Use right buton for more options");
  for (const TControl& c : Controls) {
    SCOPED_TRACE(c.Name);
    const auto* control = Find<QWidget>(c.Name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parent()->objectName(), c.Box);
    EXPECT_EQ(control->pos(), c.Place.topLeft());
    if (c.Place.width() > 0) {
      EXPECT_EQ(control->width(), c.Place.width());
    }
    if (c.Place.height() > 0) {
      EXPECT_EQ(control->height(), c.Place.height());
    }
    EXPECT_EQ(CaptionOf(*control), c.Caption);
    EXPECT_EQ(control->toolTip(), c.Hint);
    EXPECT_EQ(control->property("tag").toInt(), c.Tag);
    if (const auto* slider = qobject_cast<const QSlider*>(control)) {
      ASSERT_TRUE(c.Range.has_value());
      EXPECT_EQ(slider->orientation(), Qt::Horizontal);
      EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks);
      EXPECT_EQ(std::pair(slider->minimum(), slider->maximum()), *c.Range);
      EXPECT_EQ(slider->value(), c.Default);
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(control);
               button != nullptr && c.Default) {
      EXPECT_TRUE(button->isCheckable());
      EXPECT_EQ(button->isChecked(), *c.Default == 1);
    }
  }
  for (const char* name : FlatButtons)
    EXPECT_TRUE(Find<QToolButton>(name) != nullptr && Find<QToolButton>(name)->autoRaise()) << name;
  const QStringList levels = {"1 Count non crashing dots.", "2 Count all dots.",
                              "3 Ln( Count dots )",         "4 Raced distance",
                              "5 Raced distance ^2",        "6 5+Avoid Y-shaped cases",
                              "7 5+Lowest option=0",        "8 7+Auto adjust sensitivity"};
  const auto* ai = Find<QComboBox>("EdAI_Level");
  ASSERT_EQ(ai->count(), levels.size());
  for (int i = 0; i < ai->count(); ++i)
    EXPECT_EQ(ai->itemText(i), levels[i]) << "EdAI_Level entry " << i;
  EXPECT_EQ(ai->currentIndex(), -1);
  EXPECT_FALSE(ai->isEditable());
  EXPECT_FALSE(Find<QComboBox>("EdPlayerId")->isEditable());
  EXPECT_EQ(Find<QSlider>("EdMinFutures")->tickInterval(), 25);
  EXPECT_EQ(Find<QSlider>("EdSize")->pageStep(), 1);
  EXPECT_EQ(Find<QSlider>("EdRadio")->singleStep(), 2);
}

TEST_F(TDesignedForm, EveryMenuItemHasItsTextCheckMarkAndToggling) {
  for (const auto& [name, caption] : Menus) {
    const auto* menu = Find<QMenu>(name);
    ASSERT_NE(menu, nullptr) << name;
    EXPECT_EQ(menu->title(), caption) << name;
  }
  for (const TItem& i : Items) {
    SCOPED_TRACE(i.Name);
    auto* item = Find<QAction>(i.Name);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), i.Caption);
    EXPECT_TRUE(Find<QMenu>(i.Menu)->actions().contains(item)) << "not in " << i.Menu;
    EXPECT_EQ(item->isCheckable(), i.Toggle != tgNone);
    EXPECT_EQ(item->isChecked(), i.Toggle == tgChecked);
    item->trigger();
    EXPECT_EQ(item->isChecked(), i.Toggle == tgUnchecked) << "a click toggles it";
  }
  EXPECT_EQ(Ui.FollowMouse->property("tag").toInt(), 0);
  EXPECT_EQ(Ui.AvoidMouse->property("tag").toInt(), 1);
  for (const char* name :
       {"menuBetterSooner", "menuIndividual", "menuCooperative", "menuCompetitive"})
    EXPECT_TRUE(Find<QAction>(name) != nullptr && Find<QAction>(name)->isCheckable()) << name;
  EXPECT_EQ(Ui.menuBetterSooner->text(), "Better sooner than later");
  EXPECT_EQ(Ui.menuIndividual->text(), "Individual");
  EXPECT_EQ(Ui.menuCooperative->text(), "Cooperative");
  EXPECT_EQ(Ui.menuCompetitive->text(), "Competitive");
}
