#include "ui/qt/UReplay.h"

#include <algorithm>

#include "ui/qt/USceneWriter.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"
#include "world/UWorldHash.h"

void TReplay::Start(const TWorld& World) {
  Scene = TSceneWriter::Scene(World);
  Stream = const_cast<TWorld&>(World).RandomStream().State();
  Steps.clear();
  After.clear();
}

void TReplay::Record(TWorldCommand Command) {
  After.push_back(std::move(Command));
}

void TReplay::StepDone(TWorld& World) {
  Steps.push_back({std::move(After), World.Track().LastFutureCount(),
                   TWorldHash::Short(TWorldHash::Of(World))});
  After.clear();
}

void TReplay::StepFailed(const TWorld& World) {
  const TTrack2D& track = World.Track();
  const int32_t failed = track.LastFailedFuture();
  // At least one: a step that raised before its futures raises again with any number of them.
  Steps.push_back(
      {std::move(After), std::max(1, failed >= 0 ? failed + 1 : track.LastFutureCount()), {}});
  After.clear();
}
