#include "world/ULaneFutures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <typeinfo>

#include "agents/UKart.h"
#include "agents/URocket.h"
#include "goals/UGoal.h"
#include "goals/UGoal2DRaced.h"
#include "goals/UGoalDuplicate.h"
#include "goals/UGoalEnergy.h"
#include "goals/UGoalHealth.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/ULaneMath.h"
#include "platform/URandom.h"
#include "world/ULaneKernels.h"
#include "world/UTrack2D.h"

namespace {

static_assert(TLaneStreams::Lanes == TBodyLanes::Lanes);

// What SetValue stores for X in bounds B.
double Bounded(const TMotionBounds& B, double X) {
  if (!(B.Max > B.Min))
    return X;
  return X < B.Min ? B.Min : (X > B.Max ? B.Max : X);
}

// The heading in whole degrees, as SetAngle keeps it, raises for a heading no outline can turn
// by: a lane must fail where one future would.
void CheckHeading(double Angle) {
  // Far within the range (5.8e8 degrees at most) nothing can fail: no division needed.
  if (std::fabs(Angle) <= 1e7)
    return;
  RoundToInt32(Angle * 180 / std::numbers::pi);
}

bool IsLaneGoal(const TGoal& Goal) {
  const std::type_info& kind = typeid(Goal);
  return kind == typeid(TGoal2DRaced) || kind == typeid(TGoalHealth) ||
         kind == typeid(TGoalEnergy) || kind == typeid(TGoalDuplicate);
}

} // namespace

TLaneFutures::TLaneFutures()
    : FEnter([this](int32_t P) {
        FPlayers[P]->LoadLane(FBodies[P], FCollisionLane, FCollisionTime);
        FEntered.push_back(P);
      }) {}

bool TLaneFutures::Accepts(const TTrack& World) {
  if (dynamic_cast<const TTrack2D*>(&World) == nullptr)
    return false;
  const std::vector<TPlayer*>& list = World.PlayerList();
  int32_t members = 0;
  for (int32_t t = 0; t < World.TeamCount(); ++t) {
    const TTeam& team = *World.Teams(t);
    for (int32_t g = 0; g < team.GoalCount(); ++g)
      if (team.Goals(g)->FValue > 0)
        return false;
    for (int32_t i = 0; i < team.MemberCount(); ++i, ++members) {
      const TPlayer* player = team.Members(i);
      const std::type_info& kind = typeid(*player);
      if (kind != typeid(TKart) && kind != typeid(TRocket))
        return false;
      if (player->DrawsTraces() || std::find(list.begin(), list.end(), player) == list.end())
        return false;
      if (player->AsPlayer2D()->OutlineUnit().size() > TOutlineUnit::MaxVertices)
        return false;
      // Laid out as made: the fields of the lanes are all the parameters there are.
      const TPlayer2D& body = *player->AsPlayer2D();
      const TState& s = player->State();
      if (s.ParamCount() != bfCount + 1 || s.FreeParamCount() != 2 ||
          &s.Param(body.LaneParam(bfPush1)) != &s.FreeParam(0) ||
          &s.Param(body.LaneParam(bfPush2)) != &s.FreeParam(1))
        return false;
      for (int32_t g = 0; g < player->GoalCount(); ++g)
        if (!IsLaneGoal(*player->Goals(g)))
          return false;
    }
  }
  return members == World.PlayerCount();
}

