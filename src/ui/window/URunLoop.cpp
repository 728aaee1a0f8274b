#include "ui/window/URunLoop.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <memory>

#include "agents/UPlayer.h"
#include "goals/UGoalMouse.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/UPointer.h"
#include "platform/URandom.h"
#include "ui/qt/UOutputFile.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/UReplayFile.h"
#include "ui/qt/UVideoRecorder.h"
#include "ui/window/UDialogs.h"
#include "ui/window/UFormTest2D.h"
#include "ui/window/UHandlerTrace.h"
#include "ui/window/UKartsimApp.h"
#include "ui/window/UPictureView.h"
#include "ui_UFormTest2D.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"
#include "world/UWorldDefaults.h"

namespace {

const QString CircuitFilter = QStringLiteral("Image (BMP at 800x600) (*.BMP *.bmp)");
const QString VideoFilter = QStringLiteral("Video (*.mp4 *.gif)");

// Whether a goal of the world follows or avoids the pointer: only then is its position part of
// what the world does.
bool ReadsMouse(const TWorld& World) {
  const auto reads = [](const TGoal* Goal) { return dynamic_cast<const TGoalMouse*>(Goal); };
  for (int32_t t = 0; t < World.TeamCount(); ++t) {
    const TTeam& team = World.Teams(t);
    for (int32_t g = 0; g < team.GoalCount(); ++g)
      if (reads(team.Goals(g)))
        return true;
    for (int32_t m = 0; m < team.MemberCount(); ++m)
      for (int32_t g = 0; g < team.Members(m)->GoalCount(); ++g)
        if (reads(team.Members(m)->Goals(g)))
          return true;
  }
  return false;
}

} // namespace

TRunLoop::TRunLoop(TFormTest2D& Form) : FForm(Form) {
  Ui::TFormTest2D& ui = Form.Controls();
  ConnectHandler(ui.StartBtn, &QPushButton::clicked, this, &TRunLoop::StartBtnClick);
  ConnectHandler(ui.BtnReset, &QPushButton::clicked, this, &TRunLoop::ResetBtnClick);
  ConnectHandler(ui.Loadcircuit800x600BMP1, &QAction::triggered, this,
                 &TRunLoop::Loadcircuit800x600BMP1Click);
  ConnectHandler(ui.Saveimagestofolder, &QAction::triggered, this,
                 &TRunLoop::SaveimagestofolderClick);
  ConnectHandler(ui.RecordVideo, &QAction::triggered, this, &TRunLoop::RecordVideoClick);
  ConnectHandler(ui.SaveReplay, &QAction::triggered, this, &TRunLoop::SaveReplayClick);
  connect(&FSimulation, &TSimulationThread::Finished, this, &TRunLoop::StepFinished);
}

TRunLoop::~TRunLoop() = default;

QString TRunLoop::FrameFileName() const {
  return FFrameStem + QString::asprintf(TWorldDefaults::FrameNumberFormat, FFrameCounter);
}

void TRunLoop::RunOrDefer(const char* Handler, std::function<void()> Change) {
  if (FInStep) {
    FDeferred.push_back({Handler, std::move(Change)});
    return;
  }
  Change();
}

void TRunLoop::Command(TWorldCommand Command) {
  RunOrDefer("a change of the world", [this, command = std::move(Command)]() mutable {
    try {
      command.Apply(FForm.World());
    } catch (...) {
      command.Failed = true;
      FReplay.Record(std::move(command));
      throw;
    }
    FReplay.Record(std::move(command));
  });
}

void TRunLoop::StartReplay() {
  FReplay.Start(FForm.World());
  FMouse.reset();
}

QByteArray TRunLoop::EncodedReplay() const {
  try {
    return TReplayFile::Encode(FReplay);
  } catch (const EError&) {
    return {};
  }
}

