#include "ui/window/UFormTest2D.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <numbers>

#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "ui/qt/UQtCanvas.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/USceneFile.h"
#include "ui/window/UDialogs.h"
#include "ui/window/UErrorReport.h"
#include "ui/window/UGoalMenu.h"
#include "ui/window/UGoalRows.h"
#include "ui/window/UHandlerTrace.h"
#include "ui/window/UKartsimApp.h"
#include "ui/window/UMonitorsWindow.h"
#include "ui/window/URunLoop.h"
#include "ui/window/UStandardDialogs.h"
#include "ui/window/UWheelGuard.h"
#include "ui_UFormTest2D.h"
#include "world/URoster.h"
#include "world/USettingsTable.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"
#include "world/UWorldCommand.h"

namespace {

// Hand moves: pixels per click, and a twelfth of a half turn per click, radians.
constexpr double HandStep = 5;
constexpr double HandTurn = std::numbers::pi / 12;
// What "+E" and "+H" set, on the scale of 0 to 100 of both levels.
constexpr double GivenLevel = 10;
// The circuit's own shape, which the picture control keeps.
constexpr double CircuitWidth = 800, CircuitHeight = 600;

// A value written as the shortest decimal that reads back as it (20 / 1000 gives "0.02").
QString Shortest(double X) {
  return QString::number(X, 'g', QLocale::FloatingPointShortest);
}

// Pixels kept between a caption and the value written right of it.
constexpr int32_t CaptionGap = 4;
// Below this a caption would be hard to read: the font shrinks no further, points.
constexpr double SmallestCaptionPoints = 6;

// The caption's text ends before Limit (x within its parent): its font is made smaller, step by
// step, where the toolkit's font is wider than the design's, and its control as wide as its text.
void FitCaption(QWidget& Caption, int32_t Limit) {
  const auto right = [&] { return Caption.x() + Caption.sizeHint().width(); };
  QFont font = Caption.font();
  while (right() > Limit && font.pointSizeF() > SmallestCaptionPoints) {
    font.setPointSizeF(font.pointSizeF() - 0.25);
    Caption.setFont(font);
  }
  Caption.resize(std::min(Caption.sizeHint().width(), Limit - Caption.x()), Caption.height());
}

// Where the widest value a right-aligned label will show begins.
int32_t ValueStart(const QLabel& Value, const QString& Widest) {
  return Value.x() + Value.width() - Value.fontMetrics().horizontalAdvance(Widest);
}

int32_t TagOf(const QObject* Control, int32_t Default) {
  return Control != nullptr ? Control->property("tag").toInt() : Default;
}

const TSettingRow& Setting(const char* Key) {
  return TSettingsTable::Row(Key);
}

// Each control of a setting carries its key ("setting"); a slider offers the table's range in
// the table's steps, whatever the form was designed with.
void ShowSettingsTable(Ui::TFormTest2D& Ui) {
  const std::pair<QWidget*, const char*> controls[] = {{Ui.EdSeconds, "future_ms"},
                                                       {Ui.EdMinFutures, "min_futures"},
                                                       {Ui.EdFriction, "friction"},
                                                       {Ui.EdSideFriction, "side_friction"},
                                                       {Ui.EdCollisions, "collisions"},
                                                       {Ui.EdEvolution, "evolution"},
                                                       {Ui.EdSize, "size"},
                                                       {Ui.EdRadio, "grid_size"},
                                                       {Ui.EdAutoRadio, "auto_grid"},
                                                       {Ui.EdAI_Level, "ai_level"}};
  for (const auto& [control, key] : controls) {
    control->setProperty("setting", key);
    if (auto* slider = qobject_cast<QSlider*>(control))
      slider->setRange(Setting(key).FirstPosition(), Setting(key).LastPosition());
  }
}

} // namespace

TFormTest2D::TFormTest2D() : TFormTest2D(std::make_unique<TStandardDialogs>()) {}

