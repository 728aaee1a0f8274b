#include "ui/window/UGoalRows.h"

#include <QLabel>
#include <QPointer>
#include <QSlider>
#include <QWidget>

#include "agents/UPlayer2D.h"
#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "ui/window/UDialogs.h"
#include "ui/window/UFormTest2D.h"
#include "ui/window/UHandlerTrace.h"
#include "ui/window/UKartsimApp.h"
#include "ui/window/URunLoop.h"
#include "ui_UFormTest2D.h"
#include "world/USettingsTable.h"
#include "world/UWorldCommand.h"

namespace {

constexpr int32_t RowLeft = 10;         // pixels, within the box
constexpr int32_t SliderOffset = 14;    // pixels below the row's top
constexpr int32_t BoxBottomMargin = 10; // pixels below the last row
constexpr int32_t SliderTickEvery = 10;

// A goal's strength, whose steps its slider takes from 0 to the goal's largest value.
const TSettingRow& Strength() {
  return TSettingsTable::Row("value");
}

int32_t TagOf(const QObject* Control) {
  return Control != nullptr ? Control->property("tag").toInt() : 0;
}

QString ValueText(const TGoal& Goal) {
  return QString::asprintf("%3.2f", Goal.FValue);
}

} // namespace

TGoalRows::TGoalRows(TFormTest2D& Form) : FForm(Form) {
  Ui::TFormTest2D& ui = Form.Controls();
  FPopup.setObjectName("PopupGoalParam");
  FPopup.addAction(ui.menuBetterSooner);
  FPopup.addSeparator();
  FPopup.addAction(ui.menuIndividual);
  FPopup.addAction(ui.menuCooperative);
  FPopup.addAction(ui.menuCompetitive);
  ConnectHandler(ui.menuBetterSooner, &QAction::triggered, this, &TGoalRows::menuBetterSooerClick);
  ConnectHandler(ui.menuIndividual, &QAction::triggered, this, &TGoalRows::menuIndividualClick);
  ConnectHandler(ui.menuCooperative, &QAction::triggered, this, &TGoalRows::menuCooperativeClick);
  ConnectHandler(ui.menuCompetitive, &QAction::triggered, this, &TGoalRows::menuCompetitiveClick);
  AttachPopup(ui.EdGoals);
}

TGoal* TGoalRows::GoalOfTag(int32_t Tag) const {
  if (Tag < 0) {
    const TTeam& team = FForm.CurrentTeam();
    const int32_t j = -Tag - 1;
    return j < team.GoalCount() ? team.Goals(j) : nullptr;
  }
  const TPlayer2D* player = FForm.SelectedPlayer();
  const int32_t i = Tag - 1;
  return player != nullptr && i >= 0 && i < player->GoalCount() ? player->Goals(i) : nullptr;
}

void TGoalRows::AttachPopup(QWidget* Control) {
  Control->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Control, &QWidget::customContextMenuRequested, this, [this, Control](const QPoint& Pos) {
    TKartsimApp::RunHandler([&] {
      const THandlerTrace trace("PopupGoalParamPopup");
      PopupGoalParamPopup(Control->mapToGlobal(Pos));
      FForm.Dialogs().Popup(FPopup, Control->mapToGlobal(Pos));
    });
  });
}

