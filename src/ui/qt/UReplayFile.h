#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <memory>
#include <string>

#include "ui/qt/UReplay.h"

class TWorld;

// Replay files: a TReplay as a compact JSON document, "format": "kartsim-replay", "version": 2:
//   {"format": "kartsim-replay", "version": 2, "scene": {...}, "stream": "<64 hex digits>",
//    "steps": [[57, "9f3a01c2"], [61, "77ab0d1e", [{"do": "size", "size": 9}]], ...],
//    "after": [...commands applied after the last step...]}
// A step is its futures, the hash of the world after it (null where it raised) and, when there
// were any, the commands applied before it. A command is {"do": kind, its text and numbers by
// name}; a circuit loaded mid-run is embedded in its command as a base64 PNG, and a command that
// raised when it was applied says so ("failed": true).
class TReplayFile {
public:
  static constexpr int64_t MaxBytes = 1024LL * 1024 * 1024;
  // 2 since the futures draw their pushes as Box-Muller values in lane groups of 8: a replay of
  // version 1 would not run the same steps, so it is refused rather than found to differ.
  static constexpr int32_t Version = 2;
  // The file dialogs' filter, and the suffix a replay is saved with.
  static const QString& Filter();

  struct TOpened {
    std::unique_ptr<TWorld> World; // the world the replay starts from
    TReplay Replay;
  };

  static QByteArray Encode(const TReplay& Replay);
  // Raises EError "Cannot open the replay "FILE": PATH: WHAT" with the JSON path of the first
  // problem (steps[3][2][0].do: ...); nothing is run.
  static TOpened Decode(const QByteArray& Bytes, const QString& FileName);
  // Reads a replay file; a folder, a FIFO, a device or a file above MaxBytes is refused unread.
  static TOpened OpenBytes(const std::string& NativeName);
  // Writes through the program's output files (a temporary name only for a regular file).
  static void SaveBytes(const TReplay& Replay, const std::string& NativeName);
  static void Save(const TReplay& Replay, const QString& FileName);

private:
  static QJsonObject Command(const TWorldCommand& Command);
  static QJsonArray Commands(const std::vector<TWorldCommand>& Commands);
  static TWorldCommand Command(const QJsonValue& Json, const QString& Path);
  static std::vector<TWorldCommand> Commands(const QJsonValue& Json, const QString& Path);
  static TReplay::TStep Step(const QJsonValue& Json, const QString& Path);
};