TFormTest2D::TFormTest2D(std::unique_ptr<TDialogs> Dialogs, QWidget* Parent)
    : QMainWindow(Parent), FUi(std::make_unique<Ui::TFormTest2D>()),
      FDialogs(Dialogs != nullptr ? std::move(Dialogs) : std::make_unique<TStandardDialogs>()) {
  FUi->setupUi(this);
  ShowSettingsTable(*FUi);
  FitCaptions();
  FStatus = new QLabel(this);
  FStatus->setObjectName("LbStatus");
  FUi->StatusBar->addWidget(FStatus, 1);
  if (const QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - rect().center());
  // When the upper boxes scroll, their thin scroll bar takes 4 pixels of their width: the boxes
  // follow the width left, which still holds every control (the rightmost, "-", ends at 233), so
  // that nothing is cut and nothing scrolls across.
  for (QWidget* box : {FUi->edChoosePlayer, FUi->EdAIParams, FUi->EdTrackParams,
                       FUi->EdPlayerParams, FUi->EdGoals})
    box->setMinimumWidth(0);
  new TWheelGuard(*FUi->Panel4Scroll, this);
  FRunLoop = std::make_unique<TRunLoop>(*this);
  FGoalRows = std::make_unique<TGoalRows>(*this);
  FGoalMenu = std::make_unique<TGoalMenu>(*this);
  if (auto* app = dynamic_cast<TKartsimApp*>(QCoreApplication::instance()))
    app->SetReportSink([this](const TErrorReport& Report) { ShowReport(Report); });
  ConnectHandlers();
  FormCreate();
}

TFormTest2D::~TFormTest2D() {
  // The world is the step's while one runs: it is taken back before it goes.
  FRunLoop->Stop();
  if (auto* app = dynamic_cast<TKartsimApp*>(QCoreApplication::instance()))
    app->SetReportSink(nullptr);
  FUi->ImgRoad->SetPicture(nullptr);
  FWorld.reset();
}

void TFormTest2D::FormCreate() {
  FStartFolder = QDir::homePath();
  menuPlayerParamsClick();
  FWorld = std::make_unique<TWorld>(TQtPicture::LoadDefaultCircuit(), "default", SeedFromClock());
  FPicture = std::make_unique<TQtPicture>(FWorld->Circuit().Width(), FWorld->Circuit().Height());
  FUi->ImgRoad->SetPicture(FPicture.get());
  AddPlayer(TRoster::pkRocket);
  Redraw();
  FRunLoop->StartReplay();
}

TTrack2D& TFormTest2D::Track() const {
  return FWorld->Track();
}

TQtPicture& TFormTest2D::Picture() const {
  return *FPicture;
}

void TFormTest2D::ReplaceWorld(std::unique_ptr<TWorld> World) {
  // Never while a step runs: the world is the step's then.
  FRunLoop->Stop();
  // The old world goes only once the new one is in place: the panel never shows none.
  std::unique_ptr<TWorld> old = std::exchange(FWorld, std::move(World));
  old.reset();
  const TTeam& team = CurrentTeam();
  FillPlayerEntries();
  FUi->EdEvolution->setChecked(Track().Evolution());
  FUi->EdCollisions->setChecked(Track().Settings().FCollisions);
  FUi->MenuDebugTeamGoals->setChecked(team.FDrawGoals);
  // The sliders take the world's values as near as their positions go; what lies between two
  // positions stays as it was opened (the value handlers change only what a slider moved).
  CopyParamsFromPlayer();
  Redraw();
  // What the sliders' rounding changed belongs to the world the replay starts from.
  FRunLoop->StartReplay();
}

void TFormTest2D::OpenScene(const QString& FileName) {
  // Read whole before anything changes: a bad file leaves the world as it was.
  std::unique_ptr<TWorld> world = TSceneFile::Open(FileName);
  world->Reseed(SeedFromClock());
  ReplaceWorld(std::move(world));
  ShowSceneName(FileName);
}

void TFormTest2D::OpenFromCommandLine(const QStringList& Arguments) {
  if (Arguments.isEmpty())
    return;
  try {
    OpenScene(Arguments.front());
  } catch (...) {
    ReportCurrentError("opening the scene given on the command line");
  }
}

void TFormTest2D::SaveScene(const QString& FileName) {
  TSceneFile::Save(*FWorld, FileName);
  ShowSceneName(FileName);
}

void TFormTest2D::ShowSceneName(const QString& FileName) {
  if (FDesignTitle.isEmpty())
    FDesignTitle = windowTitle();
  setWindowTitle(QFileInfo(FileName).fileName() + " - " + FDesignTitle);
}

void TFormTest2D::OpenSceneClick() {
  const THandlerTrace trace(__func__);
  const std::optional<QString> name =
      FDialogs->OpenPicture(this, TSceneFile::Filter(), FStartFolder);
  if (!name)
    return;
  UseFolderOf(*name);
  // The step in progress is abandoned rather than waited for.
  FRunLoop->Interrupt(__func__, [this, file = *name] { OpenScene(file); });
}

void TFormTest2D::SaveSceneAsClick() {
  const THandlerTrace trace(__func__);
  const std::optional<QString> name =
      FDialogs->SaveFileAs(this, FStartFolder, TSceneFile::Filter(), {".kartsim.json"});
  if (!name)
    return;
  UseFolderOf(*name);
  // The world as it stands between steps, never half through one.
  FRunLoop->RunOrDefer(__func__, [this, file = *name] { SaveScene(file); });
}

