#include "world/UWorldCommand.h"

#include <cmath>
#include <limits>

#include "agents/UPlayer2D.h"
#include "goals/UGoal.h"
#include "goals/UGoalCatalogue.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "platform/UPicture.h"
#include "world/URoster.h"
#include "world/USettingsTable.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

// The goal a row of the window's goal box stands for: i + 1 for personal goal i of the chosen
// player, -(j + 1) for goal j of the current team; null when there is none.
TGoal* GoalOfTag(TWorld& World, int32_t Tag) {
  TTeam& team = World.CurrentTeam();
  if (Tag < 0) {
    const int32_t j = -Tag - 1;
    return j < team.GoalCount() ? team.Goals(j) : nullptr;
  }
  TPlayer* player = team.Selected();
  const int32_t i = Tag - 1;
  return player != nullptr && i >= 0 && i < player->GoalCount() ? player->Goals(i) : nullptr;
}

TPlayer2D* Chosen(TWorld& World) {
  TPlayer* player = World.CurrentTeam().Selected();
  return player != nullptr ? player->AsPlayer2D() : nullptr;
}

} // namespace

TWorldCommand::TWorldCommand(std::string Kind, std::vector<double> Values, std::string Text)
    : Kind(std::move(Kind)), Text(std::move(Text)), Values(std::move(Values)) {}

const std::vector<TWorldCommand::TKind>& TWorldCommand::Kinds() {
  static const std::vector<TKind> kinds = {
      {"seed", "seed", {}},
      {"world_setting", "key", {"value"}},
      {"evolution", "", {"on"}},
      {"mouse", "", {"x", "y"}},
      {"circuit", "", {}, true},
      {"reset", "", {}},
      {"add_player", "", {"kind", "ahead"}},
      {"remove_player", "", {}},
      {"circle_of_karts", "", {}},
      {"choose_player", "", {"index"}},
      {"color", "", {"color"}},
      {"size", "", {"size"}},
      {"grid_size", "", {"size"}},
      {"auto_grid", "", {"on"}},
      {"ai_level", "", {"level"}},
      {"draw", "", {"traces", "end_points", "levels", "goals", "team_goals"}},
      {"move", "", {"dx", "dy", "turn", "commit"}},
      {"give", "", {"health", "level"}},
      {"add_team_goal", "goal", {}},
      {"delete_team_goals", "", {}},
      {"delete_player_goals", "", {}},
      {"goal_value", "", {"tag", "value"}},
      {"goal_mode", "", {"tag", "mode"}},
      {"goal_sooner", "", {"tag", "on"}}};
  return kinds;
}

const TWorldCommand::TKind* TWorldCommand::FindKind(const std::string& Name) {
  for (const TKind& kind : Kinds())
    if (kind.Name == Name)
      return &kind;
  return nullptr;
}

int32_t TWorldCommand::Whole(size_t Index) const {
  const double x = Value(Index);
  if (!(x >= std::numeric_limits<int32_t>::min() && x <= std::numeric_limits<int32_t>::max()) ||
      x != std::floor(x))
    throw ERangeError("The command \"" + Kind + "\" needs a whole number, not " +
                      TSettingsTable::Text(x) + ".");
  return static_cast<int32_t>(x);
}

void TWorldCommand::Check() const {
  const TKind* kind = FindKind(Kind);
  if (kind == nullptr)
    throw EError("No command is called \"" + Kind + "\".");
  if (Values.size() != kind->ValueNames.size())
    throw EError("The command \"" + Kind + "\" takes " + std::to_string(kind->ValueNames.size()) +
                 " numbers.");
  for (const double x : Values)
    if (!std::isfinite(x))
      throw EError("The command \"" + Kind + "\" takes finite numbers only.");
  if (kind->Picture && Picture == nullptr)
    throw EError("The command \"circuit\" needs a picture.");
  if (Kind == "world_setting" && TSettingsTable::Row(Text).Holder != TSettingHolder::World)
    throw EError("\"" + Text + "\" is not a setting of the world.");
  if (Kind == "add_team_goal" && !TGoalCatalogue::Knows(Text))
    throw EError("No goal is called \"" + Text + "\".");
  if (Kind == "seed" &&
      (Text.empty() || Text.find_first_not_of("0123456789") != Text.npos || Text.size() > 20))
    throw EError("A seed is a whole number from 0 to 18446744073709551615.");
}

