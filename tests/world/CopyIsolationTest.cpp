#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "goals/UGoalCatalogue.h"
#include "goals/UTeam.h"
#include "support/TestPicture.h"
#include "world/URoster.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"
#include "world/UWorldCopy.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

// Under AddressSanitizer, memory that nothing may read or write until it is released again: a
// stray pointer into it stops the test with the place that followed it. Elsewhere it does
// nothing, and the test still runs every goal kind on the copies.
class TPoisoned {
public:
  void Add(const void* Address, size_t Size) { FRegions.emplace_back(Address, Size); }
  void Poison() const {
#if defined(__SANITIZE_ADDRESS__)
    for (const auto& [address, size] : FRegions)
      ASAN_POISON_MEMORY_REGION(address, size);
#endif
  }
  ~TPoisoned() {
#if defined(__SANITIZE_ADDRESS__)
    for (const auto& [address, size] : FRegions)
      ASAN_UNPOISON_MEMORY_REGION(address, size);
#endif
  }

private:
  std::vector<std::pair<const void*, size_t>> FRegions;
};

} // namespace

// Copies of the world made as a step makes them run their futures, on three threads, while
// everything of the real world they could reach by a kept pointer is poisoned: its players, its
// teams, their goals and the track itself.
TEST(WorldCopy, TheFuturesOfCopiesNeverReachTheRealWorld) {
  TWorld world{TTestPicture::OpenRoad(400, 300, 5), "", 21};
  const TRandom::TUse use = world.UseRandom();
  TTrack2D& track = world.Track();
  TRoster roster(track);
  roster.AddPlayer(TRoster::pkRocket);
  roster.AddPlayerAhead(TRoster::pkKart);
  roster.AddPlayerAhead(TRoster::pkKart);
  for (const std::string& kind : TGoalCatalogue::Names()) {
    world.CurrentTeam().AddGoal(TGoalCatalogue::NewOnTrack(kind, 1, track));
    track.Players(0)->AddGoal(TGoalCatalogue::NewOnTrack(kind, 1, track));
  }
  TWorldSettings settings = track.Settings();
  settings.FFixedFutures = 12;
  settings.FCollisions = true;
  settings.FEvolution = true;
  track.SetSettings(settings);
  track.SetThreads(3);
  world.SetMouse(200, 150);
  for (int32_t step = 0; step < 50; ++step) {
    const int32_t subSteps = track.SubStepCount();
    std::vector<std::unique_ptr<TWorldCopy>> copies;
    for (int32_t c = 0; c < 3; ++c) {
      copies.push_back(std::make_unique<TWorldCopy>(track.NewWorkerWorld()));
      copies.back()->Sync(track);
    }
    {
      TPoisoned real;
      real.Add(&track, sizeof(TTrack2D));
      for (int32_t t = 0; t < track.TeamCount(); ++t) {
        const TTeam& team = *track.Teams(t);
        real.Add(&team, sizeof(TTeam));
        for (int32_t g = 0; g < team.GoalCount(); ++g)
          real.Add(team.Goals(g), sizeof(TGoal));
        for (int32_t i = 0; i < team.MemberCount(); ++i) {
          const TPlayer& player = *team.Members(i);
          real.Add(&player, sizeof(TPlayer));
          for (int32_t g = 0; g < player.GoalCount(); ++g)
            real.Add(player.Goals(g), sizeof(TGoal));
        }
      }
      real.Poison();
      std::vector<std::thread> runners;
      for (const auto& copy : copies)
        runners.emplace_back([&copy, subSteps, step] {
          TRandom stream(static_cast<uint64_t>(step));
          const TRandom::TUse own(stream);
          for (int32_t f = 0; f < 4; ++f)
            copy->World().RunFuture(subSteps);
        });
      for (std::thread& runner : runners)
        runner.join();
    }
    ASSERT_TRUE(world.Step(100));
  }
  EXPECT_GT(track.PlayerCount(), 0);
}