void TFormTest2D::SetWorld(const char* Key, double Value) {
  FRunLoop->Command(TWorldCommand("world_setting", {Value}, Key));
}

void TFormTest2D::UseFolderOf(const QString& FileName) {
  FStartFolder = QFileInfo(FileName).absolutePath();
}

void TFormTest2D::FitCaptions() {
  Ui::TFormTest2D& ui = *FUi;
  // Each caption with the widest value its label can show ("20 s." of seconds 1 to 20).
  const auto last = [](QSlider* Slider) { return QString::number(Slider->maximum()); };
  const std::pair<QWidget*, int32_t> captions[] = {
      {ui.Label2, ValueStart(*ui.LbSeconds, last(ui.EdSeconds) + " s.") - CaptionGap},
      {ui.Label1, ValueStart(*ui.LbMinFutures, last(ui.EdMinFutures)) - CaptionGap},
      {ui.Label5, ValueStart(*ui.LbFriction, "0.299") - CaptionGap},
      {ui.Label8, ValueStart(*ui.LbSideFriction, "0.99") - CaptionGap},
      {ui.Label3, ValueStart(*ui.LbSize, last(ui.EdSize) + "px") - CaptionGap},
      {ui.EdAutoRadio, ValueStart(*ui.LbRadio, last(ui.EdRadio) + "px") - CaptionGap},
      // Check boxes within their box's border (the boxes have their designed, fixed width).
      {ui.EdCollisions, ui.EdTrackParams->minimumWidth() - 2 * CaptionGap},
      {ui.EdEvolution, ui.GroupBox3->minimumWidth() - 2 * CaptionGap}};
  for (const auto& [caption, limit] : captions)
    FitCaption(*caption, limit);
}

