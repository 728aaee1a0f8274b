#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ExperimentFolder.h"
#include "ui/qt/USceneFile.h"
#include "world/UWorld.h"

using namespace experiment_test;

namespace {

class ExperimentProgram : public ExperimentFolder {};

} // namespace

TEST_F(ExperimentProgram, SmallExperimentGivesItsRowsTheSameForEveryJobsAndShards) {
  const TResult one = Shell(Path(""), "$E small.json --out one --jobs 1");
  ASSERT_EQ(one.Status, 0) << one.Err;
  const std::vector<std::string> rows = Untimed(ReadFile(Path("one/runs.csv")));
  ASSERT_EQ(rows.size(), 9u);
  EXPECT_EQ(rows[0].substr(0, 49), "run,combination,repetition,ai_level,team_goal.spe");
  // Run 5: combination 2 (AI level 8, speed 0), its second repetition.
  EXPECT_EQ(rows[6].substr(0, 10), "5,2,1,8,0,");
  for (size_t r = 1; r < rows.size(); ++r)
    // Alive, and exactly 30 futures at every step.
    EXPECT_NE(rows[r].find(",1,"), std::string::npos) << rows[r];
  EXPECT_NE(one.Out.find("Combination 3: ai_level = 8, team_goal.speed = 2"), std::string::npos);
  for (const char* file : {"summary.csv", "experiment.json", "plots/distance_mean.png"})
    EXPECT_FALSE(ReadFile(Path(std::string("one/") + file)).empty()) << file;

  const TResult two = Shell(Path(""), "$E small.json --out two --jobs 2");
  ASSERT_EQ(two.Status, 0) << two.Err;
  EXPECT_EQ(Untimed(ReadFile(Path("two/runs.csv"))), rows);

  // Two shards run at once by GNU parallel, then joined.
  const TResult shards =
      Shell(Path(""), "parallel --halt now,fail=1 \"$E\" small.json --jobs 1 --shard {}/2 --out "
                      "shard{} ::: 0 1 && $E --merge shard0 shard1 --out merged");
  ASSERT_EQ(shards.Status, 0) << shards.Err;
  EXPECT_EQ(Untimed(ReadFile(Path("merged/runs.csv"))), rows);
  EXPECT_EQ(ReadFile(Path("shard0/runs.csv")).find("\n1,"), std::string::npos);
  // A shard missing refuses the merge.
  EXPECT_EQ(Shell(Path(""), "$E --merge shard0 --out half").Status, 2);
}

TEST_F(ExperimentProgram, ResumesAfterAKillWithWholeRowsOnly) {
  WriteFile(Path("long.json"), R"({"format": "kartsim-experiment", "version": 1,
    "scene": "kart", "steps": 20, "futures": 60, "repetitions": 200, "seed": 3})");
  const std::string runs = Path("cut/runs.csv");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string out = Path("cut");
    execl(Program.c_str(), Program.c_str(), Path("long.json").c_str(), "--out", out.c_str(),
          "--jobs", "2", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Killed once a few rows are there, whenever that is.
  for (std::string rows; std::count(rows.begin(), rows.end(), '\n') < 4; rows = ReadFile(runs))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  const std::string cut = ReadFile(runs);
  ASSERT_EQ(cut.back(), '\n');
  // A row cut short by a write that the kill interrupted.
  ASSERT_LT(std::count(cut.begin(), cut.end(), '\n'), 200);
  WriteFile(runs, cut + "199,199,0,12");
  const TResult resumed = Shell(Path(""), "$E long.json --out cut --jobs 2");
  ASSERT_EQ(resumed.Status, 0) << resumed.Err;
  const TResult whole = Shell(Path(""), "$E long.json --out whole --jobs 1");
  ASSERT_EQ(whole.Status, 0) << whole.Err;
  EXPECT_EQ(Untimed(ReadFile(runs)), Untimed(ReadFile(Path("whole/runs.csv"))));
  // Once more: nothing left to run, the same results.
  ASSERT_EQ(Shell(Path(""), "$E long.json --out cut").Status, 0);
  EXPECT_EQ(Untimed(ReadFile(runs)), Untimed(ReadFile(Path("whole/runs.csv"))));
}

