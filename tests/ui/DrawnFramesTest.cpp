#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "agents/UPlayer.h"
#include "goals/UTeam.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/USceneFile.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

// FNV-1a over the picture's pixels, row by row.
uint64_t PictureHash(const TQtPicture& Picture) {
  const QImage image = Picture.Image().convertToFormat(QImage::Format_RGB32);
  uint64_t h = 1469598103934665603ULL;
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = image.constScanLine(y);
    for (int x = 0; x < image.width() * 4; ++x) {
      h ^= row[x];
      h *= 1099511628211ULL;
    }
  }
  return h;
}

// The drops scene with everything drawn: traces, ending points, goals, levels; a fixed number of
// futures so that the run repeats.
std::vector<uint64_t> DropsFrameHashes(int32_t Threads) {
  std::unique_ptr<TWorld> world = TSceneFile::OpenScenario("drops");
  world->Reseed(11);
  TTrack2D& track = world->Track();
  track.SetThreads(Threads);
  track.SetFixedFutures(40);
  for (int32_t i = 0; i < track.PlayerCount(); ++i) {
    TPlayer& p = *track.Players(i);
    p.SetDrawTraces(true);
    p.SetDrawEndPoints(true);
    p.SetDrawGoals(true);
    p.SetDrawLevels(true);
  }
  TQtPicture picture(world->Circuit().Width(), world->Circuit().Height());
  std::vector<uint64_t> hashes;
  for (int32_t step = 0; step < 20; ++step) {
    world->Step(100);
    picture.CopyFrom(world->Circuit());
    world->Paint(picture.Canvas(), true);
    hashes.push_back(PictureHash(picture));
  }
  return hashes;
}

} // namespace

// The pictures of 20 steps, painted after each: the same pixels on one thread and on three, and
// those recorded (first as the world drew during its steps, anew when the futures' random pushes
// became Box-Muller draws in lane groups of 8).
TEST(DrawnFrames, TheDropsSceneLooksAsRecorded) {
  const std::vector<uint64_t> recorded = {
      0x2be9fea47c85d30eULL, 0x386f490674dd6ef0ULL, 0x270c477a98bbf602ULL, 0x21778b24524cbacfULL,
      0xc59374172e1cbeedULL, 0xc3bbf8c81630880cULL, 0x3d7d503c7ace7ef0ULL, 0x543ca99579f93c19ULL,
      0x6ae9b9c845bb0b79ULL, 0x3ad9bf5a5aa6ac05ULL, 0xde63d9989d087727ULL, 0x7a2c81adbfeca892ULL,
      0xf4dee40679e75dcfULL, 0x9df1610aee7fa8d3ULL, 0x228b2d45f272dad6ULL, 0xb9d8cae7637caa6dULL,
      0x31d540795d680c97ULL, 0xb79d0fad42cbb59dULL, 0xef45799f30b234b1ULL, 0xd80869b187d95afaULL};
  EXPECT_EQ(DropsFrameHashes(1), recorded);
  EXPECT_EQ(DropsFrameHashes(3), recorded);
}