void TFormTest2D::ConnectHandlers() {
  Ui::TFormTest2D& ui = *FUi;
  // What changes the world or a player waits, while a step runs, for its end (ConnectChange);
  // what adds or removes players or goals defers itself (RunOrDefer).
  ConnectChange(*FRunLoop, "EdColorClick", ui.EdColor, &QPushButton::clicked, this,
                &TFormTest2D::EdColorClick);
  ConnectChange(*FRunLoop, "EdPlayerIdChange", ui.EdPlayerId, &QComboBox::activated, this,
                &TFormTest2D::EdPlayerIdChange);
  ConnectHandler(ui.EdPlayerId, &TPlayerList::DroppedDown, this, &TFormTest2D::EdPlayerIdEnter);
  ConnectHandler(ui.BtnAddPlayer, &QAbstractButton::clicked, this, &TFormTest2D::BtnAddPlayerClick);
  ConnectHandler(ui.SpeedButton7, &QAbstractButton::clicked, this, &TFormTest2D::BtnAddPlayerClick);
  ConnectHandler(ui.BtnSubPlayer, &QAbstractButton::clicked, this, &TFormTest2D::BtnSubPlayerClick);
  ConnectChange(*FRunLoop, "EdSecondsChange", ui.EdSeconds, &QSlider::valueChanged, this,
                &TFormTest2D::EdSecondsChange);
  ConnectChange(*FRunLoop, "EdMinFuturesChange", ui.EdMinFutures, &QSlider::valueChanged, this,
                &TFormTest2D::EdMinFuturesChange);
  ConnectChange(*FRunLoop, "EdFrictionChange", ui.EdFriction, &QSlider::valueChanged, this,
                &TFormTest2D::EdFrictionChange);
  ConnectChange(*FRunLoop, "EdSideFrictionChange", ui.EdSideFriction, &QSlider::valueChanged, this,
                &TFormTest2D::EdSideFrictionChange);
  ConnectChange(*FRunLoop, "EdCollisionsClick", ui.EdCollisions, &QCheckBox::clicked, this,
                &TFormTest2D::EdCollisionsClick);
  ConnectChange(*FRunLoop, "EdSizeChange", ui.EdSize, &QSlider::valueChanged, this,
                &TFormTest2D::EdSizeChange);
  ConnectChange(*FRunLoop, "EdAutoRadioClick", ui.EdAutoRadio, &QCheckBox::clicked, this,
                &TFormTest2D::EdAutoRadioClick);
  ConnectChange(*FRunLoop, "EdRadioChange", ui.EdRadio, &QSlider::valueChanged, this,
                &TFormTest2D::EdRadioChange);
  ConnectChange(*FRunLoop, "EdAI_LevelChange", ui.EdAI_Level, &QComboBox::activated, this,
                &TFormTest2D::EdAI_LevelChange);
  ConnectChange(*FRunLoop, "SpeedButton1Click", ui.SpeedButton1, &QPushButton::clicked, this,
                &TFormTest2D::SpeedButton1Click);
  ConnectChange(*FRunLoop, "SpeedButton2Click", ui.SpeedButton2, &QPushButton::clicked, this,
                &TFormTest2D::SpeedButton2Click);
  ConnectChange(*FRunLoop, "SpeedButton3Click", ui.SpeedButton3, &QPushButton::clicked, this,
                &TFormTest2D::SpeedButton3Click);
  ConnectChange(*FRunLoop, "SpeedButton4Click", ui.SpeedButton4, &QPushButton::clicked, this,
                &TFormTest2D::SpeedButton4Click);
  ConnectChange(*FRunLoop, "SpeedButton5Click", ui.SpeedButton5, &QAbstractButton::clicked, this,
                &TFormTest2D::SpeedButton5Click);
  ConnectChange(*FRunLoop, "SpeedButton6Click", ui.SpeedButton6, &QAbstractButton::clicked, this,
                &TFormTest2D::SpeedButton6Click);
  ConnectHandler(ui.SpeedButton8, &QAbstractButton::clicked, this, &TFormTest2D::SpeedButton8Click);
  ConnectHandler(ui.SpeedButton9, &QAbstractButton::clicked, this, &TFormTest2D::SpeedButton8Click);
  ConnectChange(*FRunLoop, "EdEvolutionClick", ui.EdEvolution, &QCheckBox::clicked, this,
                &TFormTest2D::EdEvolutionClick);
  ConnectHandler(ui.Addacircleofkarts1, &QAction::triggered, this,
                 &TFormTest2D::Addacircleofkarts1Click);
  for (QAction* item : {ui.menuBasicAIparams, ui.menuGoals, ui.menuChoosePlayer,
                        ui.menuPlayerParams, ui.MenuTrackParams, ui.menuHandMove})
    ConnectHandler(item, &QAction::triggered, this, &TFormTest2D::menuPlayerParamsClick);
  ConnectHandler(ui.MenuMonitors, &QAction::triggered, this, &TFormTest2D::MenuMonitorsClick);
  ConnectHandler(ui.OpenScene, &QAction::triggered, this, &TFormTest2D::OpenSceneClick);
  ConnectHandler(ui.SaveSceneAs, &QAction::triggered, this, &TFormTest2D::SaveSceneAsClick);
  for (QAction* item : {ui.MenuDebugTraces, ui.MenuDebugOptions, ui.MenuDebugLevels,
                        ui.MenuDebugGoals, ui.MenuDebugTeamGoals})
    ConnectChange(*FRunLoop, "EdDebugChange", item, &QAction::triggered, this,
                  &TFormTest2D::EdDebugChange);
  ui.PanelImg->installEventFilter(this);
}

TTeam& TFormTest2D::CurrentTeam() const {
  return FWorld->CurrentTeam();
}

TPlayer2D* TFormTest2D::SelectedPlayer() const {
  TPlayer* player = CurrentTeam().Selected();
  return player != nullptr ? player->AsPlayer2D() : nullptr;
}

void TFormTest2D::Redraw() {
  Paint(false);
  UpdateMonitors(false);
}

void TFormTest2D::PaintStep() {
  Paint(true);
}

void TFormTest2D::Paint(bool AfterStep) {
  FPicture->CopyFrom(FWorld->Circuit());
  FWorld->Paint(FPicture->Canvas(), AfterStep);
  FUi->ImgRoad->update();
}

void TFormTest2D::ReportCurrentError(const std::string& Where) {
  const TErrorReport report = TErrorReport::FromCurrentException(Where);
  if (auto* app = dynamic_cast<TKartsimApp*>(QCoreApplication::instance()))
    app->Report(report);
  else
    ShowReport(report);
}

void TFormTest2D::ShowReport(TErrorReport Report) {
  // The replay as it stands when the error is shown: up to the step or the change that failed.
  if (Report.Replay.isEmpty())
    Report.Replay = FRunLoop->EncodedReplay();
  FDialogs->ShowReport(this, Report);
}

// ---- players ----

TPlayer2D* TFormTest2D::AddPlayer(int32_t Kind) {
  // New players' colours and goal values come from the world's own stream.
  const TRandom::TUse use = FWorld->UseRandom();
  TPlayer2D* player = TRoster(Track()).AddPlayer(Kind);
  if (player == nullptr)
    return nullptr;
  AddPlayerEntry();
  CopyParamsFromPlayer();
  Redraw();
  return player;
}

