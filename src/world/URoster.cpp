#include "world/URoster.h"

#include <cmath>
#include <numbers>
#include <typeinfo>

#include "agents/UKart.h"
#include "agents/URocket.h"
#include "agents/UUtils.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "world/UTrack2D.h"

namespace {

// Start places, pixels of the circuit, and headings, radians.
constexpr double KartStartX = 330, KartStartY = 475, KartStartAngle = 0;
constexpr double RocketStartX = 330, RocketStartY = 450, RocketStartAngle = -std::numbers::pi / 2;
// A new player stands this far ahead of the one it copied, pixels.
constexpr double AheadDistance = 30;
// The ring of karts: centre and radius in pixels, and what each member of it gets.
constexpr double CircleX = 400, CircleY = 300, CircleRadius = 90;
constexpr double CircleMaxPower = 14, CircleSize = 8;

} // namespace

TTeam& TRoster::CurrentTeam() const {
  if (FTrack.FTeam == nullptr)
    throw EError("The world has no team to add players to.");
  return *FTrack.FTeam;
}

TPlayer2D* TRoster::AddPlayer(int32_t Kind) {
  return Add(Kind, true);
}

TPlayer2D* TRoster::AddPlayerAt(int32_t Kind, double X, double Y, double Angle) {
  TPlayer2D* player = Add(Kind, false);
  if (player == nullptr)
    return nullptr;
  player->SetPosX(X);
  player->SetPosY(Y);
  player->SetAngle(Angle);
  // Its own place is where "Reset" brings it back.
  player->Commit();
  return player;
}

TPlayer2D* TRoster::Add(int32_t Kind, bool FromSelected) {
  TTeam& team = CurrentTeam();
  TPlayer* prev = team.Selected();
  if (Kind == pkSameAsSelected)
    Kind = prev != nullptr && prev->IsRocket() ? pkRocket : pkKart;
  std::unique_ptr<TPlayer2D> created;
  if (Kind == pkKart)
    created = TKart::New(KartStartX, KartStartY, KartStartAngle);
  else if (Kind == pkRocket)
    created = TRocket::New(RocketStartX, RocketStartY, RocketStartAngle);
  else
    return nullptr;
  TPlayer2D* player = created.get();
  team.AddMember(std::move(created));

  if (prev != nullptr && FromSelected) {
    if (typeid(*prev) == typeid(*player)) {
      player->Assign(*prev);
    } else if (const TPlayer2D* body = prev->AsPlayer2D()) {
      player->SetPosX(body->PosX());
      player->SetPosY(body->PosY());
      player->SetAngle(body->Angle());
    }
    player->CopyGoalValues(*prev);
  }
  if (FTrack.Evolution())
    player->RandomizeGoals();
  player->Commit();

  if (FTrack.Evolution()) {
    player->ColorFromGoals();
    player->SetDrawGoals(true);
  } else {
    switch (FTrack.PlayerCount()) {
    case 1:
      player->SetColor(MakeColor(255, 255, 255));
      break;
    case 2:
      player->SetColor(MakeColor(255, 255, 0));
      break;
    case 3:
      player->SetColor(MakeColor(255, 150, 100));
      break;
    case 4:
      player->SetColor(MakeColor(255, 0, 0));
      break;
    case 5:
      player->SetColor(MakeColor(150, 150, 150));
      break;
    default:
      break; // keeps the random colour every player gets at creation
    }
  }
  return player;
}

TPlayer2D* TRoster::AddPlayerAhead(int32_t Kind) {
  TPlayer2D* player = AddPlayer(Kind);
  if (player == nullptr)
    return nullptr;
  TTeam& team = CurrentTeam();
  const int32_t n = team.MemberCount();
  if (n <= 2) {
    player->SetPosX(player->PosX() + AheadDistance * std::cos(player->Angle()));
    player->SetPosY(player->PosY() + AheadDistance * std::sin(player->Angle()));
  } else {
    const TPlayer2D* a = team.Members(n - 2)->AsPlayer2D();
    const TPlayer2D* b = team.Members(n - 3)->AsPlayer2D();
    if (a != nullptr && b != nullptr) {
      player->SetPosX(player->PosX() + a->PosX() - b->PosX());
      player->SetPosY(player->PosY() + a->PosY() - b->PosY());
    }
  }
  // Its own place, not the one it copied, is where "Reset" brings it back.
  player->Commit();
  return player;
}

void TRoster::AddCircleOfKarts() {
  ClearPlayers();
  for (int32_t i = 0; i < CircleCount; ++i) {
    TPlayer2D* player = AddPlayer(pkSameAsSelected);
    TKart* kart = dynamic_cast<TKart*>(player);
    if (kart == nullptr)
      throw EError("A circle of karts can only be made of karts.");
    const double a = 2 * std::numbers::pi * i / CircleCount;
    kart->SetMaxPower(CircleMaxPower);
    kart->SetSize(CircleSize);
    kart->SetPosX(CircleX + CircleRadius * std::cos(a));
    kart->SetPosY(CircleY + CircleRadius * std::sin(a));
    kart->SetAngle(a + std::numbers::pi);
    kart->Commit();
  }
}

void TRoster::ClearPlayers() {
  TTeam& team = CurrentTeam();
  while (team.MemberCount() > 0)
    team.RemoveMember(team.Selected() != nullptr ? team.Selected() : team.Members(0), true);
}
