#include "ui/qt/USceneFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QStringList>
#include <filesystem>

#include "platform/UErrors.h"
#include "ui/qt/UOutputFile.h"
#include "ui/qt/USceneReader.h"
#include "ui/qt/USceneWriter.h"
#include "world/UWorld.h"

namespace {

std::string Quoted(const QString& FileName) {
  return "\"" + FileName.toStdString() + "\"";
}

[[noreturn]] void Refuse(const QString& FileName, const std::string& Why) {
  throw EError("Cannot open the scene " + Quoted(FileName) + ": " + Why);
}

// Before anything is read: a FIFO or a device would be waited on or read without end.
void CheckPath(const std::filesystem::path& Path, const QString& FileName) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(Path, ec);
  if (ec || !std::filesystem::exists(status))
    Refuse(FileName, "the file does not exist.");
  if (std::filesystem::is_directory(status))
    Refuse(FileName, "it is a folder, not a file.");
  if (!std::filesystem::is_regular_file(status))
    Refuse(FileName, "it is not a regular file (a FIFO, a device or a socket).");
  const uintmax_t size = std::filesystem::file_size(Path, ec);
  if (ec || size > static_cast<uintmax_t>(TSceneFile::MaxBytes))
    Refuse(FileName, "it is larger than 64 MB, more than any scene.");
}

std::unique_ptr<TWorld> OpenPath(const std::filesystem::path& Path, const QString& FileName) {
  CheckPath(Path, FileName);
  QFile file(QString::fromStdString(Path.string()));
  if (!file.open(QIODevice::ReadOnly))
    Refuse(FileName, file.errorString().toStdString() + ".");
  // Never more than was allowed, should the file have grown since it was looked at.
  const QByteArray bytes = file.read(TSceneFile::MaxBytes + 1);
  if (bytes.size() > TSceneFile::MaxBytes)
    Refuse(FileName, "it is larger than 64 MB, more than any scene.");
  return TSceneFile::Decode(bytes, FileName);
}

} // namespace

const QString& TSceneFile::Filter() {
  static const QString filter = QStringLiteral("kartsim scene (*.kartsim.json)");
  return filter;
}

QByteArray TSceneFile::Encode(const TWorld& World) {
  return QJsonDocument(TSceneWriter::Scene(World)).toJson(QJsonDocument::Indented);
}

std::unique_ptr<TWorld> TSceneFile::Decode(const QByteArray& Bytes, const QString& FileName) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(Bytes, &error);
  if (error.error != QJsonParseError::NoError)
    Refuse(FileName, "not JSON (" + error.errorString().toStdString() + " at byte " +
                         std::to_string(error.offset) + ").");
  if (!document.isObject())
    Refuse(FileName, "not a kartsim scene (the document is not a JSON object).");
  try {
    return TSceneReader::World(document.object());
  } catch (const EError& e) {
    Refuse(FileName, std::string(e.what()) + ".");
  }
}

std::unique_ptr<TWorld> TSceneFile::Open(const QString& FileName) {
  return OpenPath(std::filesystem::path(QFile::encodeName(FileName).toStdString()), FileName);
}

std::unique_ptr<TWorld> TSceneFile::OpenBytes(const std::string& NativeName) {
  return OpenPath(std::filesystem::path(NativeName), QFile::decodeName(NativeName.c_str()));
}

const QStringList& TSceneFile::ScenarioNames() {
  static const QStringList names = {"rocket", "kart", "circle", "drops"};
  return names;
}

std::unique_ptr<TWorld> TSceneFile::OpenScenario(const std::string& Name) {
  const QString name = QString::fromStdString(Name);
  if (!ScenarioNames().contains(name))
    throw EError("No scenario is called \"" + Name + "\".");
  const QString resource = ":/kartsim/scenes/" + name + ".kartsim.json";
  QFile file(resource);
  if (!file.open(QIODevice::ReadOnly))
    throw EError("The scenario \"" + Name + "\" is missing from the program.");
  return Decode(file.readAll(), resource);
}

void TSceneFile::Save(const TWorld& World, const QString& FileName) {
  SaveBytes(World, QFile::encodeName(FileName).toStdString());
}

void TSceneFile::SaveBytes(const TWorld& World, const std::string& NativeName) {
  // Encoded whole first: a world that cannot be written leaves no file at all.
  const QByteArray bytes = Encode(World);
  TOutputFile file(NativeName, "the scene");
  file.Write(bytes);
  file.Commit();
}