void TFormTest2D::AddPlayerEntry() {
  FUi->EdPlayerId->addItem("Player #" + QString::number(Track().PlayerCount()));
  FUi->EdPlayerId->setCurrentIndex(FUi->EdPlayerId->count() - 1);
}

void TFormTest2D::BtnAddPlayerClick() {
  const THandlerTrace trace(__func__);
  const int32_t kind = TagOf(sender(), TRoster::pkKart);
  FRunLoop->RunOrDefer(__func__, [this, kind] { AddPlayerAhead(kind); });
}

void TFormTest2D::AddPlayerAhead(int32_t Kind) {
  const int32_t before = CurrentTeam().MemberCount();
  FRunLoop->Command(TWorldCommand("add_player", {double(Kind), 1}));
  if (CurrentTeam().MemberCount() == before)
    return;
  AddPlayerEntry();
  CopyParamsFromPlayer();
  Redraw();
}

void TFormTest2D::BtnSubPlayerClick() {
  const THandlerTrace trace(__func__);
  FRunLoop->RunOrDefer(__func__, [this] { RemoveSelectedPlayer(); });
}

void TFormTest2D::RemoveSelectedPlayer() {
  TPlayer2D* player = SelectedPlayer();
  if (Track().PlayerCount() < 2 || player == nullptr)
    return;
  FRunLoop->Command(TWorldCommand("remove_player"));
  if (FUi->EdPlayerId->count() > 0)
    FUi->EdPlayerId->removeItem(FUi->EdPlayerId->count() - 1);
  FUi->EdPlayerId->setCurrentIndex(0);
  EdPlayerIdChange();
  Redraw();
}

void TFormTest2D::Addacircleofkarts1Click() {
  const THandlerTrace trace(__func__);
  FRunLoop->RunOrDefer(__func__, [this] { AddCircleOfKarts(); });
}

void TFormTest2D::AddCircleOfKarts() {
  FUi->EdPlayerId->clear();
  FRunLoop->Command(TWorldCommand("circle_of_karts"));
  for (int32_t i = 1; i <= Track().PlayerCount(); ++i)
    FUi->EdPlayerId->addItem("Player #" + QString::number(i));
  FUi->EdPlayerId->setCurrentIndex(FUi->EdPlayerId->count() - 1);
  CopyParamsFromPlayer();
  Redraw();
}

void TFormTest2D::ClearPlayers() {
  TRoster(Track()).ClearPlayers();
  FUi->EdPlayerId->clear();
}

void TFormTest2D::FillPlayerEntries() {
  const TTeam& team = CurrentTeam();
  FUi->EdPlayerId->clear();
  for (int32_t i = 0; i < team.MemberCount(); ++i)
    FUi->EdPlayerId->addItem("Player #" + QString::number(i));
  const int32_t chosen = team.IndexOfMember(team.Selected());
  FUi->EdPlayerId->setCurrentIndex(team.MemberCount() == 0 ? -1 : std::max(chosen, 0));
}

void TFormTest2D::EdPlayerIdEnter() {
  const THandlerTrace trace(__func__);
  // Inside a step the world is the step's; the list is refilled after it whenever a member came
  // or went.
  if (FRunLoop->InStep())
    return;
  Track().RebuildPlayers();
  FillPlayerEntries();
}

void TFormTest2D::EdPlayerIdChange() {
  const THandlerTrace trace(__func__);
  TTeam& team = CurrentTeam();
  const int32_t index = FUi->EdPlayerId->currentIndex();
  if (index < 0 || index >= team.MemberCount())
    return;
  if (team.Selected() != team.Members(index))
    FRunLoop->Command(TWorldCommand("choose_player", {double(index)}));
  CopyParamsFromPlayer();
}

QColor TFormTest2D::ColorPanel() const {
  return FUi->EdColor->palette().color(QPalette::Button);
}

void TFormTest2D::SetColorPanel(int32_t Color) {
  QPalette palette = FUi->EdColor->palette();
  palette.setColor(QPalette::Button, TQtCanvas::ToQColor(Color));
  FUi->EdColor->setPalette(palette);
}

void TFormTest2D::EdColorClick() {
  const THandlerTrace trace(__func__);
  if (SelectedPlayer() == nullptr)
    return;
  const std::optional<QColor> color = FDialogs->ChooseColor(this, ColorPanel());
  // The dialog let other handlers run: the chosen player is asked for again.
  TPlayer2D* player = SelectedPlayer();
  if (!color || player == nullptr)
    return;
  SetColorPanel(TQtCanvas::FromQColor(*color));
  FRunLoop->Command(TWorldCommand("color", {double(TQtCanvas::FromQColor(*color))}));
  Redraw();
}

