#pragma once

#include <memory>
#include <string>
#include <vector>

class TGoal;
class TQtPicture;
class TTeam;
class TTrack2D;

// The world a run starts from: a picture, the track on it and its one team. Built here for the
// built-in scenes the way the batch runner builds its scenarios; opening a scene file will take
// the place of Open without the rest of the experiment noticing.
class TExperimentWorld {
public:
  ~TExperimentWorld();
  TExperimentWorld(const TExperimentWorld&) = delete;
  TExperimentWorld& operator=(const TExperimentWorld&) = delete;

  // "rocket", "kart", "circle", "drops".
  static const std::vector<std::string>& BuiltInScenes();
  // Raises EError when Scene cannot be opened, before any run starts.
  static void CheckScene(const std::string& Scene);
  // Builds the scene's world on the calling thread, drawing from its random stream. Without
  // Drawing the world draws nothing: the picture is read for the road only, which saves the
  // painting of every step when nothing looks at it.
  static std::unique_ptr<TExperimentWorld> Open(const std::string& Scene, bool Drawing);

  // Goal kinds a variable can set, by the names the experiment file gives them.
  static const std::vector<std::string>& GoalKinds();
  // A goal of a kind with a value; null for a kind nobody knows.
  static std::unique_ptr<TGoal> NewGoal(const std::string& Kind, const TTrack2D* Track,
                                        double Value);
  // Whether Goal is of the kind.
  static bool IsGoalOfKind(const TGoal& Goal, const std::string& Kind);

  TTrack2D& Track() const { return *FTrack; }
  TTeam& Team() const { return *FTeam; }

private:
  TExperimentWorld();

  std::unique_ptr<TQtPicture> FPicture;
  std::unique_ptr<TTrack2D> FTrack;
  std::unique_ptr<TTeam> FTeam;
};
