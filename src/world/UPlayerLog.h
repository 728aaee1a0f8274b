#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TPlayer;
class TWorld;

// What became of every player that took part in a run, followed step after step: when it was
// born, died or left the world, how far it went and how far around the circuit, and its state
// when last seen. The batch runner's summary and the experiments' measures both read it.
class TPlayerLog {
public:
  struct TRecord {
    int32_t Index = 0; // in the order the players were first seen
    std::string Kind;  // "kart", "rocket" or "player"
    int32_t Team = 0;  // the team's index in the world when first seen
    int32_t BornStep = 0;
    int32_t AILevel = 0; // when it joined
    std::optional<int32_t> RemovedStep;
    std::optional<int32_t> DeathStep; // the first step after which it was dead
    bool Alive = true;
    double Health = 0, Energy = 0, Size = 0, X = 0, Y = 0;
    double Speed = 0;    // pixels per second, when last seen
    double Distance = 0; // path length of its real position over the run, pixels
    // Turns swept around the road's centroid (a circuit is any picture, with no start line or
    // centre of its own): +1 for each full turn counterclockwise on the screen, -1 clockwise.
    double Turns = 0;
    TPlayer* Player = nullptr; // while it is in the world
  };

  explicit TPlayerLog(const TWorld& World);

  // Takes in the world as it stands after Step (0: before the first).
  void Follow(int32_t Step);
  const TWorld& World() const { return FWorld; }
  const std::vector<TRecord>& Records() const { return FRecords; }
  // The point progress is measured around: the centroid of the road's pixels.
  double CentreX() const { return FCentreX; }
  double CentreY() const { return FCentreY; }

  static std::string KindOf(const TPlayer& Player);
  // Contacts' worth taken from the real energy drops so far, by every drop goal of a team.
  static int64_t DropUnitsConsumed(const TWorld& World, std::optional<int32_t> Team = {});
  // Energy in the storage boxes of a team (all teams without one); none without a box.
  static std::optional<double> StoredEnergy(const TWorld& World, std::optional<int32_t> Team = {});

private:
  const TWorld& FWorld;
  double FCentreX = 0, FCentreY = 0; // the road's centroid, pixels
  std::vector<TRecord> FRecords;
};
