#pragma once

#include <QJsonObject>
#include <string>

class TExperiment;

// What a results folder vouches for, and what it may hold: the program that made it and the
// bytes of the scenes and circuits its runs started from, recorded in its experiment.json, so
// that rows of another version or of another world are never mixed with its own.
class TResultsFolder {
public:
  // "kartsim-experiment 0.1.0": the program as experiment.json records it.
  static std::string Program();
  // The SHA-256 of every scene's and circuit's bytes, by its name; EExperimentInput for one that
  // cannot be read.
  static QJsonObject Hashes(const TExperiment& Experiment);
  // Refuses (EExperimentInput, naming both) a record of another program or of other bytes.
  static void CheckSameOrigin(const QJsonObject& Record, const std::string& Where,
                              const QJsonObject& Hashes);
  // A folder's experiment.json; EExperimentInput when it cannot be read or is no record.
  static QJsonObject ReadRecord(const std::string& FileName);
  // Refuses a file no experiment writes; removes the temporary files a kill left behind.
  static void CheckContents(const std::string& Folder);
};