void TLaneFutures::Begin(TTrack& World) {
  FFutureMs = World.Settings().FFutureMs;
  // Every body's world: its road is looked up at every sub-step.
  const TTrack2D& track = static_cast<const TTrack2D&>(World);
  FRoad = {track.RoadBits(), track.FWidth, track.FHeight};
  FDeltaMs = World.Settings().FDeltaMs;
  const std::vector<TPlayer*>& list = World.PlayerList();
  const size_t n = list.size();
  FPlayers.resize(n);
  FBodies.resize(n);
  FBounds.resize(n);
  FKartConstants.resize(n);
  FRocketConstants.resize(n);
  FUnits.resize(n);
  FPairs.resize(n * (n - 1) / 2);
  for (size_t p = 0; p < n; ++p) {
    TPlayer2D* body = FPlayers[p] = list[p]->AsPlayer2D();
    const std::vector<TPlayer2D::TVertex>& unit = body->OutlineUnit();
    FUnits[p].X.resize(unit.size());
    FUnits[p].Y.resize(unit.size());
    for (size_t v = 0; v < unit.size(); ++v) {
      FUnits[p].X[v] = unit[v].X;
      FUnits[p].Y[v] = unit[v].Y;
    }
    // What the motion takes from the parameters' bounds and the world, once for the group.
    FBounds[p] = body->LaneBounds();
    if (body->IsKart())
      FKartConstants[p] = static_cast<const TKart*>(body)->MotionConstants();
    else
      FRocketConstants[p] = static_cast<const TRocket*>(body)->MotionConstants();
  }
  FTeamOrder.clear();
  for (int32_t t = 0; t < World.TeamCount(); ++t) {
    const TTeam& team = *World.Teams(t);
    for (int32_t i = 0; i < team.MemberCount(); ++i)
      FTeamOrder.push_back(static_cast<int32_t>(
          std::find(list.begin(), list.end(), team.Members(i)) - list.begin()));
  }
  // Racing is the one goal of the lanes that scores after a sub-step.
  FRacing.clear();
  for (int32_t b : FTeamOrder)
    for (int32_t g = 0; g < FPlayers[b]->GoalCount(); ++g) {
      const TGoal* goal = FPlayers[b]->Goals(g);
      if (goal->FValue > 0 && typeid(*goal) == typeid(TGoal2DRaced))
        FRacing.push_back({b, goal});
    }
  for (int32_t t = 0; t < World.TeamCount(); ++t)
    World.Teams(t)->SetInFuture(true);
  // Every future starts from the real state, and looks at the road there first, as one future
  // does in its first sub-step: the look is the same for all of them.
  for (size_t p = 0; p < n; ++p) {
    TPlayer2D& body = *FPlayers[p];
    body.UpdateContact();
    const bool inside = body.IsInsidePicture();
    for (int32_t l = 0; l < Lanes; ++l) {
      body.StoreLane(FBodies[p], l);
      FBodies[p].Inside[l] = inside;
    }
  }
}

void TLaneFutures::Run(TTrack& World, TRandom* Streams, int32_t SubSteps) {
  Begin(World);
  int64_t time = 0;
  for (int32_t j = 1; j <= SubSteps; ++j) {
    time = CheckedAdd(time, static_cast<int64_t>(FDeltaMs));
    // The first actions draw one lane at a time; the pushes after them, every lane at once.
    if (j == 2)
      FStreams.Take(Streams);
    for (int32_t b : FTeamOrder) {
      Prepare(b, j == 1, Streams);
      Advance(b, time);
    }
    ApplyTrack(World, time);
    EvaluateGoals(time);
  }
  FTime = time;
}

void TLaneFutures::Prepare(int32_t Body, bool First, TRandom* Streams) {
  TBodyLanes& L = FBodies[Body];
  const TState& s = FPlayers[Body]->State();
  std::copy(L.F[bfPosX], L.F[bfPosX] + Lanes, L.StartX);
  std::copy(L.F[bfPosY], L.F[bfPosY] + Lanes, L.StartY);
  if (First) {
    for (int32_t l = 0; l < Lanes; ++l) {
      const TRandom::TUse use(Streams[l]);
      const int32_t i = TState::RandomFreeIndex(s.FreeParamCount());
      TParamValues p = s.FreeParam(i);
      p.ChooseOption();
      L.F[bfPush1 + i][l] = p.Value;
      L.FreeMilli[i][l] = p.Milli;
      L.Chosen[l] = i;
    }
    return;
  }
  // As TParamValues::Randomize, in every lane.
  alignas(64) double u1[Lanes], u2[Lanes], z[Lanes];
  for (int32_t i = 0; i < 2; ++i) {
    const TParamValues& p = s.FreeParam(i);
    const double push = p.SmallPush();
    FStreams.Next(u1);
    if (p.Gaussian) {
      FStreams.Next(u2);
      GaussianLanes(u1, u2, z, Lanes);
      for (int32_t l = 0; l < Lanes; ++l)
        z[l] = z[l] * push;
    } else {
      for (int32_t l = 0; l < Lanes; ++l)
        z[l] = (2 * u1[l] - 1) * push;
    }
    double* value = L.F[bfPush1 + i];
    if (p.MaxValue > p.MinValue)
      for (int32_t l = 0; l < Lanes; ++l)
        value[l] = z[l] < p.MinValue ? p.MinValue : (z[l] > p.MaxValue ? p.MaxValue : z[l]);
    else
      std::copy(z, z + Lanes, value);
  }
}

