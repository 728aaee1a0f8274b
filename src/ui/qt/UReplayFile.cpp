#include "ui/qt/UReplayFile.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cmath>
#include <filesystem>

#include "platform/UErrors.h"
#include "ui/qt/UOutputFile.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/USceneReader.h"
#include "ui/qt/USceneWriter.h"
#include "world/UWorld.h"

namespace {

// A problem at a place in the document: "PATH: WHAT".
class EReplayPlace : public EError {
public:
  EReplayPlace(const QString& Path, const std::string& What)
      : EError(Path.toStdString() + ": " + What) {}
};

[[noreturn]] void Refuse(const QString& FileName, const std::string& Why) {
  throw EError("Cannot open the replay \"" + FileName.toStdString() + "\": " + Why);
}

QString At(const QString& Path, int32_t Index) {
  return Path + "[" + QString::number(Index) + "]";
}

bool Whole(const QJsonValue& Value, double Min, double Max) {
  const double x = Value.toDouble();
  return Value.isDouble() && std::isfinite(x) && x == std::floor(x) && x >= Min && x <= Max;
}

} // namespace

const QString& TReplayFile::Filter() {
  static const QString filter = QStringLiteral("kartsim replay (*.kartsim-replay.json)");
  return filter;
}

QJsonObject TReplayFile::Command(const TWorldCommand& Command) {
  const TWorldCommand::TKind* kind = TWorldCommand::FindKind(Command.Kind);
  if (kind == nullptr)
    throw EError("No command is called \"" + Command.Kind + "\".");
  QJsonObject json;
  json["do"] = QString::fromStdString(Command.Kind);
  if (!kind->TextName.empty())
    json[QString::fromStdString(kind->TextName)] = QString::fromStdString(Command.Text);
  for (size_t i = 0; i < kind->ValueNames.size() && i < Command.Values.size(); ++i)
    json[QString::fromStdString(kind->ValueNames[i])] = Command.Values[i];
  if (kind->Picture) {
    const auto* picture = dynamic_cast<const TQtPicture*>(Command.Picture.get());
    if (picture == nullptr)
      throw EError("The circuit is not a picture that a replay can hold.");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture->Image().save(&buffer, "PNG"))
      throw EError("The circuit could not be encoded as a PNG picture.");
    json["png"] = QString::fromLatin1(png.toBase64());
  }
  if (Command.Failed)
    json["failed"] = true;
  return json;
}

QJsonArray TReplayFile::Commands(const std::vector<TWorldCommand>& Commands) {
  QJsonArray list;
  for (const TWorldCommand& command : Commands)
    list.append(Command(command));
  return list;
}

QByteArray TReplayFile::Encode(const TReplay& Replay) {
  QJsonObject json;
  json["format"] = "kartsim-replay";
  json["version"] = Version;
  json["scene"] = Replay.Scene;
  json["stream"] = TSceneWriter::StreamText(Replay.Stream);
  QJsonArray steps;
  for (const TReplay::TStep& step : Replay.Steps) {
    QJsonArray entry{step.Futures,
                     step.Hash ? QJsonValue(QString::fromStdString(*step.Hash)) : QJsonValue()};
    if (!step.Commands.empty())
      entry.append(Commands(step.Commands));
    steps.append(entry);
  }
  json["steps"] = steps;
  json["after"] = Commands(Replay.After);
  return QJsonDocument(json).toJson(QJsonDocument::Compact) + "\n";
}