// ---- values ----

// The sliders below hold a value to their precision only (whole seconds, 1/1000 of friction...).
// A world whose value lies between two positions (an opened scene) keeps it while its slider is
// put at the nearest position, as every choice of a player does; moving the slider sets it.

void TFormTest2D::EdSecondsChange() {
  const THandlerTrace trace(__func__);
  const int32_t position = FUi->EdSeconds->value();
  const TSettingRow& seconds = Setting("future_ms");
  if (seconds.PositionOf(Track().Settings().FFutureMs) != position)
    SetWorld("future_ms", RoundToInt32(seconds.AtPosition(position)));
  FUi->LbSeconds->setText(Shortest(Track().Settings().FFutureMs / 1000.0) + " s.");
}

void TFormTest2D::EdMinFuturesChange() {
  const THandlerTrace trace(__func__);
  if (FUi->EdMinFutures->value() != Track().Settings().FMinFutures)
    SetWorld("min_futures", FUi->EdMinFutures->value());
  FUi->LbMinFutures->setText(QString::number(FUi->EdMinFutures->value()));
}

void TFormTest2D::EdFrictionChange() {
  const THandlerTrace trace(__func__);
  const int32_t position = FUi->EdFriction->value();
  if (Setting("friction").PositionOf(Track().Settings().FFriction) != position)
    SetWorld("friction", Setting("friction").AtPosition(position));
  FUi->LbFriction->setText(Shortest(Track().Settings().FFriction));
}

void TFormTest2D::EdSideFrictionChange() {
  const THandlerTrace trace(__func__);
  const int32_t position = FUi->EdSideFriction->value();
  if (Setting("side_friction").PositionOf(Track().Settings().FSideFriction) != position)
    SetWorld("side_friction", Setting("side_friction").AtPosition(position));
  FUi->LbSideFriction->setText(Shortest(Track().Settings().FSideFriction));
}

void TFormTest2D::EdCollisionsClick() {
  const THandlerTrace trace(__func__);
  if (FUi->EdCollisions->isChecked() != Track().Settings().FCollisions)
    SetWorld("collisions", FUi->EdCollisions->isChecked() ? 1 : 0);
}

void TFormTest2D::EdEvolutionClick() {
  const THandlerTrace trace(__func__);
  FRunLoop->Command(TWorldCommand("evolution", {FUi->EdEvolution->isChecked() ? 1.0 : 0.0}));
}

void TFormTest2D::EdSizeChange() {
  const THandlerTrace trace(__func__);
  TPlayer2D* player = SelectedPlayer();
  if (player == nullptr)
    return;
  const int32_t position = FUi->EdSize->value();
  if (RoundToInt32(player->Size()) != position)
    FRunLoop->Command(TWorldCommand("size", {double(position)}));
  FUi->LbSize->setText(Shortest(player->Size()) + "px");
  Redraw();
}

void TFormTest2D::EdRadioChange() {
  const THandlerTrace trace(__func__);
  TPlayer2D* player = SelectedPlayer();
  if (player == nullptr)
    return;
  if (player->GridSize() != FUi->EdRadio->value())
    FRunLoop->Command(TWorldCommand("grid_size", {double(FUi->EdRadio->value())}));
  FUi->LbRadio->setText(QString::number(FUi->EdRadio->value()) + "px");
}

void TFormTest2D::EdAutoRadioClick() {
  const THandlerTrace trace(__func__);
  const TPlayer2D* player = SelectedPlayer();
  if (player != nullptr && player->AutoGrid() != FUi->EdAutoRadio->isChecked())
    FRunLoop->Command(TWorldCommand("auto_grid", {FUi->EdAutoRadio->isChecked() ? 1.0 : 0.0}));
}

void TFormTest2D::EdAI_LevelChange() {
  const THandlerTrace trace(__func__);
  TPlayer2D* player = SelectedPlayer();
  const int32_t index = FUi->EdAI_Level->currentIndex();
  // No entry chosen chooses no level.
  if (player != nullptr && index >= 0 && player->AILevel() != index + 1)
    FRunLoop->Command(TWorldCommand("ai_level", {double(index + 1)}));
}

