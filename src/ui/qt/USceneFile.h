#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class TWorld;

// Scene files: a whole world (circuit, settings, teams with their goals, players with their
// states and settings) as an indented JSON document, "format": "kartsim-scene", "version": 1.
// Keys come in a fixed (alphabetical) order and numbers read back to the same double, so that a
// scene saved, opened and saved again gives the same bytes and diffs show only what changed.
// Version 2 adds the block "run": the world's random stream and its count of steps, so that a
// world saved once it has run goes on exactly as it would have. A world that never ran is saved
// as version 1, without it; version 1 files still open. Not kept: futures and their drawing,
// windows.
class TSceneFile {
public:
  static constexpr int64_t MaxBytes = 64LL * 1024 * 1024;
  static constexpr int32_t Version = 2;
  // The file dialogs' filter, and the suffix a scene file is saved with.
  static const QString& Filter();

  // The scene of the world as it stands.
  static QByteArray Encode(const TWorld& World);
  // A new world from a scene; nothing else changes. Raises EError "Cannot open the scene
  // "FILE": PATH: WHAT" naming where in the document the problem is, as a JSON path
  // (players[2].state.PosX: not a number). FileName only names the file in the message.
  static std::unique_ptr<TWorld> Decode(const QByteArray& Bytes, const QString& FileName);

  // Reads a scene file. A folder, a FIFO, a device or a file of more than MaxBytes is refused
  // before it is read, and errors are raised as Decode raises them.
  static std::unique_ptr<TWorld> Open(const QString& FileName);
  // The same for a name given as the bytes the system knows the file by.
  static std::unique_ptr<TWorld> OpenBytes(const std::string& NativeName);
  // The built-in scene of a scenario (rocket, kart, circle, drops), from the program's
  // resources; raises EError for a name that is not one.
  static std::unique_ptr<TWorld> OpenScenario(const std::string& Name);
  static const QStringList& ScenarioNames();
  // Writes the world's scene through a temporary file that takes the name only when complete.
  static void Save(const TWorld& World, const QString& FileName);
  static void SaveBytes(const TWorld& World, const std::string& NativeName);
};
