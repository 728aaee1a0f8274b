#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

struct TResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

// Runs kartsim-batch with the arguments (already quoted for the shell where needed).
TResult RunBatch(const std::string& Args) {
  QTemporaryDir dir;
  const std::string errFile = dir.filePath("stderr").toStdString();
  const std::string command = std::string(KARTSIM_BATCH_EXE) + " " + Args + " 2>" + errFile;
  TResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr)
    return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    result.Out.append(buffer, n);
  const int status = pclose(pipe);
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  result.Err = text.str();
  return result;
}

std::string ReadFile(const QString& Name) {
  std::ifstream in(Name.toStdString(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Small runs: a few steps of a few short futures.
const std::string Quick = " --steps 3 --futures 20 --seconds 1 --seed 5";

} // namespace

TEST(BatchRun, BadArgumentsExitWithTwoAndOneLineNamingTheArgument) {
  for (const std::string args : {"--bogus", "--steps -3", "--steps many", "--ai-level 0",
                                 "--ai-level 9", "--circuit /nonexistent/circuit.bmp"}) {
    const TResult r = RunBatch(args);
    EXPECT_EQ(r.Status, 2) << args;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    const std::string name = args.substr(0, args.find(' '));
    EXPECT_NE(r.Err.find(name), std::string::npos) << r.Err;
    EXPECT_TRUE(r.Out.empty());
  }
}

TEST(BatchRun, HelpListsTheOptions) {
  const TResult r = RunBatch("--help");
  EXPECT_EQ(r.Status, 0);
  for (const char* option : {"--scenario", "--futures", "--frames", "--csv", "--json"})
    EXPECT_NE(r.Out.find(option), std::string::npos) << option;
}

TEST(BatchRun, EveryScenarioSummarisesItsPlayersAsJson) {
  const std::pair<const char*, int> scenarios[] = {
      {"rocket", 1}, {"kart", 1}, {"circle", 18}, {"drops", 3}};
  for (const auto& [scenario, players] : scenarios) {
    const TResult r = RunBatch(std::string("--json --scenario ") + scenario + Quick);
    ASSERT_EQ(r.Status, 0) << scenario << ": " << r.Err;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.Out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.Out;
    const QJsonObject summary = doc.object();
    EXPECT_EQ(summary["scenario"].toString().toStdString(), scenario);
    EXPECT_EQ(summary["steps"].toInt(), 3);
    EXPECT_EQ(summary["seed"].toInteger(), 5);
    EXPECT_EQ(summary["ai_level"].toInt(), 8);
    EXPECT_EQ(summary["substeps_per_future"].toInt(), 10);
    EXPECT_EQ(summary["futures_per_step"].toObject()["median"].toInt(), 20);
    EXPECT_TRUE(summary["step_ms"].toObject()["max"].isDouble());
    EXPECT_GT(summary["ns_per_body_substep"].toDouble(), 0);
    const QJsonArray list = summary["players"].toArray();
    ASSERT_EQ(list.size(), players) << scenario;
    const QJsonObject first = list[0].toObject();
    for (const char* key : {"index", "kind", "born_step", "removed_step", "alive", "health",
                            "energy", "size", "x", "y", "distance"})
      EXPECT_TRUE(first.contains(key)) << key;
    EXPECT_TRUE(first["removed_step"].isNull());
  }
}

TEST(BatchRun, TheSameSeedAndFuturesGiveTheSameCsv) {
  QTemporaryDir dir;
  const QString a = dir.filePath("a.csv"), b = dir.filePath("b.csv");
  for (const QString& file : {a, b}) {
    const TResult r = RunBatch("--scenario drops --csv " + file.toStdString() + Quick);
    ASSERT_EQ(r.Status, 0) << r.Err;
  }
  const std::string first = ReadFile(a);
  EXPECT_EQ(first, ReadFile(b));
  EXPECT_EQ(first.rfind("step,player,kind,x,y,angle,vx,vy,health,energy,size,dead,futures,dots,"
                        "grid\n",
                        0),
            0u);
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 1 + 3 * 3); // 3 steps, 3 players
}

TEST(BatchRun, WritesOneNumberedFramePerStep) {
  QTemporaryDir dir;
  const QString stem = dir.filePath("run");
  const TResult r = RunBatch("--frames " + stem.toStdString() + Quick);
  ASSERT_EQ(r.Status, 0) << r.Err;
  for (const char* name : {"run_00001.bmp", "run_00002.bmp", "run_00003.bmp"})
    EXPECT_TRUE(QFile::exists(dir.filePath(name))) << name;
  EXPECT_FALSE(QFile::exists(dir.filePath("run_00004.bmp")));
  EXPECT_EQ(ReadFile(dir.filePath("run_00001.bmp")).substr(0, 2), "BM");
}

TEST(BatchRun, AFailingRunExitsWithOneAndTheErrorsMessage) {
  const TResult r = RunBatch("--frames /nonexistent/folder/run" + Quick);
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("/nonexistent/folder/run_00001.bmp"), std::string::npos) << r.Err;
}
