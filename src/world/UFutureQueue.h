#pragma once

#include <atomic>
#include <cstdint>
#include <limits>

class TClock;
class TRandom;

// Hands out the futures of one step to whoever runs them (the calling thread alone, or every
// worker), and says when the step has run enough: a fixed number of futures, or, by the budget,
// once the deadline has passed and more than the minimum have been run in total. Both are
// decided only after whole futures, and the clock is read once per future.
//
// The budget decides how many futures a step runs, never which: once it has run enough, the
// futures handed out so far fix the count, and every future numbered below the highest of them
// is still run to its end, on whichever runner holds it. So a step that ran N futures by the
// budget is the step with N fixed futures, on any number of threads.
//
// Futures are numbered from 0 and handed out in blocks of BlockFutures consecutive numbers, a
// block to one runner, which runs its futures in order. Each future draws its random numbers from
// a stream of its own, derived from the step's seed and its number, so that what a future does
// depends neither on the thread that runs it nor on the futures run before it there.
//
// Where the futures of a step consume something in turn (energy drops), blocks are handed out in
// rounds of a fixed number of blocks: every block of a round starts from what the rounds before
// left, and the calling thread merges what each block used, in block order, before opening the
// next round. Rounds and blocks are the same whatever the number of threads, so the run is too.
class TFutureQueue {
public:
  // A block is also the futures run side by side in lanes: a fixed number, whatever the width of
  // the processor's vectors, so that the order of the work, and with it every result, is the same
  // on every processor.
  static constexpr int32_t BlockFutures = 8;
  // Blocks per round when futures share what they consume: 32 futures a round, so up to four
  // runners at once, and few enough that a drop is not taken many times over within one round.
  static constexpr int32_t RoundBlocks = 4;

  // FixedFutures > 0: exactly that many, whatever the clock; otherwise the budget decides. The
  // clock is read by every thread that runs futures, so it must allow that. Rounds: whether the
  // blocks are handed out in rounds of RoundBlocks; otherwise in one round without end.
  // Abandon, when given, is watched by every runner: once it is set, no further block or future
  // is begun, and the step is to leave the world as it found it.
  TFutureQueue(TClock& Clock, int64_t DeadlineMs, int32_t MinFutures, int32_t FixedFutures,
               uint64_t StepSeed, bool Rounds, const std::atomic<bool>* Abandon = nullptr);

  // ---- on the calling thread, while no runner runs ----
  // Opens the next round; false when the step has run enough (or failed) and none is needed.
  bool BeginRound();
  // The first block of the open round.
  int32_t RoundStart() const { return FRoundStart; }
  // Blocks handed out in the open round so far (all of them once its runners have returned).
  int32_t RoundBlocksTaken() const;

  // ---- on the runners ----
  // The number of the next block to run, or -1 when the round has no more or the step has run
  // enough or has failed.
  int32_t NextBlock();
  // Future K (0, 1, ...) of a block, with Stream reseeded for it; -1 when the block ends there:
  // after its last future, at the fixed count, or once the step has run enough or has failed.
  int32_t Future(int32_t Block, int32_t K, TRandom& Stream);
  // A future handed out by Future has been run to its end.
  void Finished();
  // Future number Future failed. No future above the lowest that failed is begun any more, while
  // those below it are all run to their end, so that the futures a failed step hands back are
  // the same whatever the threads: every one numbered below the first failure.
  void Fail(int32_t Future);
  bool Failed() const { return FailedAt() < NoFailure; }
  int32_t FailedAt() const { return FFailedAt.load(std::memory_order_relaxed); }
  bool Abandoned() const {
    return FAbandon != nullptr && FAbandon->load(std::memory_order_relaxed);
  }

  int32_t FinishedCount() const { return FFinished.load(std::memory_order_relaxed); }
  // The highest future number handed out, plus one: the futures run are numbered below it, and,
  // once every runner has returned, each of them has run.
  int32_t HandedOut() const {
    return static_cast<int32_t>(FHandedOut.load(std::memory_order_relaxed) & CountMask);
  }

private:
  static constexpr int32_t NoFailure = std::numeric_limits<int32_t>::max();
  // FHandedOut: the count below, and above it the flag that closes it once the step has run
  // enough. Both in one word, so that no future is handed out above a count already closed.
  static constexpr uint64_t CountMask = 0xFFFFFFFFull;
  static constexpr uint64_t Closed = 1ull << 32;

  bool StepDone() const;
  // No further future is to begin: enough have run, or the step was abandoned.
  bool Stopped() const { return FEnough.load(std::memory_order_relaxed) || Abandoned(); }

  TClock& FClock;
  const int64_t FDeadlineMs;
  const int32_t FMinFutures;
  const int32_t FFixedFutures;
  const uint64_t FStepSeed;
  const bool FRounds;
  const std::atomic<bool>* const FAbandon;
  int32_t FRoundStart = 0;
  int32_t FRoundEnd = 0; // first block after the open round
  // The counters change at every block or future on every thread; the flags, read as often,
  // change once: each group on a cache line of its own, so that reading the flags does not wait
  // for the line the counters keep moving between the cores.
  alignas(64) std::atomic<int32_t> FNextBlock{0};
  std::atomic<int32_t> FFinished{0};
  std::atomic<uint64_t> FHandedOut{0};
  alignas(64) std::atomic<bool> FEnough{false};
  std::atomic<int32_t> FFailedAt{NoFailure};
};
