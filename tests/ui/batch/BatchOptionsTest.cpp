#include <gtest/gtest.h>

#include "ui/batch/UBatchOptions.h"

namespace {

std::string UsageError(const std::vector<std::string>& Args) {
  try {
    TBatchOptions::Parse(Args);
  } catch (const EBatchUsage& e) {
    return e.what();
  }
  return "accepted";
}

} // namespace

TEST(BatchOptions, DefaultsAreTheWindowsSettings) {
  const TBatchOptions o = TBatchOptions::Parse({});
  EXPECT_EQ(o.Scenario, "rocket");
  EXPECT_EQ(o.Steps, 100);
  EXPECT_FALSE(o.Seed.has_value());
  EXPECT_EQ(o.Futures, 0);
  EXPECT_EQ(o.BudgetMs, 100);
  EXPECT_EQ(o.MinFutures, 100);
  EXPECT_EQ(o.Seconds, 5);
  EXPECT_TRUE(o.Collisions);
  EXPECT_FALSE(o.Evolution);
}

TEST(BatchOptions, ReadsValuesInBothSpellings) {
  const TBatchOptions o =
      TBatchOptions::Parse({"--scenario", "circle", "--steps=7", "--seed", "18446744073709551615",
                            "--futures", "300", "--ai-level=4", "--seconds", "2", "--evolution",
                            "--no-collisions", "--json", "--csv", "out.csv", "--frames", "f"});
  EXPECT_EQ(o.Scenario, "circle");
  EXPECT_EQ(o.Steps, 7);
  EXPECT_EQ(*o.Seed, 18446744073709551615ull);
  EXPECT_EQ(o.Futures, 300);
  EXPECT_EQ(o.AILevel, 4);
  EXPECT_EQ(o.Seconds, 2);
  EXPECT_TRUE(o.Evolution);
  EXPECT_FALSE(o.Collisions);
  EXPECT_TRUE(o.Json);
  EXPECT_EQ(o.CsvFile, "out.csv");
  EXPECT_EQ(o.FramesStem, "f");
}

TEST(BatchOptions, NamesTheArgumentAndWhatItAllows) {
  EXPECT_EQ(UsageError({"--speed", "3"}), "--speed: unknown option (see --help)");
  EXPECT_EQ(UsageError({"--steps", "-1"}),
            "--steps: expected a whole number from 0 to 10000000, got \"-1\"");
  EXPECT_EQ(UsageError({"--steps", "ten"}),
            "--steps: expected a whole number from 0 to 10000000, got \"ten\"");
  EXPECT_EQ(UsageError({"--steps", "3x"}),
            "--steps: expected a whole number from 0 to 10000000, got \"3x\"");
  EXPECT_EQ(UsageError({"--ai-level", "0"}),
            "--ai-level: expected a whole number from 1 to 8, got \"0\"");
  EXPECT_EQ(UsageError({"--ai-level", "9"}),
            "--ai-level: expected a whole number from 1 to 8, got \"9\"");
  EXPECT_EQ(UsageError({"--scenario", "moon"}),
            "--scenario: expected rocket, kart, circle or drops, got \"moon\"");
  EXPECT_EQ(UsageError({"--seed"}), "--seed: a value is missing");
  EXPECT_EQ(UsageError({"--json=yes"}), "--json: takes no value");
  EXPECT_EQ(UsageError({"--circuit", "/nonexistent/track.bmp"}),
            "--circuit: expected an existing BMP file, \"/nonexistent/track.bmp\" is not one");
}

TEST(BatchOptions, EveryNumberIsRefusedWhenHugeNegativeOrEmpty) {
  const std::pair<std::string, std::string> allowed[] = {
      {"--steps", "from 0 to 10000000"}, {"--futures", "from 1 to 100000"},
      {"--budget-ms", "from 1 to 2000"}, {"--min-futures", "from 1 to 2000"},
      {"--seconds", "from 1 to 20"},     {"--ai-level", "from 1 to 8"},
      {"--threads", "from 0 to 256"},    {"--seed", "from 0 to 18446744073709551615"}};
  for (const auto& [name, range] : allowed)
    for (const std::string value :
         {"99999999999999999999999", "-1", "-99999999999999999999999", "", " 3", "1e3"})
      EXPECT_EQ(UsageError({name, value}),
                name + ": expected a whole number " + range + ", got \"" + value + "\"");
  for (const std::string name : {"--scenario", "--circuit", "--frames", "--csv"})
    EXPECT_NE(UsageError({name, ""}), "accepted") << name;
  EXPECT_EQ(TBatchOptions::Parse({"--threads", "256"}).Threads, 256);
}
