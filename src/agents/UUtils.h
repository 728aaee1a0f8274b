#pragma once

#include <cstdint>

// Packs a colour as the simulation stores colours: red in the low byte, green in the middle byte,
// blue in the high byte. Each channel is cut to at most 255; there is no lower cut.
int32_t MakeColor(int32_t R, int32_t G, int32_t B);
