#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/batch/UBatchRecords.h"

class TGoal;
class TPlayer;
class TQtPicture;
class TTeam;
class TWorld;

// A world as a script holds it: the world, its run's seed and step count, and its players
// numbered as the batch runner's tables number them (in the order they joined, never reused),
// so that a script and kartsim-batch speak of the same players and write the same rows. Every
// change goes through the same code as the window's and the batch runner's: the settings table,
// the goal catalogue, the roster and the scene files.
//
// Not thread-safe by itself: whoever drives it from several threads holds Mutex() around each
// call.
class TPyWorld {
public:
  // How the steps of one call run; what is not given stays as the world has it.
  struct TStepOptions {
    std::optional<int32_t> Futures; // exactly this many per step; 0: the budget decides
    int32_t BudgetMs = 100;         // real time a step may take, milliseconds
    std::optional<int32_t> Threads; // threads that run the futures; 0: every hardware thread
  };

  // The start world of the window (the built-in circuit and one rocket), a scene file, or a
  // scenario's built-in scene. Without a seed, one is taken from the clock. As in the batch
  // runner, the stream is seeded once the world is built, so that a scenario and the scene saved
  // from it run the same.
  static std::unique_ptr<TPyWorld> Start(std::optional<uint64_t> Seed);
  static std::unique_ptr<TPyWorld> Open(const std::string& FileName, std::optional<uint64_t> Seed);
  static std::unique_ptr<TPyWorld> Scenario(const std::string& Name, std::optional<uint64_t> Seed);
  ~TPyWorld();

  std::mutex& Mutex() { return FMutex; }
  TWorld& World() const { return *FWorld; }
  // None for a world that goes on with the stream its scene kept.
  std::optional<uint64_t> Seed() const { return FSeed; }
  int32_t StepNumber() const { return FStep; }
  const TBatchRecords& Records() const { return FRecords; }
  void SaveScene(const std::string& FileName) const;

  // ---- settings, by the settings table's keys ----
  // The world's keys, or a player's (its settings and its state's size).
  static std::vector<std::string> WorldKeys();
  static std::vector<std::string> PlayerKeys();
  // Raise ESettingKey for a key the holder does not have, and ESettingValue naming the key and
  // the range for a value outside it.
  double Setting(const std::string& Key) const;
  void SetSetting(const std::string& Key, double X);
  double PlayerSetting(int32_t Id, const std::string& Key) const;
  void SetPlayerSetting(int32_t Id, const std::string& Key, double X);

  // ---- steps ----
  // Sets the options for the steps to come, and answers what to put back once they are done.
  TStepOptions Prepare(const TStepOptions& Options);
  void Restore(const TStepOptions& Before);
  // One step; writes its rows of the batch runner's CSV when Csv is given.
  void Step(int32_t BudgetMs, std::string* Csv);

  // ---- players, by their numbers ----
  // Raises ERangeError for a number that is no player in the world.
  TPlayer& Player(int32_t Id) const;
  // The team a player is in.
  int32_t TeamOf(const TPlayer& Player) const;
  // A kart or a rocket added to the team (the current one by default), at rest at X, Y (pixels)
  // heading Angle (radians), coloured as the window colours it; answers its number.
  int32_t AddPlayer(const std::string& Kind, double X, double Y, double Angle,
                    std::optional<int32_t> Team);
  void RemovePlayer(int32_t Id);

  // ---- goals: a player's own, or a team's ----
  // The goals a player keeps (Id given) or a team keeps (the current team by default).
  struct TGoalOwner {
    std::optional<int32_t> Player;
    std::optional<int32_t> Team;
  };
  std::vector<TGoal*> Goals(const TGoalOwner& Owner) const;
  // A goal of the catalogue's kind, placed on the circuit as the window's menu places it, with
  // the fields given set over its own; answers its index among the owner's goals.
  int32_t AddGoal(const std::string& Kind, double Value, const TGoalOwner& Owner,
                  const std::map<std::string, std::vector<double>>& Fields);
  // Changes a goal's value (through the settings table) and fields; raises ERangeError for an
  // index that is no goal of the owner.
  void SetGoal(int32_t Index, std::optional<double> Value, const TGoalOwner& Owner,
               const std::map<std::string, std::vector<double>>& Fields);

  // The world drawn as a frame shows it: after a step, everything the step left to be seen;
  // after a change, the players as they now stand.
  const TQtPicture& Picture();

private:
  TPyWorld(std::unique_ptr<TWorld> World, std::optional<uint64_t> Seed);
  TTeam& Team(std::optional<int32_t> Index) const;
  void SetFields(TGoal& Goal, const std::map<std::string, std::vector<double>>& Fields);
  // Brings the numbers up to date after a change between steps.
  void Changed();

  std::mutex FMutex;
  std::unique_ptr<TWorld> FWorld;
  std::optional<uint64_t> FSeed;
  int32_t FStep = 0;
  bool FAfterStep = false;
  TBatchRecords FRecords;
  std::unique_ptr<TQtPicture> FPicture;
};

// A key that the setting's holder does not have.
class ESettingKey : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A value outside what the setting holds; the message names the key and the range.
class ESettingValue : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
