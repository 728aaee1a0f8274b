#include "world/UFutureWorkers.h"

#include <system_error>

std::thread TFutureWorkers::StartThread(std::function<void()> Work) {
  return std::thread(std::move(Work));
}

TFutureWorkers::TFutureWorkers(int32_t Count, const TStarter& Start) {
  FThreads.reserve(Count > 1 ? static_cast<size_t>(Count - 1) : 0);
  for (int32_t runner = 1; runner < Count; ++runner) {
    // The threads started so far wait for a job and are fine as they are: the runners are
    // simply fewer. Their numbers stay 1 .. Count() - 1.
    try {
      FThreads.push_back(Start([this, runner] { Work(runner); }));
    } catch (const std::system_error& e) {
      FStartError = e.what();
      break;
    }
  }
}

TFutureWorkers::~TFutureWorkers() {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FQuit = true;
  }
  FStart.notify_all();
  for (std::thread& thread : FThreads)
    thread.join();
}

void TFutureWorkers::RunAll(const std::function<void(int32_t)>& Job) {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FJob = &Job;
    FError = nullptr;
    FRunning = static_cast<int32_t>(FThreads.size());
    ++FGeneration;
  }
  FStart.notify_all();
  RunJob(0);
  std::unique_lock<std::mutex> lock(FLock);
  FDone.wait(lock, [this] { return FRunning == 0; });
  FJob = nullptr;
  if (FError)
    std::rethrow_exception(std::exchange(FError, nullptr));
}

void TFutureWorkers::RunJob(int32_t Runner) {
  try {
    (*FJob)(Runner);
  } catch (...) {
    std::lock_guard<std::mutex> lock(FLock);
    if (!FError)
      FError = std::current_exception();
  }
}

void TFutureWorkers::Work(int32_t Runner) {
  uint64_t done = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(FLock);
      FStart.wait(lock, [&] { return FQuit || FGeneration != done; });
      if (FQuit)
        return;
      done = FGeneration;
    }
    RunJob(Runner);
    std::lock_guard<std::mutex> lock(FLock);
    if (--FRunning == 0)
      FDone.notify_one();
  }
}