TWorldCommand TReplayFile::Command(const QJsonValue& Json, const QString& Path) {
  if (!Json.isObject())
    throw EReplayPlace(Path, "not an object");
  const QJsonObject object = Json.toObject();
  const QString name = object.value("do").toString();
  const TWorldCommand::TKind* kind = TWorldCommand::FindKind(name.toStdString());
  if (kind == nullptr)
    throw EReplayPlace(Path + ".do", "no command is called \"" + name.toStdString() + "\"");
  TWorldCommand command(kind->Name);
  if (!kind->TextName.empty()) {
    const QString key = QString::fromStdString(kind->TextName);
    if (!object.value(key).isString())
      throw EReplayPlace(Path + "." + key, "not a text");
    command.Text = object.value(key).toString().toStdString();
  }
  for (const std::string& valueName : kind->ValueNames) {
    const QString key = QString::fromStdString(valueName);
    const QJsonValue value = object.value(key);
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
      throw EReplayPlace(Path + "." + key, value.isUndefined() ? "missing" : "not a number");
    command.Values.push_back(value.toDouble());
  }
  if (kind->Picture) {
    const auto decoded = QByteArray::fromBase64Encoding(object.value("png").toString().toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    const QImage image = decoded ? QImage::fromData(decoded.decoded, "PNG") : QImage();
    if (image.isNull() || image.width() < 2 || image.height() < 2)
      throw EReplayPlace(Path + ".png", "not a base64 PNG picture");
    command.Picture = std::make_shared<TQtPicture>(image);
  }
  if (object.contains("failed") && !object.value("failed").isBool())
    throw EReplayPlace(Path + ".failed", "not true or false");
  command.Failed = object.value("failed").toBool();
  try {
    command.Check();
  } catch (const EError& e) {
    throw EReplayPlace(Path, e.what());
  }
  return command;
}

std::vector<TWorldCommand> TReplayFile::Commands(const QJsonValue& Json, const QString& Path) {
  if (!Json.isArray())
    throw EReplayPlace(Path, Json.isUndefined() ? "missing" : "not a list");
  const QJsonArray list = Json.toArray();
  std::vector<TWorldCommand> commands;
  for (int32_t i = 0; i < list.size(); ++i)
    commands.push_back(Command(list.at(i), At(Path, i)));
  return commands;
}

TReplay::TStep TReplayFile::Step(const QJsonValue& Json, const QString& Path) {
  const QJsonArray entry = Json.toArray();
  if (!Json.isArray() || entry.size() < 2 || entry.size() > 3)
    throw EReplayPlace(Path, "expected [futures, hash] or [futures, hash, commands]");
  TReplay::TStep step;
  if (!Whole(entry.at(0), 1, std::numeric_limits<int32_t>::max()))
    throw EReplayPlace(At(Path, 0), "expected a whole number of futures, at least 1");
  step.Futures = static_cast<int32_t>(entry.at(0).toDouble());
  const QString hash = entry.at(1).toString();
  if (!entry.at(1).isNull()) {
    bool hex = false;
    hash.toULongLong(&hex, 16);
    if (!entry.at(1).isString() || hash.size() != 8 || !hex)
      throw EReplayPlace(At(Path, 1), "expected 8 hexadecimal digits or null");
    step.Hash = hash.toStdString();
  }
  if (entry.size() == 3)
    step.Commands = Commands(entry.at(2), At(Path, 2));
  return step;
}

TReplayFile::TOpened TReplayFile::Decode(const QByteArray& Bytes, const QString& FileName) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(Bytes, &error);
  if (error.error != QJsonParseError::NoError)
    Refuse(FileName, "not JSON (" + error.errorString().toStdString() + " at byte " +
                         std::to_string(error.offset) + ").");
  if (!document.isObject())
    Refuse(FileName, "not a kartsim replay (the document is not a JSON object).");
  const QJsonObject json = document.object();
  TOpened opened;
  try {
    if (json.value("format") != QJsonValue("kartsim-replay"))
      throw EReplayPlace("format", "not a kartsim replay (expected \"kartsim-replay\")");
    if (json.value("version") == QJsonValue(1))
      throw EReplayPlace("version", "1 was recorded by an earlier kartsim, whose futures drew "
                                    "other numbers, and cannot be replayed by this one");
    if (!Whole(json.value("version"), Version, Version))
      throw EReplayPlace("version", "expected " + std::to_string(Version));
    if (!json.value("scene").isObject())
      throw EReplayPlace("scene", json.contains("scene") ? "not an object" : "missing");
    opened.Replay.Scene = json.value("scene").toObject();
    try {
      opened.World = TSceneReader::World(opened.Replay.Scene);
    } catch (const EError& e) {
      throw EError(std::string("scene.") + e.what());
    }
    if (!TSceneReader::StreamState(json.value("stream").toString(), opened.Replay.Stream))
      throw EReplayPlace("stream", "expected the 64 hexadecimal digits of a stream, not all zeros");
    // In place, whatever the scene kept: the world goes on from the stream it had.
    opened.World->RandomStream().SetState(opened.Replay.Stream);
    if (!json.value("steps").isArray())
      throw EReplayPlace("steps", json.contains("steps") ? "not a list" : "missing");
    const QJsonArray steps = json.value("steps").toArray();
    for (int32_t i = 0; i < steps.size(); ++i)
      opened.Replay.Steps.push_back(Step(steps.at(i), At("steps", i)));
    opened.Replay.After = Commands(json.value("after"), "after");
  } catch (const EError& e) {
    Refuse(FileName, std::string(e.what()) + ".");
  }
  return opened;
}

TReplayFile::TOpened TReplayFile::OpenBytes(const std::string& NativeName) {
  const QString name = QFile::decodeName(NativeName.c_str());
  std::error_code ec;
  const std::filesystem::path path(NativeName);
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status))
    Refuse(name, "the file does not exist.");
  if (!std::filesystem::is_regular_file(status))
    Refuse(name, "it is not a regular file (a folder, a FIFO, a device or a socket).");
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::ReadOnly))
    Refuse(name, file.errorString().toStdString() + ".");
  const QByteArray bytes = file.read(MaxBytes + 1);
  if (bytes.size() > MaxBytes)
    Refuse(name, "it is larger than 1 GB, more than any replay.");
  return Decode(bytes, name);
}

void TReplayFile::SaveBytes(const TReplay& Replay, const std::string& NativeName) {
  // Encoded whole first: a replay that cannot be written leaves no file at all.
  const QByteArray bytes = Encode(Replay);
  TOutputFile file(NativeName, "the replay");
  file.Write(bytes);
  file.Commit();
}

void TReplayFile::Save(const TReplay& Replay, const QString& FileName) {
  SaveBytes(Replay, TOutputFile::NativeName(FileName));
}