void TLaneFutures::Advance(int32_t Body, int64_t Time) {
  TBodyLanes& L = FBodies[Body];
  TPlayer2D& body = *FPlayers[Body];
  const TBodyBounds& bounds = FBounds[Body];
  const double time = static_cast<double>(Time);
  // A body found outside the picture dies; at the lowest AI levels one without health stops.
  const double dead = Bounded(bounds[bfDead], 1);
  for (int32_t l = 0; l < Lanes; ++l)
    if (!L.Inside[l] && !(L.F[bfDead][l] > 0.5)) {
      L.F[bfDead][l] = dead;
      L.DeathTime[l] = time;
    }
  if (body.AILevel() <= 3) {
    const double vx = Bounded(bounds[bfVelX], 0);
    const double vy = Bounded(bounds[bfVelY], 0);
    const double vr = Bounded(bounds[bfVelRot], 0);
    for (int32_t l = 0; l < Lanes; ++l)
      if (L.F[bfHealth][l] < 1) {
        L.F[bfVelX][l] = vx;
        L.F[bfVelY][l] = vy;
        L.F[bfVelRot][l] = vr;
      }
  }
  if (body.IsKart()) {
    TKartConstants c = FKartConstants[Body];
    c.Time = time;
    AdvanceKartLanes(L, c);
  } else {
    AdvanceRocketLanes(L, FRocketConstants[Body]);
  }
  for (int32_t l = 0; l < Lanes; ++l)
    CheckHeading(L.F[bfAngle][l]);
}

void TLaneFutures::ApplyTrack(TTrack& World, int64_t Time) {
  const int32_t n = static_cast<int32_t>(FBodies.size());
  if (World.Settings().FCollisions && n > 1) {
    TTrack2D& track = static_cast<TTrack2D&>(World);
    const int32_t pairs = TouchingPairs(FBodies.data(), n, FPairs.data());
    // The outlines of every pair in touching squares, for all its lanes at once.
    uint32_t hits = 0;
    for (int32_t k = 0; k < pairs; ++k) {
      TLanePair& pair = FPairs[k];
      const uint32_t rounded =
          CollidingLanes(FBodies[pair.I], Unit(pair.I), FBodies[pair.J], Unit(pair.J), pair);
      // An outline no pixel can hold: the futures run again one at a time, and fail there.
      if ((pair.Lanes & ~rounded) != 0)
        throw ERangeError("A future's outline left the picture's coordinates.");
      hits |= pair.HitI | pair.HitJ;
    }
    // A lane where no outlines meet is left as it is by the pass; the others run it, reading a
    // player's own state only where it collides.
    for (int32_t l = 0; l < Lanes; ++l) {
      if ((hits >> l & 1) == 0)
        continue;
      FHints.clear();
      for (int32_t k = 0; k < pairs; ++k) {
        const TLanePair& pair = FPairs[k];
        if ((pair.Lanes >> l & 1) != 0)
          FHints.push_back({pair.I, pair.J, (pair.HitI >> l & 1) != 0, (pair.HitJ >> l & 1) != 0});
      }
      FBoxes.resize(static_cast<size_t>(n));
      for (int32_t p = 0; p < n; ++p) {
        const TBodyLanes& b = FBodies[p];
        const double x = b.F[bfPosX][l], y = b.F[bfPosY][l], size = b.F[bfSize][l];
        FBoxes[p] = {x - size, x + size, y - size, y + size};
      }
      FEntered.clear();
      FCollisionLane = l;
      FCollisionTime = Time;
      track.ApplyCollisions(FBoxes, FHints, FEnter);
      for (int32_t p : FEntered)
        FPlayers[p]->StoreLane(FBodies[p], l);
    }
  }
  for (int32_t p = 0; p < n; ++p)
    Contact(p, Time);
}

