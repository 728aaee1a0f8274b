#include "ui/experiment/UExperimentWorld.h"

#include <algorithm>
#include <typeinfo>

#include "goals/UGoal2DRaced.h"
#include "goals/UGoal2DStorage.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UGoal2DTeamAway.h"
#include "goals/UGoalBurnOut.h"
#include "goals/UGoalDuplicate.h"
#include "goals/UGoalEnergy.h"
#include "goals/UGoalHealth.h"
#include "goals/UGoalMouse.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "ui/qt/UQtPicture.h"
#include "world/URoster.h"
#include "world/UTrack2D.h"

namespace {

// The "drops" scene's team goals, with the values the window's menu items give them.
constexpr double DropGoalValue = 1, StorageGoalValue = 1;

} // namespace

TExperimentWorld::TExperimentWorld() = default;

TExperimentWorld::~TExperimentWorld() {
  // Players first (the team owns them), then the world that referenced them.
  FTeam.reset();
  FTrack.reset();
}

const std::vector<std::string>& TExperimentWorld::BuiltInScenes() {
  static const std::vector<std::string> scenes = {"rocket", "kart", "circle", "drops"};
  return scenes;
}

void TExperimentWorld::CheckScene(const std::string& Scene) {
  const auto& scenes = BuiltInScenes();
  if (std::find(scenes.begin(), scenes.end(), Scene) == scenes.end())
    throw EError("\"" + Scene +
                 "\" is not a built-in scene (rocket, kart, circle, drops), and scene files are "
                 "not supported yet.");
}

std::unique_ptr<TExperimentWorld> TExperimentWorld::Open(const std::string& Scene, bool Drawing) {
  CheckScene(Scene);
  std::unique_ptr<TExperimentWorld> world(new TExperimentWorld);
  world->FPicture = TQtPicture::LoadDefaultCircuit();
  world->FTrack = std::make_unique<TTrack2D>();
  world->FTrack->LoadTrack(world->FPicture.get());
  if (!Drawing)
    world->FTrack->FImage = nullptr; // the road map is kept; every drawing call finds no picture
  world->FTeam = std::make_unique<TTeam>();
  world->FTrack->AddTeam(world->FTeam.get());
  TRoster roster(*world->FTrack);
  if (Scene == "kart") {
    roster.AddPlayer(TRoster::pkKart);
    return world;
  }
  // The program starts with one rocket; the other scenes build on it as the user would.
  roster.AddPlayer(TRoster::pkRocket);
  if (Scene == "circle") {
    roster.AddCircleOfKarts();
  } else if (Scene == "drops") {
    roster.AddPlayerAhead(TRoster::pkKart);
    roster.AddPlayerAhead(TRoster::pkKart);
    world->FTeam->AddGoal(std::make_unique<TGoal2DSweets>(DropGoalValue));
    world->FTeam->AddGoal(TGoal2DStorage::NewOnRoad(*world->FTrack, StorageGoalValue));
  }
  return world;
}

const std::vector<std::string>& TExperimentWorld::GoalKinds() {
  static const std::vector<std::string> kinds = {
      "speed", "energy",   "health",    "drops",        "storage",
      "away",  "burn_out", "duplicate", "follow_mouse", "avoid_mouse"};
  return kinds;
}

std::unique_ptr<TGoal> TExperimentWorld::NewGoal(const std::string& Kind, const TTrack2D* Track,
                                                 double Value) {
  if (Kind == "speed")
    return std::make_unique<TGoal2DRaced>(Value);
  if (Kind == "energy")
    return std::make_unique<TGoalEnergy>(Value);
  if (Kind == "health")
    return std::make_unique<TGoalHealth>(Value);
  if (Kind == "drops")
    return std::make_unique<TGoal2DSweets>(Value);
  if (Kind == "storage")
    // Without a world (to learn the kind's range) a box anywhere will do.
    return Track != nullptr ? TGoal2DStorage::NewOnRoad(*Track, Value)
                            : std::make_unique<TGoal2DStorage>(0, 0, 1, 0, Value);
  if (Kind == "away")
    return std::make_unique<TGoal2DTeamAway>(Value);
  if (Kind == "burn_out")
    return std::make_unique<TGoalBurnOut>(Value);
  if (Kind == "duplicate")
    return std::make_unique<TGoalDuplicate>(Value);
  if (Kind == "follow_mouse" || Kind == "avoid_mouse")
    return std::make_unique<TGoalMouse>(Kind == "avoid_mouse", Value);
  return nullptr;
}

bool TExperimentWorld::IsGoalOfKind(const TGoal& Goal, const std::string& Kind) {
  if (const auto* mouse = dynamic_cast<const TGoalMouse*>(&Goal))
    return mouse->FAvoid == (Kind == "avoid_mouse") &&
           (Kind == "avoid_mouse" || Kind == "follow_mouse");
  const std::unique_ptr<TGoal> sample = NewGoal(Kind, nullptr, 0);
  return sample != nullptr && typeid(Goal) == typeid(*sample);
}
