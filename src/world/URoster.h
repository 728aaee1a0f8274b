#pragma once

#include <cstdint>

class TPlayer;
class TPlayer2D;
class TTeam;
class TTrack2D;

// Adds players to the world's current team the way the window's buttons and menus do, so that
// the window and the batch runner build the same worlds.
class TRoster {
public:
  // Which vehicle AddPlayer makes: the kind of the selected player, a kart or a rocket.
  enum TKind : int32_t { pkSameAsSelected = 0, pkKart = 1, pkRocket = 2 };

  explicit TRoster(TTrack2D& Track) : FTrack(Track) {}

  // A new player in the current team, at the start place of its kind or, when a player is
  // selected, at that player's place with its settings and goal values; coloured by its rank
  // (white, yellow, orange, red, grey, then its own random colour) or from its goals with
  // evolution. Returns null for an unknown kind (nothing changes).
  TPlayer2D* AddPlayer(int32_t Kind);
  // A new player of the kind in the current team, at rest at X, Y (pixels) heading Angle
  // (radians), with its own start settings and goals, coloured as AddPlayer colours it. Returns
  // null for an unknown kind (nothing changes).
  TPlayer2D* AddPlayerAt(int32_t Kind, double X, double Y, double Angle);
  // AddPlayer, then moved on from the copied place: 30 pixels ahead while the team has at most
  // two members, otherwise by the spacing of the two members added before it ("+Kart",
  // "+Rocket"); the place it was moved to is committed.
  TPlayer2D* AddPlayerAhead(int32_t Kind);
  // Replaces the team's members by a ring of 18 karts of radius 90 pixels around (400, 300),
  // facing its centre.
  void AddCircleOfKarts();
  // Frees every member of the current team.
  void ClearPlayers();

  static constexpr int32_t CircleCount = 18;

private:
  TTeam& CurrentTeam() const;
  // AddPlayer, taking the selected player's place, settings and goal values when FromSelected.
  TPlayer2D* Add(int32_t Kind, bool FromSelected);

  TTrack2D& FTrack;
};
