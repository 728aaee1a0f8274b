#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "ui/batch/UBatchRun.h"
#include "ui/qt/USceneFile.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

std::string ReadFile(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The rows of a CSV after the header whose step (the first column) is above First.
std::string RowsAfter(const std::string& Csv, int32_t First) {
  std::istringstream in(Csv);
  std::string line, out;
  std::getline(in, line);
  while (std::getline(in, line))
    if (std::stoi(line.substr(0, line.find(','))) > First)
      out += line + "\n";
  return out;
}

struct TRunOutput {
  QByteArray Scene; // the whole world the run ended in, its stream and step count included
  std::string Csv, Decisions;
};

TRunOutput RunSteps(TBatchOptions Options, const QTemporaryDir& Dir) {
  Options.CsvFile = Dir.filePath("run.csv").toStdString();
  Options.DecisionsFile = Dir.filePath("decisions.csv").toStdString();
  TBatchRun run(Options);
  run.Run(nullptr);
  return {TSceneFile::Encode(run.World()), ReadFile(Options.CsvFile),
          ReadFile(Options.DecisionsFile)};
}

} // namespace

TEST(Continuation, ASceneSavedMidRunGoesOnAsTheUninterruptedRun) {
  for (const char* scenario : {"kart", "drops", "circle"}) {
    for (const int32_t threads : {1, 3}) {
      const std::string what = std::string(scenario) + ", " + std::to_string(threads) + " threads";
      QTemporaryDir dir;
      TBatchOptions options;
      options.Scenario = scenario;
      options.Seed = 5;
      options.Futures = 24;
      options.Seconds = 2;
      options.Threads = threads;
      options.Steps = 12;
      const TRunOutput whole = RunSteps(options, dir);

      options.Steps = 6;
      options.SaveSceneFile = dir.filePath("half.kartsim.json").toStdString();
      RunSteps(options, dir);
      TBatchOptions resumed = options;
      resumed.SceneFile = options.SaveSceneFile;
      resumed.SaveSceneFile.clear();
      resumed.Seed.reset();
      const TRunOutput second = RunSteps(resumed, dir);
      EXPECT_EQ(second.Scene, whole.Scene) << what;
      EXPECT_EQ(second.Csv.substr(second.Csv.find('\n') + 1), RowsAfter(whole.Csv, 6)) << what;
      EXPECT_EQ(second.Decisions.substr(second.Decisions.find('\n') + 1),
                RowsAfter(whole.Decisions, 6))
          << what;

      // A seed given starts a new stream: the run is not the uninterrupted one.
      resumed.Seed = 6;
      EXPECT_NE(RunSteps(resumed, dir).Scene, whole.Scene) << what;
    }
  }
}

TEST(Continuation, AVersionOneSceneStillOpensAndRunsFromTheSeed) {
  std::unique_ptr<TWorld> world = TSceneFile::OpenScenario("kart");
  EXPECT_FALSE(world->StreamKept());
  EXPECT_EQ(world->StepCount(), 0);
  EXPECT_EQ(TSceneFile::Encode(*world).indexOf("\"run\""), -1);
  world->Track().SetFixedFutures(8);
  world->Step(100);
  const QByteArray saved = TSceneFile::Encode(*world);
  EXPECT_NE(saved.indexOf("\"version\": 2"), -1);
  const std::unique_ptr<TWorld> opened = TSceneFile::Decode(saved, "again");
  EXPECT_TRUE(opened->StreamKept());
  EXPECT_EQ(opened->StepCount(), 1);
  EXPECT_EQ(TSceneFile::Encode(*opened), saved);
}
