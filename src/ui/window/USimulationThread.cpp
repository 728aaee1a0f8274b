#include "ui/window/USimulationThread.h"

#include <chrono>

#include "world/UWorld.h"

TSimulationThread::TSimulationThread() : FThread([this] { Loop(); }) {}

TSimulationThread::~TSimulationThread() {
  Abandon();
  {
    const std::lock_guard<std::mutex> lock(FLock);
    FQuit = true;
  }
  FWake.notify_all();
  FThread.join();
}

void TSimulationThread::Begin(TWorld& World, int32_t BudgetMs) {
  {
    const std::lock_guard<std::mutex> lock(FLock);
    FWorld = &World;
    FBudgetMs = BudgetMs;
    FBusy = true;
    FResult.reset();
  }
  FWake.notify_all();
}

bool TSimulationThread::Busy() const {
  const std::lock_guard<std::mutex> lock(FLock);
  return FBusy;
}

void TSimulationThread::Abandon() {
  std::unique_lock<std::mutex> lock(FLock);
  if (!FBusy)
    return;
  FAbandon.store(true);
  FIdle.wait(lock, [this] { return !FBusy; });
  FAbandon.store(false);
}

std::optional<TSimulationThread::TResult> TSimulationThread::TakeResult() {
  const std::lock_guard<std::mutex> lock(FLock);
  if (FBusy)
    return std::nullopt;
  return std::exchange(FResult, std::nullopt);
}

void TSimulationThread::Loop() {
  std::unique_lock<std::mutex> lock(FLock);
  for (;;) {
    FWake.wait(lock, [this] { return FQuit || FWorld != nullptr; });
    if (FQuit)
      return;
    TWorld& world = *std::exchange(FWorld, nullptr);
    const int32_t budget = FBudgetMs;
    lock.unlock();
    TResult result;
    const auto started = std::chrono::steady_clock::now();
    try {
      result.Done = world.Step(budget, &FAbandon);
    } catch (...) {
      // Reported by the window, which goes on; the world stays as the error left it.
      result.Done = true;
      result.Error = std::current_exception();
    }
    result.Ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    lock.lock();
    FResult = result;
    FBusy = false;
    FIdle.notify_all();
    // Queued: the window learns of it on its own thread, in order with the user's clicks.
    QMetaObject::invokeMethod(this, &TSimulationThread::Finished, Qt::QueuedConnection);
  }
}
