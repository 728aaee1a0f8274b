#include "world/UPlayerLog.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "agents/UPlayer.h"
#include "agents/UPlayer2D.h"
#include "goals/UGoal2DStorage.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UTeam.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

// The team holding Player, or -1 once it has left the world.
int32_t TeamOf(const TWorld& World, const TPlayer* Player) {
  for (int32_t t = 0; t < World.TeamCount(); ++t)
    if (World.Teams(t).IndexOfMember(Player) >= 0)
      return t;
  return -1;
}

} // namespace

TPlayerLog::TPlayerLog(const TWorld& World) : FWorld(World) {
  const TTrack2D& track = World.Track();
  double sumX = 0, sumY = 0, count = 0;
  for (int32_t x = 0; x < track.FWidth; ++x)
    for (int32_t y = 0; y < track.FHeight; ++y)
      if (track.PixelOnRoad(x, y)) {
        sumX += x;
        sumY += y;
        ++count;
      }
  if (count > 0) {
    FCentreX = sumX / count;
    FCentreY = sumY / count;
  } else {
    FCentreX = track.FWidth / 2.0;
    FCentreY = track.FHeight / 2.0;
  }
}

std::string TPlayerLog::KindOf(const TPlayer& Player) {
  if (Player.IsKart())
    return "kart";
  if (Player.IsRocket())
    return "rocket";
  return "player";
}

void TPlayerLog::Follow(int32_t Step) {
  TTrack2D& track = FWorld.Track();
  for (TRecord& r : FRecords)
    if (r.Player != nullptr && TeamOf(FWorld, r.Player) < 0) {
      r.Player = nullptr;
      r.RemovedStep = Step;
    }
  track.RebuildPlayers();
  for (int32_t i = 0; i < track.PlayerCount(); ++i) {
    TPlayer* player = track.Players(i);
    auto known = std::find_if(FRecords.begin(), FRecords.end(),
                              [&](const TRecord& r) { return r.Player == player; });
    const TPlayer2D* body = player->AsPlayer2D();
    if (known == FRecords.end()) {
      TRecord r;
      r.Index = static_cast<int32_t>(FRecords.size());
      r.Kind = KindOf(*player);
      r.Team = TeamOf(FWorld, player);
      r.BornStep = Step;
      r.AILevel = player->AILevel();
      r.Player = player;
      if (body != nullptr) {
        r.X = body->PosX();
        r.Y = body->PosY();
      }
      FRecords.push_back(r);
      known = FRecords.end() - 1;
    }
    TRecord& r = *known;
    if (body != nullptr) {
      r.Distance += std::hypot(body->PosX() - r.X, body->PosY() - r.Y);
      // The smaller angle between the two bearings: a step never sweeps half a turn.
      const double before = std::atan2(r.Y - FCentreY, r.X - FCentreX);
      const double after = std::atan2(body->PosY() - FCentreY, body->PosX() - FCentreX);
      double swept = after - before;
      swept -= 2 * std::numbers::pi * std::round(swept / (2 * std::numbers::pi));
      // y grows downwards on the screen: a counterclockwise turn there lowers the angle.
      r.Turns -= swept / (2 * std::numbers::pi);
      r.X = body->PosX();
      r.Y = body->PosY();
      r.Speed = std::hypot(body->VelX(), body->VelY());
    }
    r.Alive = !player->IsDead();
    if (!r.Alive && !r.DeathStep)
      r.DeathStep = Step;
    r.Health = player->Health();
    r.Energy = player->Energy();
    r.Size = player->Size();
  }
}

int64_t TPlayerLog::DropUnitsConsumed(const TWorld& World, std::optional<int32_t> Team) {
  int64_t units = 0;
  for (int32_t t = 0; t < World.TeamCount(); ++t) {
    if (Team && *Team != t)
      continue;
    const TTeam& team = World.Teams(t);
    for (int32_t g = 0; g < team.GoalCount(); ++g)
      if (const auto* drops = dynamic_cast<const TGoal2DSweets*>(team.Goals(g)))
        units += drops->FConsumedUnits;
  }
  return units;
}

std::optional<double> TPlayerLog::StoredEnergy(const TWorld& World, std::optional<int32_t> Team) {
  std::optional<double> stored;
  for (int32_t t = 0; t < World.TeamCount(); ++t) {
    if (Team && *Team != t)
      continue;
    const TTeam& team = World.Teams(t);
    for (int32_t g = 0; g < team.GoalCount(); ++g)
      if (const auto* box = dynamic_cast<const TGoal2DStorage*>(team.Goals(g)))
        stored = stored.value_or(0) + box->FStored;
  }
  return stored;
}
