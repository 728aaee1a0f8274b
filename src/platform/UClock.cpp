#include "platform/UClock.h"

#include <chrono>

int64_t TSteadyClock::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TSteadyClock& TSteadyClock::Instance() {
  static TSteadyClock clock;
  return clock;
}
