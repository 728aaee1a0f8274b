#pragma once

#include <atomic>
#include <cstdint>

class TClock;
class TRandom;

// Hands out the futures of one step to whoever runs them (the calling thread alone, or every
// worker), and says when the step has run enough: a fixed number of futures, or, by the budget,
// once the deadline has passed and more than the minimum have been run in total. Both are
// decided only after whole futures, and the clock is read once per future.
//
// Futures are numbered from 0 in the order they are handed out; each draws its random numbers
// from a stream of its own, derived from the step's seed and its number, so that what a future
// does depends neither on the thread that runs it nor on the futures run before it there.
class TFutureQueue {
public:
  // FixedFutures > 0: exactly that many, whatever the clock; otherwise the budget decides. The
  // clock is read by every thread that runs futures, so it must allow that.
  TFutureQueue(TClock& Clock, int64_t DeadlineMs, int32_t MinFutures, int32_t FixedFutures,
               uint64_t StepSeed);

  // The number of the next future to run, with Stream reseeded for it; -1 when the step has run
  // enough or has failed.
  int32_t Next(TRandom& Stream);
  // A future handed out by Next has been run to its end.
  void Finished();
  // A future failed: every runner stops after the future it is in.
  void Abort() { FAborted.store(true, std::memory_order_relaxed); }
  int32_t FinishedCount() const { return FFinished.load(std::memory_order_relaxed); }

private:
  TClock& FClock;
  const int64_t FDeadlineMs;
  const int32_t FMinFutures;
  const int32_t FFixedFutures;
  const uint64_t FStepSeed;
  // The counters change at every future on every thread; the flags, read as often, change once:
  // each group on a cache line of its own, so that reading the flags does not wait for the line
  // the counters keep moving between the cores.
  alignas(64) std::atomic<int32_t> FNext{0};
  std::atomic<int32_t> FFinished{0};
  alignas(64) std::atomic<bool> FEnough{false};
  std::atomic<bool> FAborted{false};
};