void TGoalRows::UpdateGoals() {
  QWidget& box = *FForm.Controls().EdGoals;
  // The rows' own handlers never rebuild the rows, so none of them is deleted while it runs.
  for (QWidget* control : box.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    delete control;
  int32_t top = FirstRowTop;
  if (const TPlayer2D* player = FForm.SelectedPlayer())
    for (int32_t i = 0; i < player->GoalCount(); ++i)
      AddGoalRow(i + 1, *player->Goals(i), top);
  const TTeam& team = FForm.CurrentTeam();
  for (int32_t j = 0; j < team.GoalCount(); ++j)
    AddGoalRow(-(j + 1), *team.Goals(j), top);
}

void TGoalRows::AddGoalRow(int32_t Tag, const TGoal& Goal, int32_t& Top) {
  QWidget& box = *FForm.Controls().EdGoals;
  const QString description = QString::fromStdString(Goal.FDescription);
  auto* name = new QLabel((Tag < 0 ? "T: " : "P: ") + description, &box);
  name->setToolTip(Tag < 0 ? "Team goal" : "Player goal");
  name->move(RowLeft, Top);
  name->adjustSize();

  auto* slider = new QSlider(Qt::Horizontal, &box);
  slider->setTickPosition(QSlider::NoTicks);
  slider->setGeometry(RowLeft, Top + SliderOffset, box.width() - 2 * RowLeft, 17);
  const int32_t steps = Strength().LastPosition();
  slider->setProperty("setting", QString::fromStdString(Strength().Key));
  slider->setRange(Strength().FirstPosition(), steps);
  slider->setTickInterval(SliderTickEvery);
  slider->setValue(RoundToInt32(steps * Goal.FValue / Goal.FMaxValue));
  // Bound only once its position is set, so that building a row changes no goal.
  ConnectHandler(slider, &QSlider::valueChanged, this, &TGoalRows::GoalSliderChange);

  auto* value = new QLabel(ValueText(Goal), &box);
  value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  value->setGeometry(slider->x(), Top, slider->width(), name->sizeHint().height());

  for (QWidget* control :
       {static_cast<QWidget*>(name), static_cast<QWidget*>(slider), static_cast<QWidget*>(value)}) {
    control->setProperty("tag", Tag);
    AttachPopup(control);
    control->show();
  }
  Top += GoalRowHeight;
  box.setFixedHeight(Top + BoxBottomMargin);
}

void TGoalRows::GoalSliderChange() {
  const THandlerTrace trace(__func__);
  const auto* slider = qobject_cast<const QSlider*>(sender());
  if (slider == nullptr)
    return;
  // The row may be rebuilt before a change that waits for the end of a step is applied.
  FForm.RunLoop().ApplyOrDefer(__func__, [this, row = QPointer<const QSlider>(slider)] {
    if (row != nullptr)
      SetGoalFromSlider(*row);
  });
}

void TGoalRows::SetGoalFromSlider(const QSlider& Slider) {
  const QSlider* slider = &Slider;
  const int32_t tag = TagOf(slider);
  TGoal* goal = GoalOfTag(tag);
  if (goal == nullptr)
    return;
  FForm.RunLoop().Command(
      TWorldCommand("goal_value", {double(tag), static_cast<double>(slider->value()) /
                                                    Strength().LastPosition() * goal->FMaxValue}));
  for (QLabel* label : FForm.Controls().EdGoals->findChildren<QLabel*>())
    if ((label->alignment() & Qt::AlignRight) && TagOf(label) == tag)
      label->setText(ValueText(*goal));
}

void TGoalRows::PopupGoalParamPopup(const QPoint& GlobalPos) {
  Ui::TFormTest2D& ui = FForm.Controls();
  QWidget* control = ui.EdGoals->childAt(ui.EdGoals->mapFromGlobal(GlobalPos));
  const int32_t tag = TagOf(control);
  const TGoal* goal = GoalOfTag(tag);
  QAction* items[] = {ui.menuBetterSooner, ui.menuIndividual, ui.menuCooperative,
                      ui.menuCompetitive};
  for (QAction* item : items)
    item->setProperty("tag", goal != nullptr ? tag : 0);
  if (goal == nullptr) {
    // Not on a row: there is no goal for the items to act on.
    for (QAction* item : items)
      item->setEnabled(false);
    return;
  }
  ui.menuBetterSooner->setChecked(goal->FSoonerBetter);
  ui.menuBetterSooner->setEnabled(true);
  ui.menuIndividual->setChecked(goal->FMode == gmIndividual);
  ui.menuCooperative->setChecked(goal->FMode == gmCooperative);
  ui.menuCompetitive->setChecked(goal->FMode == gmCompetitive);
  for (QAction* item : {ui.menuIndividual, ui.menuCooperative, ui.menuCompetitive})
    item->setEnabled(tag < 0);
}

void TGoalRows::menuBetterSooerClick() {
  const THandlerTrace trace(__func__);
  const QAction& item = *FForm.Controls().menuBetterSooner;
  FForm.RunLoop().ApplyOrDefer(__func__, [this, tag = TagOf(&item), on = item.isChecked()] {
    if (GoalOfTag(tag) != nullptr)
      FForm.RunLoop().Command(TWorldCommand("goal_sooner", {double(tag), on ? 1.0 : 0.0}));
  });
}

void TGoalRows::SetModeOfItemGoal(const char* Handler, const QObject* Item, uint8_t Mode) {
  FForm.RunLoop().ApplyOrDefer(Handler, [this, tag = TagOf(Item), Mode] {
    if (GoalOfTag(tag) != nullptr)
      FForm.RunLoop().Command(TWorldCommand("goal_mode", {double(tag), double(Mode)}));
  });
}

void TGoalRows::menuIndividualClick() {
  const THandlerTrace trace(__func__);
  SetModeOfItemGoal(__func__, FForm.Controls().menuIndividual, gmIndividual);
}

void TGoalRows::menuCooperativeClick() {
  const THandlerTrace trace(__func__);
  SetModeOfItemGoal(__func__, FForm.Controls().menuCooperative, gmCooperative);
}

void TGoalRows::menuCompetitiveClick() {
  const THandlerTrace trace(__func__);
  SetModeOfItemGoal(__func__, FForm.Controls().menuCompetitive, gmCompetitive);
}
