#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// The threads that run the futures of the world's steps beside the calling thread. They are
// started once and wait between steps; the only locking is at the start and the end of a job.
class TFutureWorkers {
public:
  // Starts a thread running the function; raises std::system_error when it cannot.
  using TStarter = std::function<std::thread(std::function<void()>)>;

  // Count runners in all: the calling thread and Count - 1 threads of their own. A thread that
  // cannot be started (a limit on processes) ends the starting: the runners are then the calling
  // thread and the threads started before it, and StartError says why.
  explicit TFutureWorkers(int32_t Count, const TStarter& Start = StartThread);
  ~TFutureWorkers();
  TFutureWorkers(const TFutureWorkers&) = delete;
  TFutureWorkers& operator=(const TFutureWorkers&) = delete;

  int32_t Count() const { return static_cast<int32_t>(FThreads.size()) + 1; }
  // Why fewer threads than asked for run; empty when all of them do.
  const std::string& StartError() const { return FStartError; }
  static std::thread StartThread(std::function<void()> Work);
  // Runs Job(0) on the calling thread and Job(1) .. Job(Count - 1) on the workers at the same
  // time, and returns once all of them have returned. When jobs raise, the first exception is
  // raised here once all have returned; a job that fails must itself make the others stop early.
  void RunAll(const std::function<void(int32_t)>& Job);

private:
  void Work(int32_t Runner);
  void RunJob(int32_t Runner);

  std::vector<std::thread> FThreads;
  std::mutex FLock;
  std::condition_variable FStart; // a new step's job, or the end of the workers
  std::condition_variable FDone;  // the last worker has finished the job
  const std::function<void(int32_t)>* FJob = nullptr;
  uint64_t FGeneration = 0; // counts the jobs handed out, so a worker runs each exactly once
  int32_t FRunning = 0;     // workers still on the current job
  bool FQuit = false;
  std::exception_ptr FError; // the first exception of the current job
  std::string FStartError;
};
