#pragma once

#include <string>

// Remembers which window handlers an error has left, so that its report can say where it came
// from. Every handler keeps one on its stack; while an exception unwinds through it, it adds its
// handler's name to the trail, innermost first, and the place that catches the error takes it.
class THandlerTrace {
public:
  explicit THandlerTrace(const char* Name);
  ~THandlerTrace();
  THandlerTrace(const THandlerTrace&) = delete;
  THandlerTrace& operator=(const THandlerTrace&) = delete;

  // "EdSizeChange, called from EdPlayerIdChange", or empty when the error left no handler; the
  // trail starts afresh afterwards.
  static std::string TakeTrail();

private:
  const char* FName;
  int FUncaught; // exceptions already in flight when the handler began
};