void TFormTest2D::EdDebugChange() {
  const THandlerTrace trace(__func__);
  Ui::TFormTest2D& ui = *FUi;
  const std::vector<double> flags = {
      double(ui.MenuDebugTraces->isChecked()), double(ui.MenuDebugOptions->isChecked()),
      double(ui.MenuDebugLevels->isChecked()), double(ui.MenuDebugGoals->isChecked()),
      double(ui.MenuDebugTeamGoals->isChecked())};
  const TPlayer2D* player = SelectedPlayer();
  const bool same =
      CurrentTeam().FDrawGoals == ui.MenuDebugTeamGoals->isChecked() &&
      (player == nullptr ||
       std::vector<double>{double(player->DrawsTraces()), double(player->DrawsEndPoints()),
                           double(player->DrawsLevels()), double(player->DrawsGoals()),
                           flags[4]} == flags);
  if (!same)
    FRunLoop->Command(TWorldCommand("draw", flags));
  Redraw();
}

void TFormTest2D::menuPlayerParamsClick() {
  const THandlerTrace trace(__func__);
  Ui::TFormTest2D& ui = *FUi;
  ui.EdAIParams->setVisible(ui.menuBasicAIparams->isChecked());
  ui.edChoosePlayer->setVisible(ui.menuChoosePlayer->isChecked());
  ui.EdPlayerParams->setVisible(ui.menuPlayerParams->isChecked());
  ui.EdGoals->setVisible(ui.menuGoals->isChecked());
  ui.EdHandMove->setVisible(ui.menuHandMove->isChecked());
  ui.EdTrackParams->setVisible(ui.MenuTrackParams->isChecked());
}

void TFormTest2D::CopyParamsFromPlayer() {
  ShowChosenPlayer();
}

void TFormTest2D::ShowChosenPlayer() {
  Ui::TFormTest2D& ui = *FUi;
  ui.EdSeconds->setValue(Setting("future_ms").PositionOf(Track().Settings().FFutureMs));
  ui.EdMinFutures->setValue(Track().Settings().FMinFutures);
  // A new size runs EdSizeChange and its redraw; the chosen player is asked for again after it.
  if (const TPlayer2D* player = SelectedPlayer())
    ui.EdSize->setValue(RoundToInt32(player->Size()));
  ui.EdFriction->setValue(Setting("friction").PositionOf(Track().Settings().FFriction));
  ui.EdSideFriction->setValue(
      Setting("side_friction").PositionOf(Track().Settings().FSideFriction));
  if (const TPlayer2D* player = SelectedPlayer()) {
    SetColorPanel(player->Color());
    ui.EdRadio->setMaximum(player->GridMax());
    ui.EdRadio->setMinimum(player->GridMin());
    ui.EdAutoRadio->setChecked(player->AutoGrid());
    ui.EdAI_Level->setCurrentIndex(player->AILevel() - 1);
  }
  UpdateGoals();
  UpdateRealTimeParams();
  if (const TPlayer2D* player = SelectedPlayer()) {
    ui.MenuDebugTraces->setChecked(player->DrawsTraces());
    ui.MenuDebugOptions->setChecked(player->DrawsEndPoints());
    ui.MenuDebugGoals->setChecked(player->DrawsGoals());
    ui.MenuDebugLevels->setChecked(player->DrawsLevels());
  }
  UpdateStatusBar();
  CopyParamsFromScreen();
}

void TFormTest2D::CopyParamsFromScreen() {
  EdSizeChange();
  EdRadioChange();
  EdAutoRadioClick();
  EdFrictionChange();
  EdSideFrictionChange();
  EdSecondsChange();
  EdMinFuturesChange();
  EdCollisionsClick();
  EdAI_LevelChange();
  EdDebugChange();
}

void TFormTest2D::UpdateGoals() {
  FGoalRows->UpdateGoals();
}

void TFormTest2D::UpdateRealTimeParams() {
  if (const TPlayer2D* player = SelectedPlayer()) {
    FUi->EdRadio->setValue(player->GridSize());
    // Evolution recolours the players from their goals while the world runs.
    if (ColorPanel() != TQtCanvas::ToQColor(player->Color()))
      SetColorPanel(player->Color());
  }
}

void TFormTest2D::UpdateStatusBar() {
  QString text = QString("Futures in the last step: %1    Step: %2 ms    Players: %3")
                     .arg(Track().LastFutureCount())
                     .arg(FRunLoop->LastStepMs(), 0, 'f', 0)
                     .arg(Track().PlayerCount());
  if (TPlayer2D* player = SelectedPlayer())
    text += QString("    Counted dots: %1    Grid: %2 px")
                .arg(player->Futures().DotCount())
                .arg(player->GridSize());
  FStatus->setText(text);
}

