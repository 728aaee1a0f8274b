#include "ui/window/URunLoop.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <chrono>
#include <memory>

#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "ui/qt/UOutputFile.h"
#include "ui/qt/UQtPicture.h"
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
}

TRunLoop::~TRunLoop() = default;

QString TRunLoop::FrameFileName() const {
  return FFrameStem + QString::asprintf(TWorldDefaults::FrameNumberFormat, FFrameCounter);
}

void TRunLoop::RunOrDefer(const char* Handler, std::function<void()> Change) {
  if (FInStep || FQuiet > 0) {
    FDeferred.push_back({Handler, std::move(Change)});
    return;
  }
  Quietly(Change);
}

void TRunLoop::ApplyOrDefer(const char* Handler, std::function<void()> Change) {
  if (FInStep) {
    FDeferred.push_back({Handler, std::move(Change)});
    return;
  }
  Change();
}

void TRunLoop::Quietly(const std::function<void()>& Work) {
  ++FQuiet;
  try {
    Work();
  } catch (...) {
    --FQuiet;
    throw;
  }
  --FQuiet;
}

void TRunLoop::RequestClose() {
  FCloseRequested = true;
  FForm.Controls().PauseBtn->setChecked(true);
}

void TRunLoop::ProcessMessages() {
  FForm.Controls().ImgRoad->update();
  if (FQuiet == 0) {
    FSinceMessages.start();
    QCoreApplication::processEvents();
  }
}

void TRunLoop::BetweenFutures() {
  // The picture still shows the last step: the world wipes it only after the futures.
  if (FQuiet == 0 && (!FSinceMessages.isValid() || FSinceMessages.elapsed() >= MessageIntervalMs))
    ProcessMessages();
}

void TRunLoop::StartBtnClick() {
  const THandlerTrace trace(__func__);
  // "Run" is clicked again while it is down, even from inside a pass: the loop runs already.
  if (FRunning)
    return;
  FRunning = true;
  FForm.World().Reseed(SeedFromClock());
  std::string where;
  try {
    while (FForm.Controls().StartBtn->isChecked())
      Pass(where);
    FRunning = false;
  } catch (...) {
    // The loop ends and the world stays as the error left it; "Run" starts it again.
    FRunning = false;
    FForm.ReportCurrentError(where);
  }
  if (FCloseRequested) {
    FCloseRequested = false;
    FForm.close();
  }
}

void TRunLoop::Pass(std::string& Where) {
  ++FPasses;
  const std::string pass = std::to_string(FPasses);
  Where = "step " + pass + " of the run";
  Step();
  Where = "pass " + pass + " of the run, after its step";
  FForm.UpdateRealTimeParams();
  FForm.UpdateStatusBar();
  FForm.UpdateMonitors(true);
  ProcessMessages();
  if (FForm.Controls().Saveimagestofolder->isChecked()) {
    Where = "pass " + pass + " of the run, saving its frame";
    SaveFrame();
  }
  if (FVideo != nullptr) {
    Where = "pass " + pass + " of the run, recording its frame";
    RecordFrame();
  }
}

void TRunLoop::Step() {
  const TPlayer* chosen = FForm.CurrentTeam().Selected();
  const auto started = std::chrono::steady_clock::now();
  FInStep = true;
  FSinceMessages.start();
  try {
    FForm.World().Step(StepBudgetMs);
  } catch (...) {
    FInStep = false;
    AfterStep(chosen);
    throw;
  }
  FInStep = false;
  FLastStepMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  AfterStep(chosen);
}

void TRunLoop::AfterStep(const TPlayer* ChosenBefore) {
  Quietly([&] {
    const TTeam& team = FForm.CurrentTeam();
    if (team.MemberCount() != FForm.Controls().EdPlayerId->count())
      FForm.FillPlayerEntries();
    // A duplicating member chooses its child, a removed one the first member: the panel shows
    // the player its controls act on.
    if (team.Selected() != ChosenBefore)
      FForm.CopyParamsFromPlayer();
    ApplyDeferred();
  });
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
  TTrack2D& track = FForm.Track();
  for (int32_t t = 0; t < track.TeamCount(); ++t)
    track.Teams(t)->Reset();
  FForm.CopyParamsFromScreen();
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
  const std::unique_ptr<TQtPicture> circuit = TQtPicture::LoadBmp(FileName);
  FForm.World().LoadCircuit(*circuit, "");
  FForm.Redraw();
}