void TRunLoop::SaveReplayClick() {
  const THandlerTrace trace(__func__);
  const std::optional<QString> name = FForm.Dialogs().SaveFileAs(
      &FForm, FForm.StartFolder(), TReplayFile::Filter(), {".kartsim-replay.json"});
  if (!name)
    return;
  FForm.UseFolderOf(*name);
  // What the world has done up to the step in progress, which is not part of it yet.
  TReplayFile::Save(FReplay, *name);
}

void TRunLoop::Stop() {
  if (FInStep) {
    FSimulation.Abandon();
    FSimulation.TakeResult();
    FInStep = false;
  }
  EndRun();
  ApplyDeferred();
}

void TRunLoop::Interrupt(const char* Handler, std::function<void()> Change) {
  const bool resume = FRunning;
  Stop();
  try {
    Change();
  } catch (...) {
    FForm.ReportCurrentError(Handler);
  }
  if (resume && FForm.Controls().StartBtn->isChecked()) {
    FRunning = true;
    BeginPass();
  }
}

void TRunLoop::StartBtnClick() {
  const THandlerTrace trace(__func__);
  // "Run" is clicked again while it is down: the loop runs already.
  if (FRunning)
    return;
  FRunning = true;
  Command(TWorldCommand("seed", {}, std::to_string(SeedFromClock())));
  BeginPass();
}

void TRunLoop::BeginPass() {
  if (!FForm.Controls().StartBtn->isChecked()) {
    EndRun();
    return;
  }
  ++FPasses;
  FChosenBefore = FForm.CurrentTeam().Selected();
  // One reading of the pointer for the whole step: every future sees the same.
  const TPointer& pointer = *FForm.Controls().ImgRoad;
  const std::pair<int32_t, int32_t> mouse{pointer.X(), pointer.Y()};
  if (ReadsMouse(FForm.World()) && FMouse != mouse) {
    Command(TWorldCommand("mouse", {double(mouse.first), double(mouse.second)}));
    FMouse = mouse;
  } else {
    FForm.World().SetMouse(mouse.first, mouse.second);
  }
  FInStep = true;
  FSimulation.Begin(FForm.World(), StepBudgetMs);
  emit PassBegun();
}

void TRunLoop::StepFinished() {
  const std::optional<TSimulationThread::TResult> result = FSimulation.TakeResult();
  // Taken already when the step was abandoned.
  if (!FInStep || !result)
    return;
  FInStep = false;
  const std::string pass = std::to_string(FPasses);
  std::string where = "step " + pass + " of the run";
  try {
    if (result->Error) {
      FReplay.StepFailed(FForm.World());
      // The loop ends and the world stays as the error left it; "Run" starts it again.
      AfterStep();
      std::rethrow_exception(result->Error);
    }
    if (result->Done)
      FReplay.StepDone(FForm.World());
    FLastStepMs = result->Ms;
    where = "pass " + pass + " of the run, after its step";
    FForm.PaintStep();
    AfterStep();
    FForm.UpdateRealTimeParams();
    FForm.UpdateStatusBar();
    FForm.UpdateMonitors(true);
    if (FForm.Controls().Saveimagestofolder->isChecked()) {
      where = "pass " + pass + " of the run, saving its frame";
      SaveFrame();
    }
    if (FVideo != nullptr) {
      where = "pass " + pass + " of the run, recording its frame";
      RecordFrame();
    }
  } catch (...) {
    EndRun();
    FForm.ReportCurrentError(where);
    return;
  }
  BeginPass();
}

void TRunLoop::EndRun() {
  FRunning = false;
}

void TRunLoop::AfterStep() {
  const TTeam& team = FForm.CurrentTeam();
  if (team.MemberCount() != FForm.Controls().EdPlayerId->count())
    FForm.FillPlayerEntries();
  // A duplicating member chooses its child, a removed one the first member: the panel shows
  // the player its controls act on.
  if (team.Selected() != FChosenBefore)
    FForm.CopyParamsFromPlayer();
  ApplyDeferred();
}

void TRunLoop::ApplyDeferred() {
  while (!FDeferred.empty()) {
    TChange change = std::move(FDeferred.front());
    FDeferred.pop_front();
    try {
      change.Apply();
    } catch (...) {
      FForm.ReportCurrentError(change.Handler + ", applied after step " + std::to_string(FPasses) +
                               " of the run");
    }
  }
}