void TFormTest2D::MenuMonitorsClick() {
  const THandlerTrace trace(__func__);
  if (!FUi->MenuMonitors->isChecked()) {
    if (FMonitors != nullptr)
      FMonitors->hide();
    return;
  }
  if (FMonitors == nullptr) {
    FMonitors = new TMonitorsWindow(this);
    connect(FMonitors, &TMonitorsWindow::Closed, this,
            [this] { FUi->MenuMonitors->setChecked(false); });
    // Beside this window where the screen has room, so that both are seen while the world runs;
    // never over the panel.
    if (const QScreen* screen = this->screen()) {
      // Not shown yet, it has no frame: ours stands for it.
      const QSize frame = frameGeometry().size() - size();
      const QRect panel(FUi->Panel4->mapToGlobal(QPoint(0, 0)), FUi->Panel4->size());
      const QRect place = TMonitorsWindow::PlaceBeside(
          frameGeometry(), panel, screen->availableGeometry(), FMonitors->size() + frame);
      FMonitors->resize(place.size() - frame);
      // Its layout may not let it be as narrow: then it reaches further left.
      FMonitors->move(std::min(place.left(), panel.left() - FMonitors->width() - frame.width()),
                      place.top());
    }
  }
  FMonitors->Restart();
  FMonitors->show();
  FMonitors->raise();
  UpdateMonitors(false);
}

void TFormTest2D::UpdateMonitors(bool AfterStep) {
  // Inside a step the lists of futures are being filled: the monitors read them after it.
  if (FMonitors == nullptr || !FMonitors->isVisible() || FRunLoop->InStep())
    return;
  TPlayer2D* player = SelectedPlayer();
  const QString name = FUi->EdPlayerId->currentText();
  if (AfterStep)
    FMonitors->AfterStep(FRunLoop->PassCount(), Track().LastFutureCount(), FRunLoop->LastStepMs(),
                         player, name);
  else
    FMonitors->Follow(player, name);
}

// ---- hand moves ----

void TFormTest2D::MoveSelected(double DX, double DY, double DAngle) {
  TPlayer2D* player = SelectedPlayer();
  if (player == nullptr)
    return;
  FRunLoop->Command(
      TWorldCommand("move", {DX, DY, DAngle, FUi->StartBtn->isChecked() ? 0.0 : 1.0}));
  Redraw();
}

void TFormTest2D::SpeedButton1Click() {
  const THandlerTrace trace(__func__);
  MoveSelected(-HandStep, 0, 0);
}

void TFormTest2D::SpeedButton2Click() {
  const THandlerTrace trace(__func__);
  MoveSelected(0, -HandStep, 0);
}

void TFormTest2D::SpeedButton3Click() {
  const THandlerTrace trace(__func__);
  MoveSelected(HandStep, 0, 0);
}

void TFormTest2D::SpeedButton4Click() {
  const THandlerTrace trace(__func__);
  MoveSelected(0, HandStep, 0);
}

void TFormTest2D::SpeedButton5Click() {
  const THandlerTrace trace(__func__);
  MoveSelected(0, 0, HandTurn);
}

void TFormTest2D::SpeedButton6Click() {
  const THandlerTrace trace(__func__);
  MoveSelected(0, 0, -HandTurn);
}

void TFormTest2D::SpeedButton8Click() {
  const THandlerTrace trace(__func__);
  const int32_t tag = TagOf(sender(), 0);
  FRunLoop->ApplyOrDefer(__func__, [this, tag] { GiveLevel(tag); });
}

void TFormTest2D::GiveLevel(int32_t Tag) {
  TPlayer2D* player = SelectedPlayer();
  if (player == nullptr)
    return;
  FRunLoop->Command(TWorldCommand("give", {Tag == 0 ? 0.0 : 1.0, GivenLevel}));
  Redraw();
}

// ---- the window ----

void TFormTest2D::FormResize() {
  const int32_t cw = FUi->PanelImg->width();
  const int32_t ch = FUi->PanelImg->height();
  FUi->ImgRoad->resize(FUi->ImgRoad->width(),
                       std::min(ch, RoundToInt32(cw / CircuitWidth * CircuitHeight)));
  FUi->ImgRoad->resize(std::min(cw, RoundToInt32(ch * CircuitWidth / CircuitHeight)),
                       FUi->ImgRoad->height());
}

bool TFormTest2D::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == FUi->PanelImg && Event->type() == QEvent::Resize)
    FormResize();
  return QMainWindow::eventFilter(Watched, Event);
}

void TFormTest2D::closeEvent(QCloseEvent* Event) {
  // At once, however long the step: it is abandoned, the world as before it.
  FRunLoop->Stop();
  // A recording ends with the window, its file complete.
  TKartsimApp::RunHandler([this] { FRunLoop->FinishVideo(); });
  QMainWindow::closeEvent(Event);
}
