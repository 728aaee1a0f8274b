#include "ui/experiment/UExperimentWorld.h"

#include <QCryptographicHash>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>

#include "goals/UGoal.h"
#include "goals/UGoalCatalogue.h"
#include "platform/UErrors.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/USceneFile.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

TExperimentWorld::TExperimentWorld(std::unique_ptr<TWorld> World) : FWorld(std::move(World)) {}

TExperimentWorld::~TExperimentWorld() = default;

const std::vector<std::string>& TExperimentWorld::BuiltInScenes() {
  static const std::vector<std::string> scenes = [] {
    std::vector<std::string> names;
    for (const QString& name : TSceneFile::ScenarioNames())
      names.push_back(name.toStdString());
    return names;
  }();
  return scenes;
}

namespace {

std::unique_ptr<TWorld> OpenWorld(const std::string& Scene) {
  const auto& scenes = TExperimentWorld::BuiltInScenes();
  if (std::find(scenes.begin(), scenes.end(), Scene) != scenes.end())
    return TSceneFile::OpenScenario(Scene);
  return TSceneFile::OpenBytes(Scene);
}

} // namespace

std::unique_ptr<TExperimentWorld> TExperimentWorld::Open(const std::string& Scene, uint64_t Seed,
                                                         const std::string& Circuit) {
  std::unique_ptr<TWorld> world = OpenWorld(Scene);
  // As the batch runner's --circuit: nothing drawn while loading comes before the run's draws.
  if (!Circuit.empty())
    world->LoadCircuit(*TQtPicture::LoadBmpBytes(Circuit), "");
  world->Reseed(Seed);
  return std::unique_ptr<TExperimentWorld>(new TExperimentWorld(std::move(world)));
}

TTrack2D& TExperimentWorld::Track() const {
  return FWorld->Track();
}

TTeam& TExperimentWorld::Team() const {
  return FWorld->CurrentTeam();
}

std::vector<std::string> TExperimentWorld::GoalKinds() {
  return TGoalCatalogue::Names();
}

std::unique_ptr<TGoal> TExperimentWorld::NewGoal(const std::string& Kind, const TTrack2D* Track,
                                                 double Value) {
  if (!TGoalCatalogue::Knows(Kind))
    return nullptr;
  return Track != nullptr ? TGoalCatalogue::NewOnTrack(Kind, Value, *Track)
                          : TGoalCatalogue::New(Kind, Value);
}

bool TExperimentWorld::IsGoalOfKind(const TGoal& Goal, const std::string& Kind) {
  return TGoalCatalogue::NameOf(Goal) == Kind;
}

std::string TExperimentWorld::Hash(const std::string& Scene) {
  const auto& scenes = BuiltInScenes();
  QByteArray bytes;
  if (std::find(scenes.begin(), scenes.end(), Scene) != scenes.end()) {
    bytes = TSceneFile::Encode(*TSceneFile::OpenScenario(Scene));
  } else {
    // Opened first, so that a file that is not a scene is refused with the scene reader's words.
    OpenWorld(Scene);
    QFile file(QString::fromLocal8Bit(Scene.c_str()));
    if (!file.open(QIODevice::ReadOnly))
      throw EError("Cannot read the scene \"" + Scene + "\".");
    bytes = file.read(TSceneFile::MaxBytes + 1);
  }
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

std::string TExperimentWorld::CircuitHash(const std::string& Circuit) {
  TQtPicture::LoadBmpBytes(Circuit);
  QFile file(QString::fromLocal8Bit(Circuit.c_str()));
  if (!file.open(QIODevice::ReadOnly))
    throw EError("Cannot read the circuit \"" + Circuit + "\".");
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex().toStdString();
}
