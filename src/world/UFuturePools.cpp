#include "world/UFuturePools.h"

#include <algorithm>

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "world/UFutureQueue.h"
#include "world/UTrack.h"

void TFuturePools::Collect(TTrack& World, std::vector<std::span<int32_t>>& Pools) {
  Pools.clear();
  const auto add = [&](TGoal& Goal) {
    const std::span<int32_t> pool = Goal.FuturePool();
    if (!pool.empty())
      Pools.push_back(pool);
  };
  for (int32_t t = 0; t < World.TeamCount(); ++t) {
    TTeam& team = *World.Teams(t);
    for (int32_t g = 0; g < team.GoalCount(); ++g)
      add(*team.Goals(g));
    for (int32_t i = 0; i < team.MemberCount(); ++i) {
      TPlayer& member = *team.Members(i);
      for (int32_t g = 0; g < member.GoalCount(); ++g)
        add(*member.Goals(g));
    }
  }
}

void TFuturePools::Gather(TTrack& Real, const std::vector<TTrack*>& Copies) {
  Collect(Real, FReal);
  FSize = 0;
  for (const std::span<int32_t>& pool : FReal)
    FSize += static_cast<int32_t>(pool.size());
  FCopies.resize(Copies.size());
  for (size_t c = 0; c < Copies.size(); ++c) {
    Collect(*Copies[c], FCopies[c]);
    bool same = FCopies[c].size() == FReal.size();
    for (size_t p = 0; same && p < FReal.size(); ++p)
      same = FCopies[c][p].size() == FReal[p].size();
    if (!same)
      throw EError("A copy of the world does not hold the pools of the world it copies.");
  }
  FRound.resize(static_cast<size_t>(FSize));
  FUse.resize(static_cast<size_t>(FSize) * TFutureQueue::RoundBlocks);
  int32_t at = 0;
  for (const std::span<int32_t>& pool : FReal)
    at = static_cast<int32_t>(std::copy(pool.begin(), pool.end(), FRound.begin() + at) -
                              FRound.begin());
}

void TFuturePools::BeginRound() {
  std::fill(FUse.begin(), FUse.end(), 0);
}

void TFuturePools::BeginBlock(int32_t Copy) {
  auto from = FRound.begin();
  for (const std::span<int32_t>& pool : FCopies[Copy]) {
    std::copy_n(from, pool.size(), pool.begin());
    from += static_cast<ptrdiff_t>(pool.size());
  }
}

void TFuturePools::EndBlock(int32_t Copy, int32_t Index) {
  int32_t* use = FUse.data() + static_cast<size_t>(Index) * FSize;
  const int32_t* round = FRound.data();
  for (const std::span<int32_t>& pool : FCopies[Copy])
    for (const int32_t left : pool)
      *use++ = *round++ - left;
}

void TFuturePools::EndRound(int32_t Blocks) {
  for (int32_t b = 0; b < Blocks; ++b) {
    const int32_t* use = FUse.data() + static_cast<size_t>(b) * FSize;
    for (int32_t e = 0; e < FSize; ++e)
      if (use[e] != 0)
        FRound[e] = std::max(0, FRound[e] - use[e]);
  }
  const int32_t* from = FRound.data();
  for (const std::span<int32_t>& pool : FReal) {
    std::copy_n(from, pool.size(), pool.begin());
    from += pool.size();
  }
}