void TRunLoop::SaveFrame() {
  // A FIFO nobody reads is refused rather than waited for: the window would hang on it.
  FForm.Picture().SaveBmp(FrameFileName(), TOutputFile::ofNoWaitForReader);
  FFrameCounter = CheckedAdd(FFrameCounter, 1);
}

void TRunLoop::RecordFrame() {
  try {
    FVideo->AddFrame(FForm.Picture().Image());
  } catch (...) {
    // What ffmpeg wrote is removed with the recorder: never a file that looks complete.
    FVideo.reset();
    FForm.Controls().RecordVideo->setChecked(false);
    throw;
  }
}

void TRunLoop::RecordVideoClick() {
  const THandlerTrace trace(__func__);
  QAction& item = *FForm.Controls().RecordVideo;
  if (!item.isChecked()) {
    FinishVideo();
    return;
  }
  // Unchecked again until a recording has really started.
  item.setChecked(false);
  if (TVideoRecorder::FindFfmpeg().isEmpty())
    throw EError(TVideoRecorder::MissingFfmpegMessage());
  const std::optional<QString> name =
      FForm.Dialogs().SaveFileAs(&FForm, FForm.StartFolder(), VideoFilter, {".mp4", ".gif"});
  if (!name)
    return;
  FForm.UseFolderOf(*name);
  const std::string file = name->toStdString();
  const TQtPicture& picture = FForm.Picture();
  FVideo = std::make_unique<TVideoRecorder>(
      file, picture.Width(), picture.Height(),
      TVideoRecorder::FramesPerSecond(FForm.Track().Settings().FDeltaMs));
  item.setChecked(true);
}

void TRunLoop::FinishVideo() {
  FForm.Controls().RecordVideo->setChecked(false);
  if (FVideo == nullptr)
    return;
  const std::unique_ptr<TVideoRecorder> video = std::move(FVideo);
  video->Finish();
}

void TRunLoop::ResetBtnClick() {
  const THandlerTrace trace(__func__);
  ApplyOrDefer(__func__, [this] { Reset(); });
}

void TRunLoop::Reset() {
  FFrameCounter = 1;
  Command(TWorldCommand("reset"));
  FForm.CopyParamsFromScreen();
  StartReplay();
  FForm.Redraw();
}

void TRunLoop::SaveimagestofolderClick() {
  const THandlerTrace trace(__func__);
  QAction& item = *FForm.Controls().Saveimagestofolder;
  if (!item.isChecked())
    return;
  const std::optional<QString> name = FForm.Dialogs().SaveFile(&FForm, FForm.StartFolder());
  if (!name) {
    item.setChecked(false);
    return;
  }
  FForm.UseFolderOf(*name);
  FFrameStem = *name;
}

void TRunLoop::Loadcircuit800x600BMP1Click() {
  const THandlerTrace trace(__func__);
  const std::optional<QString> name =
      FForm.Dialogs().OpenPicture(&FForm, CircuitFilter, FForm.StartFolder());
  if (!name)
    return;
  FForm.UseFolderOf(*name);
  RunOrDefer(__func__, [this, file = *name] { LoadCircuit(file); });
}

void TRunLoop::LoadCircuit(const QString& FileName) {
  // Only a bitmap becomes the circuit: the road is never rebuilt from the picture as drawn on.
  if (QFileInfo(FileName).suffix().toUpper() != "BMP")
    throw EError("Only BMP files can be loaded as a circuit; \"" + FileName.toStdString() +
                 "\" was not loaded and the circuit is unchanged.");
  // Read whole before anything changes: a file that is not a bitmap leaves picture and road.
  TWorldCommand command("circuit");
  command.Picture = std::shared_ptr<const TQtPicture>(TQtPicture::LoadBmp(FileName));
  Command(std::move(command));
  FForm.Redraw();
  // The replay starts anew from the world on its new circuit, which its scene holds.
  StartReplay();
}
