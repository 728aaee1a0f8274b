#include "world/UFutureQueue.h"

#include <algorithm>
#include <limits>

#include "platform/UClock.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"

TFutureQueue::TFutureQueue(TClock& Clock, int64_t DeadlineMs, int32_t MinFutures,
                           int32_t FixedFutures, uint64_t StepSeed, bool Rounds,
                           const std::atomic<bool>* Abandon)
    : FClock(Clock), FDeadlineMs(DeadlineMs), FMinFutures(MinFutures), FFixedFutures(FixedFutures),
      FStepSeed(StepSeed), FRounds(Rounds), FAbandon(Abandon) {}

void TFutureQueue::Fail(int32_t Future) {
  int32_t seen = FFailedAt.load(std::memory_order_relaxed);
  while (Future < seen &&
         !FFailedAt.compare_exchange_weak(seen, Future, std::memory_order_relaxed)) {
  }
}

bool TFutureQueue::StepDone() const {
  if (Failed() || Stopped())
    return true;
  // With a fixed count, the step is done once the blocks handed out cover it.
  return FFixedFutures > 0 &&
         static_cast<int64_t>(FRoundEnd) * BlockFutures >= static_cast<int64_t>(FFixedFutures);
}

bool TFutureQueue::BeginRound() {
  if (FRoundEnd > 0 && StepDone())
    return false;
  FRoundStart = FRoundEnd;
  FNextBlock.store(FRoundStart, std::memory_order_relaxed);
  if (!FRounds)
    FRoundEnd = std::numeric_limits<int32_t>::max();
  else if (FRoundStart > std::numeric_limits<int32_t>::max() / BlockFutures - RoundBlocks)
    throw ERangeError("Too many futures in one step.");
  else
    FRoundEnd = FRoundStart + RoundBlocks;
  return true;
}

int32_t TFutureQueue::RoundBlocksTaken() const {
  return std::min(FNextBlock.load(std::memory_order_relaxed), FRoundEnd) - FRoundStart;
}

int32_t TFutureQueue::NextBlock() {
  if (Stopped())
    return -1;
  const int32_t block = FNextBlock.fetch_add(1, std::memory_order_relaxed);
  if (block >= FRoundEnd || block < FRoundStart) {
    // Nothing more in this round; the counter stays past its end.
    FNextBlock.store(FRoundEnd, std::memory_order_relaxed);
    return -1;
  }
  if (block > std::numeric_limits<int32_t>::max() / BlockFutures - 1)
    throw ERangeError("Too many futures in one step.");
  if (FFixedFutures > 0 && static_cast<int64_t>(block) * BlockFutures >= FFixedFutures)
    return -1;
  // Blocks are handed out in order: once one starts at or above a failure, so do all after it.
  if (static_cast<int64_t>(block) * BlockFutures >= FailedAt())
    return -1;
  return block;
}

int32_t TFutureQueue::Future(int32_t Block, int32_t K, TRandom& Stream) {
  if (K >= BlockFutures || Abandoned())
    return -1;
  const int32_t future = Block * BlockFutures + K;
  if ((FFixedFutures > 0 && future >= FFixedFutures) || future >= FailedAt())
    return -1;
  uint64_t seen = FHandedOut.load(std::memory_order_relaxed);
  for (;;) {
    const uint64_t count = seen & CountMask;
    // Below the count: handed out with its block already, and run whether or not the count is
    // closed. At or above a closed count: the step has run enough.
    if (static_cast<uint64_t>(future) < count)
      break;
    if ((seen & Closed) != 0)
      return -1;
    if (FHandedOut.compare_exchange_weak(seen, static_cast<uint64_t>(future) + 1,
                                         std::memory_order_relaxed))
      break;
  }
  Stream.ReseedForFuture(FStepSeed, future);
  return future;
}

void TFutureQueue::Finished() {
  const int32_t finished = FFinished.fetch_add(1, std::memory_order_relaxed) + 1;
  if (FFixedFutures > 0)
    return;
  // Past the deadline and past the minimum in total: no future above those handed out begins,
  // and no further block; the futures below the count are still run by the runners holding them.
  if (FClock.NowMs() > FDeadlineMs && finished > FMinFutures) {
    FHandedOut.fetch_or(Closed, std::memory_order_relaxed);
    FEnough.store(true, std::memory_order_relaxed);
  }
}
