#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/UMessagePump.h"
#include "ui/window/UKartsimApp.h"

class TFormTest2D;
class TPlayer;
class TVideoRecorder;

// Drives the world while "Run" is down, one pass after the other: the world's step, the values
// that change while it runs, the window's pending messages, and the frame when saving is on. A
// pass that has begun runs to its end; "Pause" ends the loop after it. Also "Reset", loading
// another circuit and choosing where frames are saved.
//
// Window handlers also run inside a step, wherever the world lets the window process its
// messages: about every MessageIntervalMs while the futures run, so that the window answers
// however long a step computes, after every redraw, and in the middle of the goal evaluation when
// a burn-out goal draws. Nothing a handler does then may reach the world before the step ends:
// the futures must see what they started from, and the loops of the step walk the players and
// goals. A handler that adds or frees players or goals hands its change to RunOrDefer, one that
// changes a setting or a player to ApplyOrDefer (ConnectChange connects it so); both apply it
// after the step, in the order clicked.
// A change of players or goals, and the refresh of the panel after a step or for a newly chosen
// player, run quietly: their own redraws let no other handler run, which would find them half
// done (rows of the last player, a change overtaking those clicked before it).
class TRunLoop : public QObject, public TMessagePump {
  Q_OBJECT
public:
  static constexpr int32_t StepBudgetMs = 100; // real-time budget of every step
  // While the futures of a step run, the window handles its messages this often, milliseconds.
  static constexpr int32_t MessageIntervalMs = 50;

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

  // Runs the change now, quietly, or after the step in progress (and after the changes handed in
  // before it). Errors of a change applied later are reported with the name of its handler.
  void RunOrDefer(const char* Handler, std::function<void()> Change);
  // Runs the change now, or after the step in progress (and after the changes handed in before
  // it). Unlike RunOrDefer, a change run now is not quiet: its redraws let the window in.
  void ApplyOrDefer(const char* Handler, std::function<void()> Change);
  // Runs the work without handling the window's messages in its redraws; they wait for the next
  // processing after it. Changes handed to RunOrDefer meanwhile wait for the end of the step.
  void Quietly(const std::function<void()>& Work);
  // Ends the run after the pass in progress, then closes the window.
  void RequestClose();

  // Shows what the world drew and lets the window handle its pending messages.
  void ProcessMessages() override;
  // Between two futures of a step: the window's messages, when MessageIntervalMs have passed.
  void BetweenFutures() override;

public slots:
  void StartBtnClick();
  void ResetBtnClick();
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

  void Pass(std::string& Where);
  void Step();
  // What a step may have changed under the panel: members born or removed, another player
  // chosen. Then the changes handed in during the step.
  void AfterStep(const TPlayer* ChosenBefore);
  void ApplyDeferred();
  // What "Reset" does.
  void Reset();
  void SaveFrame();
  // The pass's picture as the next frame of the video; a failure ends the recording.
  void RecordFrame();
  void LoadCircuit(const QString& FileName);

  TFormTest2D& FForm;
  bool FRunning = false;
  bool FInStep = false;
  int32_t FQuiet = 0; // depth of the work running quietly
  bool FCloseRequested = false;
  int64_t FPasses = 0;
  double FLastStepMs = 0;
  int32_t FFrameCounter = 1; // number of the next saved frame
  QString FFrameStem;        // the file name given for the frames
  std::deque<TChange> FDeferred;
  std::unique_ptr<TVideoRecorder> FVideo; // while "Record video..." is checked
  QElapsedTimer FSinceMessages;           // since the window last handled its messages
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
