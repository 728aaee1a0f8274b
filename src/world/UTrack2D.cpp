#include "world/UTrack2D.h"

#include <algorithm>
#include <cmath>

#include "agents/UPlayer2D.h"
#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/UPicture.h"

namespace {

// Share of the approach speed along the normal that a collision exchanges: a little less than
// half, so the two bodies do not quite reach the same speed along the normal.
constexpr double CollisionImpulse = 0.45;
// Separation of colliding bodies: each moves this many pixels per pass, for at most so many passes.
constexpr double SeparationStep = 2;
constexpr int32_t SeparationPasses = 4;
// What a kart takes from a rocket it hits, when evolution is on: at most this much energy, of
// which it keeps this share, and the score a future earns for it.
constexpr double StolenEnergyMax = 25;
constexpr double StolenEnergyKept = 0.9;
constexpr long double HitRocketScore = 500;
constexpr long double HitRocketFactor = 1.5;

} // namespace

TTrack2D::TTrack2D() = default;

TTrack2D::~TTrack2D() = default;

void TTrack2D::LoadTrack(const TPicture& Image) {
  FWidth = Image.Width();
  FHeight = Image.Height();
  auto map =
      std::make_shared<std::vector<uint64_t>>((static_cast<size_t>(FWidth) * FHeight + 63) / 64);
  for (int32_t x = 0; x < FWidth; ++x)
    for (int32_t y = 0; y < FHeight; ++y)
      if (Image.Pixel(x, y) == 0) {
        const size_t bit = static_cast<size_t>(x) * FHeight + y;
        (*map)[bit >> 6] |= uint64_t{1} << (bit & 63);
      }
  FRoadBits = map->data();
  FRoadMap = std::move(map);
  ++FRoadVersion;
}

TPlayer2D& TTrack2D::Player2D(int32_t I) const {
  TPlayer2D* player = Players(I)->AsPlayer2D();
  if (player == nullptr)
    throw EError("Track2D contains a player that is not a Player2D.");
  return *player;
}

bool TTrack2D::PointInPicture(double X, double Y) const {
  return PixelInPicture(RoundToInt32(X), RoundToInt32(Y));
}

bool TTrack2D::PointOnRoad(double X, double Y) const {
  return PixelOnRoad(RoundToInt32(X), RoundToInt32(Y));
}

void TTrack2D::SetMouse(int32_t X, int32_t Y) {
  FMouseX = X;
  FMouseY = Y;
}

bool TTrack2D::MouseInside() const {
  return PixelInPicture(FMouseX, FMouseY);
}

std::unique_ptr<TTrack> TTrack2D::NewWorkerWorld() const {
  return std::make_unique<TTrack2D>();
}

void TTrack2D::TakeWorld(const TTrack& Real) {
  TTrack::TakeWorld(Real);
  const auto* real = dynamic_cast<const TTrack2D*>(&Real);
  if (real == nullptr)
    throw EError("A Track2D can only copy a Track2D.");
  FWidth = real->FWidth;
  FHeight = real->FHeight;
  FRoadMap = real->FRoadMap;
  FRoadBits = real->FRoadBits;
  FRoadVersion = real->FRoadVersion;
  FMouseX = real->FMouseX;
  FMouseY = real->FMouseY;
}

void TTrack2D::ApplyTrack() {
  if (Settings().FCollisions && PlayerCount() > 1)
    ApplyCollisions();
  for (TPlayer* player : PlayerList()) {
    TPlayer2D* body = player->AsPlayer2D();
    if (body == nullptr)
      throw EError("Track2D contains a player that is not a Player2D.");
    body->UpdateContact();
    body->ResolveWallContact();
  }
}

TPlayer2D& TTrack2D::Body(int32_t I) const {
  if (FBodies[I] == nullptr)
    throw EError("Track2D contains a player that is not a Player2D.");
  return *FBodies[I];
}

void TTrack2D::UpdateBox(int32_t I) {
  // Left, Right, Top and Bottom, from one reading of the position and size.
  const TPlayer2D& body = *FBodies[I];
  const double x = body.PosX(), y = body.PosY(), size = body.Size();
  FBoxes[I] = {x - size, x + size, y - size, y + size};
}

void TTrack2D::ApplyCollisions() {
  const int32_t n = PlayerCount();
  FBodies.resize(n);
  FBoxes.resize(n);
  // Players 0 .. bodies - 1 have a body; the pass fails where it first meets one without.
  int32_t bodies = n;
  for (int32_t i = 0; i < n; ++i) {
    FBodies[i] = PlayerList()[i]->AsPlayer2D();
    if (FBodies[i] != nullptr)
      UpdateBox(i);
    else if (bodies == n)
      bodies = i;
  }
  CollisionPass(bodies);
}

void TTrack2D::ApplyCollisions(std::vector<TBox>& Boxes, const std::vector<TPairHint>& Pairs,
                               const std::function<void(int32_t)>& Enter) {
  const int32_t n = PlayerCount();
  FBodies.resize(n);
  for (int32_t i = 0; i < n; ++i) {
    FBodies[i] = PlayerList()[i]->AsPlayer2D();
    if (FBodies[i] == nullptr)
      Body(i); // raises
  }
  FBoxes.swap(Boxes);
  FBoxes.resize(static_cast<size_t>(n));
  FEntered.assign(static_cast<size_t>(n), 0);
  FMoved.assign(static_cast<size_t>(n), 0);
  FMovedList.clear();
  HintedCollisionPass(Pairs, Enter);
}