TEST_F(ExperimentProgram, RefusesBadInputWithoutTouchingAnything) {
  ASSERT_EQ(Shell(Path(""), "$E small.json --out done").Status, 0);
  const std::string before = ReadFile(Path("done/runs.csv"));
  // The experiment changed since the folder was started.
  WriteFile(Path("changed.json"),
            std::string(Small).replace(std::string(Small).find("11"), 2, "12"));
  TResult r = Shell(Path(""), "$E changed.json --out done");
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("experiment file has changed"), std::string::npos) << r.Err;
  EXPECT_EQ(ReadFile(Path("done/runs.csv")), before);
  // A folder of something else, one that cannot be made, a bad file, a scene file, bad options.
  WriteFile(Path("other.txt"), "x");
  EXPECT_EQ(Shell(Path(""), "mkdir busy && touch busy/notes && $E small.json --out busy").Status,
            2);
  EXPECT_EQ(ReadFile(Path("busy/notes")), "");
  EXPECT_EQ(Shell(Path(""), "$E small.json --out no/such/folder").Status, 2);
  EXPECT_EQ(Shell(Path(""), "$E other.txt --out x1").Status, 2);
  WriteFile(Path("scene.json"),
            std::string(Small).replace(std::string(Small).find("\"kart\""), 6, "\"oval.scene\""));
  r = Shell(Path(""), "$E scene.json --out x2");
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("Cannot open the scene"), std::string::npos) << r.Err;
  EXPECT_EQ(Shell(Path(""), "$E small.json --out x3 --jobs 0").Status, 2);
  EXPECT_EQ(Shell(Path(""), "$E small.json --out x4 --shard 2/2").Status, 2);
  EXPECT_EQ(Shell(Path(""), "$E small.json --out done --shard 0/2").Status, 2);
}

TEST_F(ExperimentProgram, GoesOnWhereNoThreadCanStartAndAnswersItsVersion) {
  EXPECT_EQ(Shell(Path(""), "$E --version").Out.rfind("kartsim-experiment ", 0), 0u);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers start threads of their own, which the limit refuses";
#endif
  // No other process or thread can start beside it: as another user when run as root, for whom
  // the limit does not count, in a folder open to it. "timeout" ends a run that waits for ever.
  ASSERT_EQ(chmod(FDir.path().toLocal8Bit().constData(), 0777), 0);
  const std::string user =
      geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  if (!user.empty() && Shell(Path(""), user + "test -x \"$E\"").Status != 0) {
    GTEST_SKIP() << "the program is out of reach of the unprivileged user the test runs it as";
  }
  const TResult r =
      Shell(Path(""),
            "timeout 300 " + user + "prlimit --nproc=1 -- \"$E\" small.json --out alone --jobs 2");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Untimed(ReadFile(Path("alone/runs.csv"))).size(), 9u);
  EXPECT_FALSE(ReadFile(Path("alone/plots/distance_mean.png")).empty());
}

TEST_F(ExperimentProgram, ASceneFileBesideTheExperimentRunsAsItsBuiltInScene) {
  // The kart scene, as a file of its own named relative to the experiment file.
  const std::unique_ptr<TWorld> kart = TSceneFile::OpenScenario("kart");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Path("scenes"))));
  const QByteArray scene = TSceneFile::Encode(*kart);
  WriteFile(Path("scenes/kart.kartsim.json"), scene.toStdString());
  std::string fromFile = Small;
  fromFile.replace(fromFile.find("\"kart\""), 6, "\"scenes/kart.kartsim.json\"");
  WriteFile(Path("file.json"), fromFile);
  ASSERT_EQ(Shell(Path(""), "$E small.json --out builtin --jobs 1").Status, 0);
  const TResult r =
      Shell(Path(""), "mkdir elsewhere && cd elsewhere && $E ../file.json --out ../file");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Untimed(ReadFile(Path("file/runs.csv"))), Untimed(ReadFile(Path("builtin/runs.csv"))));
}
