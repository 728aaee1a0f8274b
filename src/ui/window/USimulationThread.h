#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

class TWorld;

// The thread the world steps on, beside the window's. The window hands it one step at a time
// (Begin) and is told when the step is over (Finished, delivered on the window's thread); in
// between the world is the step's alone, and the window neither reads nor changes it: it answers
// the user, draws the last step's picture, and keeps what the user changes for after the step.
// Between steps the thread waits and the world is the window's again. So the world is never
// touched by two threads at once, and no lock is needed around it.
class TSimulationThread : public QObject {
  Q_OBJECT
public:
  // How a step ended.
  struct TResult {
    bool Done = false;        // false: abandoned, the world as before it
    std::exception_ptr Error; // what the step raised, if anything
    double Ms = 0;            // wall time of the step, milliseconds
  };

  TSimulationThread();
  // Abandons a step in progress and ends the thread.
  ~TSimulationThread() override;
  TSimulationThread(const TSimulationThread&) = delete;
  TSimulationThread& operator=(const TSimulationThread&) = delete;

  // ---- on the window's thread ----
  // Starts one step of the world; the world must not be touched until Finished.
  void Begin(TWorld& World, int32_t BudgetMs);
  bool Busy() const;
  // The step in progress stops at its next future and leaves the world as it found it; returns
  // once the world is the window's again. Nothing when no step runs.
  void Abandon();
  // How the last step ended, once: empty while it runs, or when already taken.
  std::optional<TResult> TakeResult();

signals:
  // A step has ended (queued to the window's thread); TakeResult says how.
  void Finished();

private:
  void Loop();

  mutable std::mutex FLock;
  std::condition_variable FWake; // a step to run, or the end
  std::condition_variable FIdle; // a step has ended
  TWorld* FWorld = nullptr;      // the step to run, until the thread takes it
  int32_t FBudgetMs = 0;
  bool FBusy = false;
  bool FQuit = false;
  std::optional<TResult> FResult;
  std::atomic<bool> FAbandon{false};
  std::thread FThread; // last: starts once everything it reads is made
};
