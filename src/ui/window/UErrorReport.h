#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <string>

// What the user is told of an error that ended a handler or a step: its message exactly as it was
// raised, the type of the exception, where it came from and when.
class TErrorReport {
public:
  std::string Message;
  std::string Type;   // the exception's class, e.g. "EError"
  std::string Origin; // the handlers it left and the event or step they ran for
  QDateTime Time;
  // What the window did up to the error, as a replay file's bytes; empty when there is none.
  QByteArray Replay;

  // The report of the exception being handled; to be called inside a catch block. Where says
  // which event or step was being handled; the handlers the error left are added before it.
  static TErrorReport FromCurrentException(const std::string& Where);

  // The whole report as plain text, for saving and copying.
  QString Text() const;
  // Writes Text to the file, replacing it. Raises EError naming the file when it cannot.
  void SaveToFile(const QString& FileName) const;
};
