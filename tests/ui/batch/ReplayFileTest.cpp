#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>

#include "ShellRun.h"

namespace {

TShellResult RunBatch(const std::string& Args) {
  return RunShell(std::string(KARTSIM_BATCH_EXE) + " --threads 2 " + Args);
}

bool Write(const QString& Name, const QByteArray& Bytes) {
  QFile file(Name);
  return file.open(QIODevice::WriteOnly) && file.write(Bytes) == Bytes.size();
}

} // namespace

TEST(ReplayFile, ABadReplayIsRefusedWithItsJsonPathAndNothingRuns) {
  QTemporaryDir dir;
  const QString good = dir.filePath("good.kartsim-replay.json");
  // Steps whose futures the budget decided, on two threads.
  const std::string rows = " --csv " + dir.filePath("a.csv").toStdString() + " --decisions " +
                           dir.filePath("a.dec").toStdString();
  const std::string quick = " --steps 2 --budget-ms 20 --seconds 1 --seed 3 --scenario kart";
  ASSERT_EQ(RunBatch("--save-replay " + good.toStdString() + quick + rows).Status, 0);
  QFile file(good);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonObject replay = QJsonDocument::fromJson(file.readAll()).object();
  ASSERT_EQ(replay["steps"].toArray().size(), 2);
  const auto edited = [&](const std::function<void(QJsonObject&)>& Edit) {
    QJsonObject json = replay;
    Edit(json);
    return QJsonDocument(json).toJson();
  };
  const auto step = [](QJsonObject& J, int32_t I, const QJsonArray& Entry) {
    QJsonArray steps = J["steps"].toArray();
    steps[I] = Entry;
    J["steps"] = steps;
  };
  const std::pair<QByteArray, std::string> cases[] = {
      {"{\"format\": ", "not JSON"},
      {edited([](QJsonObject& j) { j["format"] = "kartsim-scene"; }), "format: not a kartsim"},
      {edited([](QJsonObject& j) { j["version"] = 3; }), "version: expected 2"},
      {edited([](QJsonObject& j) { j["version"] = 1; }), "version: 1 was recorded by an earlier"},
      {edited([](QJsonObject& j) { j.remove("after"); }), "after: missing"},
      {edited([](QJsonObject& j) { j["stream"] = QString(64, '0'); }),
       "stream: expected the 64 hexadecimal digits"},
      {edited([&](QJsonObject& j) {
         step(j, 1, {0, "0123abcd"});
       }),
       "steps[1][0]: expected a whole number of futures"},
      {edited([&](QJsonObject& j) {
         step(j, 0, {10, "xyz"});
       }),
       "steps[0][1]: expected 8 hexadecimal digits"},
      {edited([&](QJsonObject& j) {
         step(j, 1, {10, "0123abcd", QJsonArray{QJsonObject{{"do", "fly"}}}});
       }),
       "steps[1][2][0].do: no command is called \"fly\""},
      {edited([&](QJsonObject& j) {
         step(j, 0, {10, "0123abcd", QJsonArray{QJsonObject{{"do", "size"}}}});
       }),
       "steps[0][2][0].size: missing"},
      {edited([](QJsonObject& j) {
         QJsonObject scene = j["scene"].toObject();
         scene["current_team"] = 4;
         j["scene"] = scene;
       }),
       "scene.current_team: out of range"}};
  const QString bad = dir.filePath("bad.kartsim-replay.json");
  const QString csv = dir.filePath("never.csv");
  for (const auto& [bytes, what] : cases) {
    ASSERT_TRUE(Write(bad, bytes));
    const TShellResult r =
        RunBatch("--replay " + bad.toStdString() + " --csv " + csv.toStdString());
    EXPECT_EQ(r.Status, 2) << what;
    EXPECT_NE(r.Err.find("kartsim-batch: --replay: Cannot open the replay \"" + bad.toStdString() +
                         "\": " + what),
              std::string::npos)
        << r.Err;
    EXPECT_FALSE(QFile::exists(csv)) << what;
  }
  // What the replay fixes is not given beside it.
  for (const std::string option : {"--seed", "--futures", "--budget-ms"}) {
    const TShellResult r = RunBatch("--replay " + good.toStdString() + " " + option + " 4");
    EXPECT_EQ(r.Status, 2) << option;
    EXPECT_EQ(r.Err,
              "kartsim-batch: " + option + ": a replay fixes it; give --replay without it\n");
  }
  // Replayed on three threads: the same rows.
  const std::string again = " --csv " + dir.filePath("b.csv").toStdString() + " --decisions " +
                            dir.filePath("b.dec").toStdString();
  EXPECT_EQ(RunBatch("--replay " + good.toStdString() + again + " --threads 3").Status, 0);
  for (const char* name : {"csv", "dec"}) {
    QFile a(dir.filePath(QString("a.") + name)), b(dir.filePath(QString("b.") + name));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll()) << name;
  }
}
