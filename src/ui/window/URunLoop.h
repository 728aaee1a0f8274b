#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "ui/qt/UReplay.h"
#include "ui/window/UKartsimApp.h"
#include "ui/window/USimulationThread.h"

class TFormTest2D;
class TPlayer;
class TVideoRecorder;

// Drives the world while "Run" is down, one pass after the other: the world's step, on the
// simulation thread (TSimulationThread), then, back on the window's thread, the picture of the
// step, the values that change while it runs, and the frame or video when saving is on. A pass
// that has begun runs to its end; "Pause" ends the loop after it. Also "Reset", loading another
// circuit and choosing where frames are saved.
//
// While a step runs the window goes on answering, and the world is the step's alone: a handler
// that adds or frees players or goals hands its change to RunOrDefer, one that changes a setting
// or a player to ApplyOrDefer (ConnectChange connects it so); both apply it once the step has
// ended, in the order clicked, before the next one begins. Closing the window, or opening a
// scene, does not wait for the step: it is abandoned at its next future and leaves the world as
// it found it.
class TRunLoop : public QObject {
  Q_OBJECT
public:
  static constexpr int32_t StepBudgetMs = 100; // real-time budget of every step

  explicit TRunLoop(TFormTest2D& Form);
  ~TRunLoop() override;

  bool Running() const { return FRunning; }
  bool InStep() const { return FInStep; }
  // Passes begun since the window opened.
  int64_t PassCount() const { return FPasses; }
  // Wall time of the last step, milliseconds.
  double LastStepMs() const { return FLastStepMs; }
  int32_t FrameCounter() const { return FFrameCounter; }
  // Where the next frame goes: the name given, "_", the counter as "%5.5d", ".bmp".
  QString FrameFileName() const;

  // Runs the change now, or after the step in progress (and after the changes handed in before
  // it). Errors of a change applied later are reported with the name of its handler.
  void RunOrDefer(const char* Handler, std::function<void()> Change);
  void ApplyOrDefer(const char* Handler, std::function<void()> Change) {
    RunOrDefer(Handler, std::move(Change));
  }
  // Applies a change of the world and keeps it in the replay, now or after the step in progress.
  // Every change a control makes to the world goes through here, so that the replay holds it.
  // A change that raises is kept as one that raised, and its error goes on.
  void Command(TWorldCommand Command);
  // What the window did since its world was made or opened (StartReplay).
  const TReplay& Replay() const { return FReplay; }
  // A new replay from the world as it stands: when a world is made or opened, takes another
  // circuit or is reset.
  void StartReplay();
  // The replay as a file's bytes; empty when it cannot be written (a circuit it cannot hold).
  QByteArray EncodedReplay() const;

  // The step in progress, if any, is abandoned (the world as before it) and the loop ends; the
  // changes handed in meanwhile are applied. For closing the window and replacing its world.
  void Stop();
  // For opening a scene: Stop, then the change, then the loop goes on while "Run" is down. An
  // error of the change is reported with the handler's name.
  void Interrupt(const char* Handler, std::function<void()> Change);

signals:
  // A pass has begun: its step runs on the simulation thread.
  void PassBegun();

public slots:
  void StartBtnClick();
  void ResetBtnClick();
  // File > "Save replay...": the replay so far, to a file.
  void SaveReplayClick();
  void Loadcircuit800x600BMP1Click();
  void SaveimagestofolderClick();
  // "Record video...": checked, asks for a video file (.mp4, or .gif) and records every pass from
  // then on; unchecked, ends the recording and gives the file its name.
  void RecordVideoClick();

public:
  // Ends a recording in progress (as when the window closes); raises when ffmpeg did not end well.
  void FinishVideo();
  bool Recording() const { return FVideo != nullptr; }

private:
  struct TChange {
    std::string Handler;
    std::function<void()> Apply;
  };

  // The next pass: its step handed to the simulation thread.
  void BeginPass();
  // The step handed over has ended: the rest of the pass, and the next one while "Run" is down.
  void StepFinished();
  void EndPass(const TSimulationThread::TResult& Result);
  void EndRun();
  // What a step may have changed under the panel: members born or removed, another player
  // chosen. Then the changes handed in during the step.
  void AfterStep();
  void ApplyDeferred();
  // What "Reset" does.
  void Reset();
  void SaveFrame();
  // The pass's picture as the next frame of the video; a failure ends the recording.
  void RecordFrame();
  void LoadCircuit(const QString& FileName);

  TFormTest2D& FForm;
  TSimulationThread FSimulation;
  bool FRunning = false;
  bool FInStep = false;
  const TPlayer* FChosenBefore = nullptr; // the chosen player when the step began (not owned)
  int64_t FPasses = 0;
  double FLastStepMs = 0;
  int32_t FFrameCounter = 1; // number of the next saved frame
  QString FFrameStem;        // the file name given for the frames
  std::deque<TChange> FDeferred;
  std::unique_ptr<TVideoRecorder> FVideo; // while "Record video..." is checked
  TReplay FReplay;
  // The pointer position the replay holds last; none before the first.
  std::optional<std::pair<int32_t, int32_t>> FMouse;
};

// Connects a signal to a window handler that changes the world or a player: while a step runs,
// the handler waits for its end (ApplyOrDefer). The handler must not ask for its sender, which
// is gone by then.
template <class TSender, class TSignal, class TReceiver>
QMetaObject::Connection ConnectChange(TRunLoop& Loop, const char* Name, TSender* Sender,
                                      TSignal Signal, TReceiver* Receiver,
                                      void (TReceiver::*Handler)()) {
  return QObject::connect(Sender, Signal, Receiver, [&Loop, Name, Receiver, Handler] {
    TKartsimApp::RunHandler(
        [&] { Loop.ApplyOrDefer(Name, [Receiver, Handler] { (Receiver->*Handler)(); }); });
  });
}
