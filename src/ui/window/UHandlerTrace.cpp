#include "ui/window/UHandlerTrace.h"

#include <exception>
#include <vector>

namespace {

// The window runs its handlers on one thread, so one trail serves them all.
std::vector<std::string>& Trail() {
  static std::vector<std::string> trail;
  return trail;
}

int& Depth() {
  static int depth = 0;
  return depth;
}

} // namespace

THandlerTrace::THandlerTrace(const char* Name)
    : FName(Name), FUncaught(std::uncaught_exceptions()) {
  // An outermost handler starts a new story: a trail nobody took belongs to an error of the past.
  if (Depth()++ == 0)
    Trail().clear();
}

THandlerTrace::~THandlerTrace() {
  --Depth();
  if (std::uncaught_exceptions() > FUncaught)
    Trail().push_back(FName);
}

std::string THandlerTrace::TakeTrail() {
  std::string text;
  for (size_t i = 0; i < Trail().size(); ++i)
    text += (i == 0 ? "" : ", called from ") + Trail()[i];
  Trail().clear();
  return text;
}
