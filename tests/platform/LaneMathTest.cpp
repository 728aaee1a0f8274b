#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "platform/ULaneMath.h"
#include "platform/UMath.h"

namespace {

// Runs each test once per instruction set the lanes are built for and this processor runs.
class LaneMath : public testing::TestWithParam<int64_t> {
protected:
  void SetUp() override {
    RestrictLaneTargets(GetParam());
    ASSERT_EQ(LaneTarget(), GetParam());
  }
  void TearDown() override { RestrictLaneTargets(0); }
};

INSTANTIATE_TEST_SUITE_P(EveryTarget, LaneMath, testing::ValuesIn(LaneTargets()),
                         [](const testing::TestParamInfo<int64_t>& Info) {
                           return LaneTargetName(Info.param);
                         });

// 8 * 1000 + 5 values: whole vectors of every width, and a tail.
constexpr size_t Count = 8005;

std::vector<double> Draws(uint64_t Seed, double Low, double High) {
  std::mt19937_64 g(Seed);
  std::uniform_real_distribution<double> u(Low, High);
  std::vector<double> x(Count);
  for (double& v : x)
    v = u(g);
  return x;
}

bool SameBits(double A, double B) {
  return std::memcmp(&A, &B, sizeof A) == 0;
}

} // namespace

TEST_P(LaneMath, GiveTheSameBitsAsOneAtATime) {
  std::vector<double> angles = Draws(1, -1e5, 1e5);
  const std::vector<double> small = Draws(2, -4, 4);
  std::copy(small.begin(), small.begin() + 2000, angles.begin());
  const std::vector<double> u1 = Draws(3, 0, 1), u2 = Draws(4, 0, 1);
  std::vector<double> positives(Count);
  for (size_t i = 0; i < Count; ++i)
    positives[i] =
        i % 2 == 0 ? 1 - u1[i] : std::ldexp(u2[i] + 0.5, static_cast<int>(i % 2000) - 1000);

  std::vector<double> sin(Count), cos(Count), log(Count), gauss(Count);
  SinCosLanes(angles.data(), sin.data(), cos.data(), Count);
  LogLanes(positives.data(), log.data(), Count);
  GaussianLanes(u1.data(), u2.data(), gauss.data(), Count);
  for (size_t i = 0; i < Count; ++i) {
    double s, c;
    SinCos(angles[i], s, c);
    ASSERT_TRUE(SameBits(sin[i], s)) << angles[i];
    ASSERT_TRUE(SameBits(cos[i], c)) << angles[i];
    ASSERT_TRUE(SameBits(log[i], Log(positives[i]))) << positives[i];
    ASSERT_TRUE(SameBits(gauss[i], GaussianFromUniforms(u1[i], u2[i]))) << u1[i] << " " << u2[i];
  }
}

TEST_P(LaneMath, LeaveWhatFollowsATailAlone) {
  const std::vector<double> x = {0.25, 0.5, 0.75};
  std::vector<double> out = {-1, -1, -1, 42};
  LogLanes(x.data(), out.data(), 3);
  EXPECT_EQ(out[2], Log(0.75));
  EXPECT_EQ(out[3], 42);
}
