#include "world/UFutureQueue.h"

#include "platform/UClock.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"

TFutureQueue::TFutureQueue(TClock& Clock, int64_t DeadlineMs, int32_t MinFutures,
                           int32_t FixedFutures, uint64_t StepSeed)
    : FClock(Clock), FDeadlineMs(DeadlineMs), FMinFutures(MinFutures), FFixedFutures(FixedFutures),
      FStepSeed(StepSeed) {}

int32_t TFutureQueue::Next(TRandom& Stream) {
  if (FAborted.load(std::memory_order_relaxed) || FEnough.load(std::memory_order_relaxed))
    return -1;
  const int32_t future = FNext.fetch_add(1, std::memory_order_relaxed);
  if (future < 0)
    throw ERangeError("Too many futures in one step.");
  if (FFixedFutures > 0 && future >= FFixedFutures)
    return -1;
  Stream.ReseedForFuture(FStepSeed, future);
  return future;
}

void TFutureQueue::Finished() {
  const int32_t finished = FFinished.fetch_add(1, std::memory_order_relaxed) + 1;
  if (FFixedFutures > 0)
    return;
  // Past the deadline and past the minimum in total: this runner stops, and so does every other
  // once its own future ends.
  if (FClock.NowMs() > FDeadlineMs && finished > FMinFutures)
    FEnough.store(true, std::memory_order_relaxed);
}
