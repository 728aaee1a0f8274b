#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <memory>
#include <vector>

#include "ui/qt/UQtPicture.h"

namespace {

constexpr int32_t White = 0xFFFFFF;
constexpr int32_t Black = 0;

class TDefaultCircuit : public ::testing::Test {
protected:
  static void SetUpTestSuite() { Circuit = TQtPicture::LoadDefaultCircuit().release(); }
  static void TearDownTestSuite() {
    delete Circuit;
    Circuit = nullptr;
  }
  static bool IsWhite(int32_t X, int32_t Y) { return Circuit->Pixel(X, Y) == White; }
  static bool IsBlack(int32_t X, int32_t Y) { return Circuit->Pixel(X, Y) == Black; }

  // White pixels reachable from (X, Y) through their four neighbours, as a row-by-row mask.
  static std::vector<uint8_t> RoadFrom(int32_t X, int32_t Y) {
    const int32_t w = Circuit->Width(), h = Circuit->Height();
    std::vector<uint8_t> seen(static_cast<size_t>(w) * h);
    std::vector<std::pair<int32_t, int32_t>> todo{{X, Y}};
    seen[static_cast<size_t>(Y) * w + X] = 1;
    while (!todo.empty()) {
      const auto [x, y] = todo.back();
      todo.pop_back();
      const std::pair<int32_t, int32_t> next[] = {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}};
      for (const auto& [nx, ny] : next) {
        if (nx < 0 || ny < 0 || nx >= w || ny >= h)
          continue;
        uint8_t& mark = seen[static_cast<size_t>(ny) * w + nx];
        if (mark == 0 && IsWhite(nx, ny)) {
          mark = 1;
          todo.emplace_back(nx, ny);
        }
      }
    }
    return seen;
  }

  static TQtPicture* Circuit;
};

TQtPicture* TDefaultCircuit::Circuit = nullptr;

} // namespace

TEST_F(TDefaultCircuit, IsAnUncompressed24Bit800By600Bitmap) {
  EXPECT_EQ(Circuit->Width(), 800);
  EXPECT_EQ(Circuit->Height(), 600);
  QFile file(TQtPicture::DefaultCircuitResource());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray header = file.read(54);
  ASSERT_EQ(header.size(), 54);
  EXPECT_EQ(header.left(2), QByteArray("BM"));
  EXPECT_EQ(static_cast<uint8_t>(header[28]), 24);
  EXPECT_EQ(static_cast<uint8_t>(header[30]), 0);
  EXPECT_EQ(file.size(), 54 + 800 * 600 * 3);
}

TEST_F(TDefaultCircuit, HoldsOnlyPureBlackAndWhiteWithAboutSixtyPercentRoad) {
  int64_t white = 0, other = 0;
  int32_t left = 800, right = -1, top = 600, bottom = -1;
  for (int32_t y = 0; y < 600; ++y)
    for (int32_t x = 0; x < 800; ++x) {
      const int32_t c = Circuit->Pixel(x, y);
      if (c == White) {
        ++white;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      } else if (c != Black) {
        ++other;
      }
    }
  EXPECT_EQ(other, 0);
  const double share = static_cast<double>(white) / (800.0 * 600.0);
  EXPECT_GE(share, 0.55);
  EXPECT_LE(share, 0.63);
  // The road spans roughly columns 97 to 758 and rows 30 to 590.
  EXPECT_NEAR(left, 97, 5);
  EXPECT_NEAR(right, 758, 5);
  EXPECT_NEAR(top, 30, 5);
  EXPECT_NEAR(bottom, 590, 5);
}

TEST_F(TDefaultCircuit, StartPlacesAreRoadAndTheCircleCentreIsOnTheIsland) {
  EXPECT_TRUE(IsWhite(330, 475));
  EXPECT_TRUE(IsWhite(330, 450));
  EXPECT_TRUE(IsBlack(400, 300));
}

TEST_F(TDefaultCircuit, IslandLiesLeftOfTheCentreWithRoadAllAround) {
  // Inside, near each of its four sides.
  EXPECT_TRUE(IsBlack(242, 324));
  EXPECT_TRUE(IsBlack(479, 324));
  EXPECT_TRUE(IsBlack(360, 284));
  EXPECT_TRUE(IsBlack(360, 364));
  // Just outside each side.
  EXPECT_TRUE(IsWhite(230, 324));
  EXPECT_TRUE(IsWhite(492, 324));
  EXPECT_TRUE(IsWhite(360, 272));
  EXPECT_TRUE(IsWhite(360, 376));
}

TEST_F(TDefaultCircuit, NotchFromTheLeftLeavesACorridorToTheIsland) {
  for (int32_t x = 0; x < 160; x += 10)
    EXPECT_TRUE(IsBlack(x, 300)) << x;
  EXPECT_TRUE(IsWhite(130, 250)); // road above and below the notch
  EXPECT_TRUE(IsWhite(130, 350));
  int32_t corridor = 0;
  for (int32_t x = 100; x < 300; ++x)
    corridor += IsWhite(x, 300);
  EXPECT_GE(corridor, 50);
  EXPECT_LE(corridor, 80);
}

TEST_F(TDefaultCircuit, RoadIsOneRegionAroundTheIsland) {
  const std::vector<uint8_t> road = RoadFrom(330, 475);
  const auto reached = [&](int32_t x, int32_t y) { return road[static_cast<size_t>(y) * 800 + x]; };
  EXPECT_TRUE(reached(600, 324)); // right of the island
  EXPECT_TRUE(reached(360, 200)); // above it
  EXPECT_TRUE(reached(200, 300)); // the corridor
  EXPECT_TRUE(reached(330, 450));
  for (int32_t y = 0; y < 600; ++y)
    for (int32_t x = 0; x < 800; ++x)
      if (IsWhite(x, y)) {
        ASSERT_TRUE(reached(x, y)) << "white pixel cut off at " << x << ", " << y;
      }
}
