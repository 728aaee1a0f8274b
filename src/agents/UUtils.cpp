#include "agents/UUtils.h"

#include <algorithm>

int32_t MakeColor(int32_t R, int32_t G, int32_t B) {
  return std::min(255, R) + 256 * std::min(255, G) + 65536 * std::min(255, B);
}