void TTrack2D::CollisionPass(int32_t Bodies) {
  const int32_t n = PlayerCount();
  const int32_t bodies = Bodies;
  // Positions changed by one pair are seen by the next.
  for (int32_t i = 0; i < n; ++i) {
    TPlayer2D& pi = Body(i);
    TBox bi = FBoxes[i];
    for (int32_t j = i + 1; j < bodies; ++j) {
      // Bounding squares first; touching squares count as overlapping.
      const TBox& bj = FBoxes[j];
      if (!(bj.Right >= bi.Left && bj.Left <= bi.Right && bj.Bottom >= bi.Top &&
            bj.Top <= bi.Bottom))
        continue;
      TPlayer2D& pj = *FBodies[j];
      const bool hitI = pi.CollidesWith(pj);
      const bool hitJ = !hitI && pj.CollidesWith(pi);
      if (!hitI && !hitJ)
        continue;
      Collide(i, j, hitI, hitJ);
      bi = FBoxes[i];
    }
    if (bodies < n)
      Body(bodies); // raises: the walk over the pairs has reached a player without a body
  }
}

void TTrack2D::HintedCollisionPass(const std::vector<TPairHint>& Pairs,
                                   const std::function<void(int32_t)>& Enter) {
  const int32_t n = PlayerCount();
  const size_t count = Pairs.size();
  const auto enter = [&](int32_t I) {
    if (FEntered[I] == 0) {
      FEntered[I] = 1;
      Enter(I);
    }
  };
  // The walk meets the pairs in the order of the full pass, and skips only pairs it knows apart:
  // both bodies where they started, and not found touching there.
  size_t h = 0; // the first pair given not yet passed
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = i + 1;; ++j) {
      if (FMoved[i] == 0) {
        while (h < count && (Pairs[h].I < i || (Pairs[h].I == i && Pairs[h].J < j)))
          ++h;
        int32_t next = h < count && Pairs[h].I == i ? Pairs[h].J : n;
        for (int32_t m : FMovedList)
          if (m >= j && m < next)
            next = m;
        j = next;
      }
      if (j >= n)
        break;
      const TBox& bi = FBoxes[i];
      const TBox& bj = FBoxes[j];
      if (!(bj.Right >= bi.Left && bj.Left <= bi.Right && bj.Bottom >= bi.Top &&
            bj.Top <= bi.Bottom))
        continue;
      bool hitI, hitJ;
      if (FMoved[i] == 0 && FMoved[j] == 0 && h < count && Pairs[h].I == i && Pairs[h].J == j) {
        hitI = Pairs[h].HitI;
        hitJ = Pairs[h].HitJ;
        if (!hitI && !hitJ)
          continue;
        enter(i);
        enter(j);
      } else {
        enter(i);
        enter(j);
        hitI = FBodies[i]->CollidesWith(*FBodies[j]);
        hitJ = !hitI && FBodies[j]->CollidesWith(*FBodies[i]);
        if (!hitI && !hitJ)
          continue;
      }
      Collide(i, j, hitI, hitJ);
      for (int32_t b : {i, j})
        if (FMoved[b] == 0) {
          FMoved[b] = 1;
          FMovedList.push_back(b);
        }
    }
  }
}

void TTrack2D::Collide(int32_t I, int32_t J, bool HitI, bool HitJ) {
  TPlayer2D& pi = *FBodies[I];
  TPlayer2D& pj = *FBodies[J];
  // Unit normal from I to J; none when the centres coincide.
  double nx = pj.PosX() - pi.PosX();
  double ny = pj.PosY() - pi.PosY();
  const double l = (nx == 0 && ny == 0) ? 1 : std::sqrt(nx * nx + ny * ny);
  nx /= l;
  ny /= l;

  const double f = std::max(0.0, (pi.VelX() - pj.VelX()) * nx + (pi.VelY() - pj.VelY()) * ny);
  pi.SetVelX(pi.VelX() - CollisionImpulse * nx * f);
  pi.SetVelY(pi.VelY() - CollisionImpulse * ny * f);
  pj.SetVelX(pj.VelX() + CollisionImpulse * nx * f);
  pj.SetVelY(pj.VelY() + CollisionImpulse * ny * f);

  for (int32_t k = 0; k < SeparationPasses; ++k) {
    pi.MoveBy(-SeparationStep * nx, -SeparationStep * ny, 0);
    pj.MoveBy(SeparationStep * nx, SeparationStep * ny, 0);
    if (HitI && !pi.CollidesWith(pj))
      break;
    if (HitJ && !pj.CollidesWith(pi))
      break;
  }

  double damage = f;
  if (Evolution() && !pi.IsDead() && !pj.IsDead()) {
    TPlayer2D* kart = pj.IsKart() ? &pj : (pi.IsKart() ? &pi : nullptr);
    TPlayer2D* rocket = pj.IsRocket() ? &pj : (pi.IsRocket() ? &pi : nullptr);
    if (kart != nullptr && rocket != nullptr) {
      // The kart feeds on the rocket: it heals by the impact and takes up to 25 energy.
      kart->SetHealth(kart->Health() + f);
      const double v = std::min(rocket->Energy(), StolenEnergyMax);
      kart->SetEnergy(kart->Energy() + StolenEnergyKept * v);
      rocket->SetEnergy(rocket->Energy() - v);
      kart->State().AddScore(HitRocketScore, HitRocketFactor);
      damage = v;
    }
  }
  // Damage only: never revives a dead body.
  pi.LowerHealth(pi.Health() - damage);
  pj.LowerHealth(pj.Health() - damage);
  UpdateBox(I);
  UpdateBox(J);
}
