#include <gtest/gtest.h>

#include <cmath>

#include "ui/experiment/USummary.h"

TEST(Summary, ConfidenceIntervalOfAHandCheckedSet) {
  // 1..5: mean 3, variance 10/4, sd 1.5811388; t(0.975, 4) = 2.7764451;
  // half width 2.7764451 * 1.5811388 / sqrt(5) = 1.9632432.
  const TSummary::TStats s = TSummary::Of({2, 4, 1, 5, 3});
  EXPECT_EQ(s.N, 5);
  EXPECT_DOUBLE_EQ(s.Mean, 3);
  EXPECT_NEAR(s.Sd, 1.5811388, 1e-7);
  EXPECT_NEAR(s.Low, 1.0367568, 1e-6);
  EXPECT_NEAR(s.High, 4.9632432, 1e-6);
}

TEST(Summary, StudentQuantileBeyondTheTableAndTooFewValues) {
  EXPECT_NEAR(TSummary::T975(40), 2.0210754, 1e-6);
  EXPECT_NEAR(TSummary::T975(120), 1.9799304, 1e-6);
  const TSummary::TStats one = TSummary::Of({7});
  EXPECT_EQ(one.N, 1);
  EXPECT_EQ(one.Mean, 7);
  EXPECT_TRUE(std::isnan(one.Sd));
  EXPECT_TRUE(std::isnan(one.Low));
  EXPECT_EQ(TSummary::Of({}).N, 0);
}