void TWorldCommand::Apply(TWorld& World) const {
  Check();
  // New players' colours and goal values, a box's place: from the world's own stream.
  const TRandom::TUse use = World.UseRandom();
  TTrack2D& track = World.Track();
  TTeam& team = World.CurrentTeam();
  if (Kind == "seed") {
    World.Reseed(std::stoull(Text));
  } else if (Kind == "world_setting") {
    TWorldSettings settings = track.Settings();
    TSettingsTable::Row(Text).Set(settings, Value(0));
    track.SetSettings(settings);
  } else if (Kind == "evolution") {
    track.SetEvolution(Flag(0));
  } else if (Kind == "mouse") {
    World.SetMouse(Whole(0), Whole(1));
  } else if (Kind == "circuit") {
    World.LoadCircuit(*Picture, "");
  } else if (Kind == "reset") {
    for (int32_t t = 0; t < track.TeamCount(); ++t)
      track.Teams(t)->Reset();
  } else if (Kind == "add_player") {
    TRoster roster(track);
    if (Flag(1))
      roster.AddPlayerAhead(Whole(0));
    else
      roster.AddPlayer(Whole(0));
  } else if (Kind == "remove_player") {
    TPlayer2D* player = Chosen(World);
    if (track.PlayerCount() >= 2 && player != nullptr)
      team.RemoveMember(player, true);
  } else if (Kind == "circle_of_karts") {
    TRoster roster(track);
    roster.ClearPlayers();
    roster.AddCircleOfKarts();
  } else if (Kind == "choose_player") {
    const int32_t index = Whole(0);
    if (index >= 0 && index < team.MemberCount())
      team.Select(team.Members(index));
  } else if (Kind == "delete_team_goals") {
    while (team.GoalCount() > 0)
      team.DeleteGoal(0);
  } else if (Kind == "delete_player_goals") {
    for (int32_t i = 0; i < team.MemberCount(); ++i) {
      TPlayer& member = *team.Members(i);
      while (member.GoalCount() > 0)
        member.DeleteGoal(0);
    }
  } else if (Kind == "add_team_goal") {
    team.AddGoal(TGoalCatalogue::NewOnTrack(Text, TGoalCatalogue::StartValue(Text), track));
  } else if (Kind == "goal_value" || Kind == "goal_mode" || Kind == "goal_sooner") {
    if (TGoal* goal = GoalOfTag(World, Whole(0))) {
      if (Kind == "goal_value")
        goal->SetValue(Value(1));
      else if (Kind == "goal_mode")
        goal->FMode = static_cast<uint8_t>(Whole(1));
      else
        goal->FSoonerBetter = Flag(1);
    }
  } else if (Kind == "draw") {
    if (TPlayer2D* player = Chosen(World)) {
      player->SetDrawTraces(Flag(0));
      player->SetDrawEndPoints(Flag(1));
      player->SetDrawLevels(Flag(2));
      player->SetDrawGoals(Flag(3));
    }
    team.FDrawGoals = Flag(4);
  } else if (TPlayer2D* player = Chosen(World)) {
    // The rest act on the chosen player, and on nothing when none is chosen.
    if (Kind == "color")
      player->SetColor(Whole(0));
    else if (Kind == "size")
      player->SetSize(Value(0));
    else if (Kind == "grid_size")
      player->SetGridSize(Whole(0));
    else if (Kind == "auto_grid")
      player->SetAutoGrid(Flag(0));
    else if (Kind == "ai_level")
      player->SetAILevel(Whole(0));
    else if (Kind == "move") {
      player->MoveBy(Value(0), Value(1), Value(2));
      if (Flag(3))
        player->Commit();
    } else if (Kind == "give") {
      if (Flag(0))
        player->SetHealth(Value(1));
      else
        player->SetEnergy(Value(1));
    }
  }
}
