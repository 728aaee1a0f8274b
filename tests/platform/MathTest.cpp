#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "decision/UState.h"
#include "platform/UMath.h"
#include "platform/URandom.h"

namespace {

// Distance in representable doubles; +0 and -0 are the same place.
int64_t UlpDistance(double A, double B) {
  const auto ordered = [](double x) {
    int64_t i;
    std::memcpy(&i, &x, sizeof i);
    return i < 0 ? std::numeric_limits<int64_t>::min() - i : i;
  };
  const int64_t d = ordered(A) - ordered(B);
  return d < 0 ? -d : d;
}

// Headings a body reaches, the edges of every quadrant up to 1e5 radians (where the reduction
// cancels most), and small angles.
std::vector<double> Angles() {
  std::mt19937_64 g(7);
  std::uniform_real_distribution<double> wide(-1e5, 1e5), turn(-10, 10);
  std::vector<double> x;
  for (int i = 0; i < 100000; ++i) {
    x.push_back(wide(g));
    x.push_back(turn(g));
  }
  for (int64_t k = -63600; k <= 63600; k += 53) {
    double edge = static_cast<double>(k) * (std::numbers::pi / 2);
    double below = edge, above = edge;
    for (int step = 0; step < 3; ++step) {
      below = std::nextafter(below, -1e9);
      above = std::nextafter(above, 1e9);
      x.insert(x.end(), {below, above});
    }
    x.push_back(edge);
    x.push_back(static_cast<double>(k) * (std::numbers::pi / 4));
  }
  for (double e = 1e-300; e < 1; e *= 1.9)
    x.insert(x.end(), {e, -e});
  return x;
}

// What the futures take logarithms of (1 - u for draws u of 53 bits), and every scale of doubles.
std::vector<double> Positives() {
  std::mt19937_64 g(8);
  std::vector<double> x;
  for (int i = 0; i < 100000; ++i) {
    x.push_back(1 - static_cast<double>(g() >> 11) * 0x1p-53);
    x.push_back(std::ldexp(0.5 + static_cast<double>(g() >> 11) * 0x1p-54, (i % 2040) - 1020));
  }
  // Both sides of sqrt(1/2) and sqrt(2), where the mantissa's range turns over.
  for (double m = 0.70; m < 1.43; m += 1e-5)
    x.push_back(m);
  for (double e = 0x1p-53; e <= 1; e *= 2)
    x.insert(x.end(), {e, std::nextafter(e, 0.0), std::nextafter(e, 2.0)});
  return x;
}

} // namespace

TEST(Math, SinAndCosAreWithinTwoUlpOfTheLibrarys) {
  int64_t worstSin = 0, worstCos = 0;
  for (double x : Angles()) {
    double s, c;
    SinCos(x, s, c);
    worstSin = std::max(worstSin, UlpDistance(s, std::sin(x)));
    worstCos = std::max(worstCos, UlpDistance(c, std::cos(x)));
    ASSERT_EQ(Sin(x), s);
    ASSERT_EQ(Cos(x), c);
  }
  EXPECT_LE(worstSin, 2);
  EXPECT_LE(worstCos, 2);
  EXPECT_EQ(Cos(0), 1);
  EXPECT_EQ(Sin(0), 0);
}

TEST(Math, LogIsWithinAnUlpOfTheLibrarys) {
  int64_t worst = 0;
  for (double x : Positives())
    worst = std::max(worst, UlpDistance(Log(x), std::log(x)));
  EXPECT_LE(worst, 1);
  EXPECT_EQ(Log(1), 0);
}

TEST(Math, GaussianIsBoxMullerOnTwoUniforms) {
  for (const auto& [u1, u2] : {std::pair{0.0, 0.0}, {0.3, 0.1}, {0.999, 0.75}, {0.5, 0.5}}) {
    const double expected = std::sqrt(-2 * std::log(1 - u1)) * std::cos(2 * std::numbers::pi * u2);
    EXPECT_NEAR(GaussianFromUniforms(u1, u2), expected, 1e-14) << u1 << " " << u2;
  }
  // The last draw below 1: finite, and the largest value the method gives.
  EXPECT_NEAR(GaussianFromUniforms(1 - 0x1p-53, 0), std::sqrt(2 * 53 * std::numbers::ln2), 1e-13);

  // A Gaussian push takes exactly two draws, the first for the radius, whatever they are.
  RandSeed(3);
  TStateParam p = TStateParam::CreateFree("PushTurn", 15);
  p.Gaussian = true;
  for (int i = 0; i < 100; ++i) {
    RandSeed(100 + i);
    const double u1 = Random(), u2 = Random(), after = Random();
    RandSeed(100 + i);
    p.Randomize();
    EXPECT_EQ(p.Value, GaussianFromUniforms(u1, u2) * p.SmallPush());
    EXPECT_EQ(Random(), after);
  }
}
