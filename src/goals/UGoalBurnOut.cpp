#include "goals/UGoalBurnOut.h"

#include <cmath>

#include "agents/UPlayer2D.h"
#include "agents/URocket.h"
#include "agents/UUtils.h"
#include "goals/UTeam.h"
#include "platform/UArith.h"
#include "platform/UCanvas.h"
#include "world/UTrack2D.h"

TGoalBurnOut::TGoalBurnOut(double Value) : TGoal(Value, gpAfterSubStep) {
  SetValue(Value);
  FDescription = "Stole energy from others";
}

void TGoalBurnOut::Compute(TPlayer& Player, int32_t Phase) {
  TPlayer& player = Player;
  TTeam* team = player.FTeam;
  if (Phase != 0 || team == nullptr)
    return;
  // Tested once, before the members are visited: a rocket can drain several members in one
  // evaluation even when the first already brought it above 99.
  if (!player.IsRocket() || player.IsDead() || player.Energy() > 99)
    return;
  const TRocket& rocket = static_cast<const TRocket&>(player);
  // The end of the exhaust, behind the rocket: farther away the harder the main engine works.
  const double length = rocket.MainPower() + rocket.Size(); // pixels
  const int32_t qx = RoundToInt32(rocket.PosX() - std::cos(rocket.Angle()) * length);
  const int32_t qy = RoundToInt32(rocket.PosY() - std::sin(rocket.Angle()) * length);
  const double drain = player.DeltaT() * 100; // energy per sub-step: 100 per second
  for (int32_t i = 0; i < team->MemberCount(); ++i) {
    TPlayer& member = *team->Members(i);
    const TPlayer2D* body = member.AsPlayer2D();
    if (&member == &player || body == nullptr)
      continue;
    const double dx = body->PosX() - qx;
    const double dy = body->PosY() - qy;
    if (!(std::sqrt(dx * dx + dy * dy) < body->Size()))
      continue;
    const double e0 = member.Energy();
    member.SetEnergy(e0 - drain);
    const double taken = e0 - member.Energy();
    player.SetEnergy(player.Energy() + taken / 2);
    // The real drain is shown as a line from the rocket to its victim, drawn after the step.
    if (!player.InFuture())
      player.Track().RecordDrain({RoundToInt32(rocket.PosX()), RoundToInt32(rocket.PosY()),
                                  RoundToInt32(body->PosX()), RoundToInt32(body->PosY()), team});
  }
}
