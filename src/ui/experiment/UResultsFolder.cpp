#include "ui/experiment/UResultsFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include "platform/UErrors.h"
#include "ui/experiment/UExperiment.h"
#include "ui/experiment/UExperimentWorld.h"

#ifndef KARTSIM_VERSION
#define KARTSIM_VERSION "unknown"
#endif

namespace {

// What a results folder may hold: the four files of a started one, and once finished these.
const char* const StartedFiles[] = {"experiment.json", "runs.csv", "steps.csv", "players.csv"};
const char* const FinishedFiles[] = {"summary.csv", "plots"};

} // namespace

std::string TResultsFolder::Program() {
  return "kartsim-experiment " KARTSIM_VERSION;
}

QJsonObject TResultsFolder::Hashes(const TExperiment& Experiment) {
  QJsonObject hashes;
  try {
    for (const std::string& scene : Experiment.Scenes())
      hashes[QString::fromStdString(scene)] = QString::fromStdString(TExperimentWorld::Hash(scene));
    for (const std::string& circuit : Experiment.Circuits())
      hashes[QString::fromStdString(circuit)] =
          QString::fromStdString(TExperimentWorld::CircuitHash(circuit));
  } catch (const EError& e) {
    throw EExperimentInput(e.what());
  }
  return hashes;
}

void TResultsFolder::CheckSameOrigin(const QJsonObject& Record, const std::string& Where,
                                     const QJsonObject& Hashes) {
  const std::string program = Record.value("program").toString().toStdString();
  if (program != Program())
    throw EExperimentInput("\"" + Where + "\" was made by " +
                           (program.empty() ? std::string("another program") : program) +
                           " and this is " + Program() +
                           ": a new version may draw other random numbers; use the same program "
                           "or another folder.");
  const QJsonObject before = Record.value("hashes").toObject();
  for (auto it = Hashes.begin(); it != Hashes.end(); ++it)
    if (before.value(it.key()) != it.value())
      throw EExperimentInput("The file \"" + it.key().toStdString() + "\" is not the one \"" +
                             Where + "\" was made from (SHA-256 " +
                             before.value(it.key()).toString("none").left(12).toStdString() +
                             "... there, " + it.value().toString().left(12).toStdString() +
                             "... now); use another folder.");
}

QJsonObject TResultsFolder::ReadRecord(const std::string& FileName) {
  QFile file(QString::fromStdString(FileName));
  // A record is a page: a FIFO or a device in its place is not read.
  if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
    throw EExperimentInput("Cannot read \"" + FileName + "\".");
  const QJsonDocument doc = QJsonDocument::fromJson(file.read(TExperiment::MaxFileBytes * 4));
  if (!doc.isObject())
    throw EExperimentInput("\"" + FileName + "\" is not an experiment's record.");
  return doc.object();
}

void TResultsFolder::CheckContents(const std::string& Folder) {
  // Anything else in it is someone's, and stays out of the results.
  const QStringList entries =
      QDir(QString::fromStdString(Folder))
          .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  for (const QString& entry : entries) {
    const std::string name = entry.toStdString();
    bool ours = false, leftOver = false;
    for (const char* known : StartedFiles) {
      ours = ours || name == known;
      // A temporary file a kill left behind while a table was written whole.
      leftOver = leftOver || name.rfind(std::string(".") + known + ".kartsim-", 0) == 0;
    }
    for (const char* known : FinishedFiles)
      ours = ours || name == known;
    if (leftOver) {
      QFile::remove(QString::fromStdString(Folder + "/" + name));
      continue;
    }
    if (!ours)
      throw EExperimentInput("\"" + Folder + "\" holds \"" + name +
                             "\", which no experiment writes: a started folder holds only "
                             "experiment.json, runs.csv, steps.csv and players.csv (a finished "
                             "one also summary.csv and plots); move it away or use another "
                             "folder.");
  }
}