void TLaneFutures::Contact(int32_t Body, int64_t Time) {
  TBodyLanes& L = FBodies[Body];
  TPlayer2D& body = *FPlayers[Body];
  const TOutlineUnit unit = Unit(Body);
  TLaneContact contact;
  ContactLanes(L, unit, FRoad, contact);
  constexpr uint32_t all = (1u << Lanes) - 1;
  const uint32_t clear = contact.Rounded & contact.OnRoad;
  for (int32_t l = 0; l < Lanes; ++l)
    if ((clear >> l & 1) != 0) {
      L.SavedX[l] = L.F[bfPosX][l];
      L.SavedY[l] = L.F[bfPosY][l];
      L.SavedAngle[l] = L.F[bfAngle][l];
      L.Inside[l] = (contact.Inside >> l & 1) != 0;
    }
  if (contact.OnRoad == all)
    return;
  if (body.IsKart()) {
    // A kart's bounce and crash run in the lanes too.
    TWallConstants c;
    c.Bounce = TPlayer2D::WallBounce;
    c.StepBackTries = TPlayer2D::StepBackTries;
    c.Time = static_cast<double>(Time);
    c.Bounds = FBounds[Body];
    WallLanes(L, unit, FRoad, c, contact);
    for (int32_t l = 0; l < Lanes; ++l) {
      // An outline no pixel can hold: the futures run again one at a time, and fail there.
      if ((contact.Rounded >> l & 1) == 0)
        throw ERangeError("A future's outline left the picture's coordinates.");
      CheckHeading(L.F[bfAngle][l]);
      L.Inside[l] = (contact.Inside >> l & 1) != 0;
    }
    return;
  }
  for (int32_t l = 0; l < Lanes; ++l) {
    if ((clear >> l & 1) != 0)
      continue;
    // A wall, or an outline no pixel can hold: the body's own code bounces, or raises, on the
    // lane's values.
    body.LoadLane(L, l, Time);
    body.UpdateContact();
    body.ResolveWallContact();
    L.Inside[l] = body.IsInsidePicture();
    body.StoreLane(L, l);
  }
}

void TLaneFutures::EvaluateGoals(int64_t Time) {
  const double t = static_cast<double>(Time);
  // Gains count fully at the start of a future and fade out at its end.
  const double w = (1 - t / FFutureMs) * (1 - t / FFutureMs);
  for (const TRacing& racing : FRacing) {
    TBodyLanes& L = FBodies[racing.Body];
    const TGoal& goal = *racing.Goal;
    alignas(64) double gain[Lanes];
    RacingLanes(L, w, goal.FSoonerBetter, gain);
    for (int32_t l = 0; l < Lanes; ++l) {
      const double add = gain[l];
      if (add == 0)
        continue;
      const long double v = goal.FValue * add;
      if (v > 0)
        L.Positive[l] += v;
      else if (v < 0)
        L.Negative[l] -= v;
    }
  }
}

void TLaneFutures::Store(TTrack& World, int32_t Lane) {
  for (int32_t t = 0; t < World.TeamCount(); ++t)
    if (!World.Teams(t)->InFuture())
      World.Teams(t)->SetInFuture(true);
  for (size_t p = 0; p < FBodies.size(); ++p)
    FPlayers[p]->LoadLane(FBodies[p], Lane, FTime);
  for (int32_t t = 0; t < World.TeamCount(); ++t)
    World.Teams(t)->SetInFuture(false);
}
