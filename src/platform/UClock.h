#pragma once

#include <cstdint>

// Time source of a step's real-time budget. Monotonic, so a budget that spans midnight or a change
// of the wall clock still ends.
class TClock {
public:
  virtual ~TClock() = default;
  // Milliseconds since an arbitrary fixed start; never decreases.
  virtual int64_t NowMs() = 0;
};

// The machine's monotonic clock.
class TSteadyClock : public TClock {
public:
  int64_t NowMs() override;
  // One shared instance: it has no state of its own.
  static TSteadyClock& Instance();
};
