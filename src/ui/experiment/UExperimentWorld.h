#pragma once

#include <memory>
#include <string>
#include <vector>

class TGoal;
class TTeam;
class TTrack2D;
class TWorld;

// The world a run starts from: a built-in scene by its name (rocket, kart, circle, drops) or a
// scene file, opened as the batch runner and the window open them.
class TExperimentWorld {
public:
  ~TExperimentWorld();
  TExperimentWorld(const TExperimentWorld&) = delete;
  TExperimentWorld& operator=(const TExperimentWorld&) = delete;

  static const std::vector<std::string>& BuiltInScenes();
  // Opens the scene's world on the calling thread, or raises EError when Scene cannot be opened
  // (the scene file's own error); its stream starts from Seed. Nothing paints it: a run only
  // measures.
  // A Circuit file, when given, replaces the scene's circuit before the stream is seeded.
  static std::unique_ptr<TExperimentWorld> Open(const std::string& Scene, uint64_t Seed,
                                                const std::string& Circuit = "");

  // The SHA-256 of the scene's bytes as hexadecimal digits: the file's, or a built-in scene's as
  // it would be saved. Raises EError as Open does.
  static std::string Hash(const std::string& Scene);
  // The same of a circuit file's bytes, once the file has been read as a circuit.
  static std::string CircuitHash(const std::string& Circuit);

  // Goal kinds a variable can set: the names of the goal catalogue.
  static std::vector<std::string> GoalKinds();
  // A goal of a kind with a value, placed on the track where its kind needs a place; null for a
  // kind nobody knows.
  static std::unique_ptr<TGoal> NewGoal(const std::string& Kind, const TTrack2D* Track,
                                        double Value);
  // Whether Goal is of the kind.
  static bool IsGoalOfKind(const TGoal& Goal, const std::string& Kind);

  TWorld& World() const { return *FWorld; }
  TTrack2D& Track() const;
  TTeam& Team() const;

private:
  explicit TExperimentWorld(std::unique_ptr<TWorld> World);

  std::unique_ptr<TWorld> FWorld;
};
