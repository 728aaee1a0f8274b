#pragma once

#include <cstdint>
#include <string>

class TWorld;

// A short fingerprint of what a world is between steps: every player's state and settings, the
// goals with what they keep (a team's store, the drops), the world's settings, its step count and
// its random stream. Two worlds that go on alike have the same; a program that computes a step
// differently gives another within a step or two. The same on every machine for the same world.
class TWorldHash {
public:
  static uint64_t Of(TWorld& World);
  // The 8 hexadecimal digits a replay keeps of it.
  static std::string Short(uint64_t Hash);
};
