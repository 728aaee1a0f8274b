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

// The pictures of 20 steps, painted after each, as they were drawn when the world drew during its
// steps: the same pixels, on one thread and on three.
TEST(DrawnFrames, TheDropsSceneLooksAsRecorded) {
  const std::vector<uint64_t> recorded = {
      0x8fda512be6b11bb4ULL, 0x4ff0d5d73bfb43c6ULL, 0xdf3d12dda77c2fabULL, 0x8a8d217073c436ecULL,
      0x44fa37bc26b26817ULL, 0xc1a7c188b0655c01ULL, 0xf2a00aaccd01ff1eULL, 0x4b7c44b52bda8ea8ULL,
      0x367585e2cc1ef4e6ULL, 0xf31025a2c38e602bULL, 0x2654b4191c491362ULL, 0xdaf31dcf566c07c9ULL,
      0xd387a428d079d16dULL, 0xaa48c6286f3551abULL, 0x6574b140305c12aeULL, 0xe88cfab71dd3ba89ULL,
      0x63f4a6480ae190abULL, 0x3238b01b514de6e7ULL, 0x7543d9610f0fc8f5ULL, 0x4468f3134a68c241ULL};
  EXPECT_EQ(DropsFrameHashes(1), recorded);
  EXPECT_EQ(DropsFrameHashes(3), recorded);
}
