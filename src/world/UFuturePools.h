#pragma once

#include <cstdint>
#include <span>
#include <vector>

class TTrack;

// What the futures of one step consume in turn from one pool per goal that has one: the energy
// drops as the futures see them, where a drop emptied in one future stays empty for the futures
// that follow. This is the one place where the runners' copies of the world meet: each block of
// futures starts from the pools as its round found them, records what it used, and the calling
// thread merges the blocks' use in block order before the next round starts. The real goals'
// pools are written only there, and no runner ever reads them.
class TFuturePools {
public:
  // Finds the pools of the real world's goals, and those of every copy's goals, which were made
  // in the same order. On the calling thread, once the copies are in step with the real world.
  void Gather(TTrack& Real, const std::vector<TTrack*>& Copies);
  bool Empty() const { return FSize == 0; }

  // On the calling thread, before a round: no block of it has used anything yet.
  void BeginRound();
  // On a runner's thread: the copy's pools start from the pools as the round found them.
  void BeginBlock(int32_t Copy);
  // On a runner's thread: what the copy's futures took since BeginBlock, for block Index of the
  // round (0 .. RoundBlocks - 1).
  void EndBlock(int32_t Copy, int32_t Index);
  // On the calling thread, after a round: the use of its first Blocks blocks, in order, taken
  // from the pools (never below 0), and the real goals' pools set to the result.
  void EndRound(int32_t Blocks);

private:
  // Every goal's pool, real and copies alike, in the order Gather found them.
  static void Collect(TTrack& World, std::vector<std::span<int32_t>>& Pools);

  int32_t FSize = 0;                                    // entries of all pools together
  std::vector<std::span<int32_t>> FReal;                // the real goals' pools
  std::vector<std::vector<std::span<int32_t>>> FCopies; // [copy]: its goals' pools
  std::vector<int32_t> FRound;                          // all pools, as the round started
  std::vector<int32_t> FUse;                            // [block * FSize + entry]: what it used
};
