#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "decision/FuturesTestKit.h"
#include "platform/URandom.h"

namespace {

// The counting of futures as first described: each future is compared with every earlier
// counted future of its option. The lookup table of ScoreOptions must give the same result. The
// reference keeps its own copies of the futures and writes the options' sums.
int32_t ScoreOptionsByScan(TListOfFutures& List, std::vector<TState>& Futures) {
  int32_t dots = 0;
  for (int32_t k = 0; k < List.OptionCount(); ++k)
    List.GetOption(k).ResetScore();
  for (int32_t i = 0; i < List.FutureCount(); ++i)
    Futures.push_back(List.GetFuture(i));
  for (TState& future : Futures) {
    TState& option = *future.Option;
    TState* earlier = nullptr;
    for (TState* other = Futures.data(); other != &future && earlier == nullptr; ++other)
      if (!other->Discarded && other->Option == future.Option && future.SameMacroState(*other))
        earlier = other;
    if (earlier == nullptr) {
      ++dots;
      option.AddScore(future.GetScore(), 1);
      ++option.FutureCount;
      continue;
    }
    if (future.GetScore() > earlier->GetScore()) {
      earlier->Discarded = true;
      if (earlier->GetScore() >= 0)
        option.ScorePositive -= earlier->GetScore();
      else
        option.ScoreNegative += earlier->GetScore();
      option.AddScore(future.GetScore(), 1);
    } else {
      future.Discarded = true;
    }
  }
  return dots;
}

// Many futures over few options and few cells, with small integer scores (ties, later better
// ones, negative ones), identically in two players' lists.
void FillAlike(TLinePlayer& A, TLinePlayer& B, uint64_t Seed, int32_t Count) {
  RandSeed(Seed);
  const double pushes[4] = {10, -10, 10.0 / 3, -10.0 / 3};
  for (int32_t i = 0; i < Count; ++i) {
    const double push = pushes[static_cast<int>(Random() * 4)];
    const double x = std::floor(Random() * 12) * 15;
    const long double positive = std::floor(Random() * 4);
    const long double negative = Random() < 0.3 ? std::floor(Random() * 4) : 0;
    AddTestFuture(A, push, x, positive, negative);
    AddTestFuture(B, push, x, positive, negative);
  }
}

} // namespace

TEST(CellLookup, CountsExactlyAsTheScanOfEarlierFutures) {
  for (int level : {2, 4, 5, 8}) {
    for (uint64_t seed : {11u, 12u, 13u}) {
      auto hashed = TLinePlayer::New(0, 10);
      auto scanned = TLinePlayer::New(0, 10);
      hashed->SetAILevel(level);
      scanned->SetAILevel(level);
      FillAlike(*hashed, *scanned, seed, 3000);
      TListOfFutures& a = hashed->Futures();
      TListOfFutures& b = scanned->Futures();
      a.GroupOptions();
      b.GroupOptions();
      a.ScoreOptions();
      std::vector<TState> copies;
      const int32_t dots = ScoreOptionsByScan(b, copies);
      SCOPED_TRACE(testing::Message() << "level " << level << " seed " << seed);
      ASSERT_EQ(a.DotCount(), dots);
      ASSERT_EQ(a.OptionCount(), b.OptionCount());
      for (int32_t i = 0; i < a.FutureCount(); ++i)
        ASSERT_EQ(a.GetFuture(i).Discarded, copies[i].Discarded) << "future " << i;
      for (int32_t k = 0; k < a.OptionCount(); ++k) {
        EXPECT_EQ(a.GetOption(k).FutureCount, b.GetOption(k).FutureCount);
        EXPECT_EQ(a.GetOption(k).ScorePositive, b.GetOption(k).ScorePositive);
        EXPECT_EQ(a.GetOption(k).ScoreNegative, b.GetOption(k).ScoreNegative);
        EXPECT_EQ(a.GetOption(k).GetScore(), b.GetOption(k).GetScore());
      }
    }
  }
}
